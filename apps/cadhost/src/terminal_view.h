// What a person at the host would see, printed to the terminal in UTF-8: the command line, the
// boxes and dialogs with their answers, and dock bars when they appear.
#pragma once

#include <iosfwd>
#include <memory>
#include <set>
#include <string_view>

#include "platform/ui/answer_source.h"

namespace cadhost {

// Writes GBK text to standard output as UTF-8.
void Print(std::string_view gbk);

// Shows every request that is not a prompt (prompts are on the command line already) and its
// answer, then passes it to the inner driver (none: the request is cancelled).
class ShownDriver : public platform::ui::AnswerDriver {
public:
    explicit ShownDriver(std::shared_ptr<platform::ui::AnswerDriver> inner) : inner_(std::move(inner)) {}
    std::optional<platform::ui::Answer> Next(const platform::ui::Request& request) override;

private:
    std::shared_ptr<platform::ui::AnswerDriver> inner_;
};

// A person at the terminal: a prompt's answer is the line typed; other requests are asked in
// the answer-script words. End of input cancels.
class TerminalDriver : public platform::ui::AnswerDriver {
public:
    TerminalDriver(std::istream& in, std::ostream& out);
    std::optional<platform::ui::Answer> Next(const platform::ui::Request& request) override;

private:
    std::istream& in_;
    std::unique_ptr<platform::ui::AnswerDriver> console_;
};

// The answer script of --answers or DERO_ANSWERS before the input: boxes, dialogs and the
// common dialogs are asked of it first; prompts, and whatever it leaves unanswered, go on to
// the input (the script, the -c lines or the terminal) as before.
class AnswersFirstDriver : public platform::ui::AnswerDriver {
public:
    AnswersFirstDriver(std::shared_ptr<platform::ui::AnswerDriver> answers,
                       std::shared_ptr<platform::ui::AnswerDriver> input)
        : answers_(std::move(answers)), input_(std::move(input))
    {
    }
    std::optional<platform::ui::Answer> Next(const platform::ui::Request& request) override;

private:
    std::shared_ptr<platform::ui::AnswerDriver> answers_;
    std::shared_ptr<platform::ui::AnswerDriver> input_;
};

// Prints the windows of dock bars of the main frame that became visible since the last call.
class BarWatcher {
public:
    void ShowNewBars();

private:
    std::set<void*> shown_;
};

}  // namespace cadhost
