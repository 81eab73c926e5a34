// The script and console drivers of the answer source.
//
// A script has one answer a line, in the order the requests come ('#' starts a comment):
//   box yes|no|ok|cancel|retry|ignore|abort|tryagain|continue
//   dialog [ID]: ACTION; ACTION...     (actions as UiDriver::Run takes them; none: leave it open)
//   open PATH [| PATH...]              save PATH            folder PATH     folder [ID]: ACTIONS
//   font FACE POINTS [bold] [italic]   color R G B          menu COMMAND-ID
//   prompt TEXT                        cancel [KIND]        (no kind: whatever comes next)
// Scripts are UTF-8; texts are handed on in GBK.
#pragma once

#include <iosfwd>
#include <memory>
#include <string>
#include <string_view>

#include "platform/ui/answer_source.h"

namespace platform::ui {

// Parses a whole script into a queue; on a line that does not parse, returns null and says
// which line and why.
std::shared_ptr<AnswerQueue> ParseAnswerScript(std::string_view utf8, std::string* error);

// Asks a person at a terminal: shows each request (a dialog with the texts of its windows) on
// the output and reads the answer from the input, in the script's words. For a dialog it reads
// actions until an empty line or "done". End of input cancels.
class ConsoleDriver : public AnswerDriver {
public:
    ConsoleDriver(std::istream& in, std::ostream& out) : in_(in), out_(out) {}
    std::optional<Answer> Next(const Request& request) override;

private:
    std::istream& in_;
    std::ostream& out_;
};

}  // namespace platform::ui
