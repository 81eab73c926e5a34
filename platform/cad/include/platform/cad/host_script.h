// Host scripts: one line each, read as host scripts are read. A line is the answer to the prompt
// that waits (or the folder browser's, when it is a drive path), or else the next command; "^C"
// answers with a cancel. A prompt the script
// has no line left for is cancelled (and logged), so a script never hangs.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/ui/answer_source.h"

namespace platform::cad {

class HostScript : public ui::AnswerDriver {
public:
    // Lines in GBK.
    explicit HostScript(std::vector<std::string> lines) : lines_(std::move(lines)) {}
    // A script file's text in UTF-8 (line ends LF or CRLF).
    static std::vector<std::string> SplitUtf8(std::string_view utf8);

    std::optional<ui::Answer> Next(const ui::Request& request) override;
    // The next line for the command prompt, or nothing at the end.
    std::optional<std::string> NextCommand();
    // Number (from 1) of the line read last.
    std::size_t LineNumber() const { return next_; }

private:
    std::vector<std::string> lines_;
    std::size_t next_ = 0;
};

struct ScriptResult {
    int status = 0;           // RTNORM, or the status of the command that stopped the script
    std::size_t line = 0;     // the line of that command
    std::string message;      // why it stopped (GBK), empty when it ran to its end
};

// Runs the script's commands (the script must be the answer source, or part of it) until its
// end, a command that fails (an unknown one, or one that reports an error), or the host's end.
ScriptResult RunHostScript(HostScript& script);

}  // namespace platform::cad
