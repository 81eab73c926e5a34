// The input a prompt reads: the next argument of the innermost running acedCommand, else an
// answer from the answer source.
#pragma once

#include <map>
#include <string>
#include <vector>

#include "platform/cad/command_processor.h"
#include "platform/cad/resbuf.h"

namespace platform::cad::detail {

struct Input {
    enum Kind { Value, Cancel } kind = Cancel;
    bool fromArgument = false;
    const resbuf* argument = nullptr;  // when fromArgument (valid until the next read)
    std::string text;                  // the answer's text otherwise (GBK)
};

// Shows the prompt and reads one input for it.
Input ReadInput(const std::string& prompt);

// Arguments of one acedCommand call, consumed front to back.
class ArgumentFeed {
public:
    explicit ArgumentFeed(const resbuf* list);
    ~ArgumentFeed();
    ArgumentFeed(const ArgumentFeed&) = delete;
    ArgumentFeed& operator=(const ArgumentFeed&) = delete;
    const resbuf* Next();
    bool Empty() const { return next_ == nullptr; }

private:
    resbuf* list_;
    resbuf* next_;
};

// The feeds of the nested acedCommand calls, innermost last.
std::vector<ArgumentFeed*>& Feeds();

// Text of an argument as the command line echoes it.
std::string ArgumentText(const resbuf* rb);

// Prompts cancelled so far (a command that saw one ends as cancelled).
int CancelCount();

// The host's own commands, by upper-cased name.
std::map<std::string, BuiltinCommand> HostBuiltins();

// True once the host was asked to end: prompts then cancel at once.
bool Ending();

}  // namespace platform::cad::detail
