// Running commands: by name from the command line or a script, and from product code through
// acedCommand, nested as deep as the commands go. A command reads its inputs through the
// prompts, so the arguments of acedCommand, the lines of a script and a person's answers all
// reach it the same way. An unknown command fails as on a host: it says so and runs nothing.
#pragma once

#include <functional>
#include <string>

#include "platform/cad/resbuf.h"

// Runs commands from (type, value) pairs ended by RTNONE (or 0): the first string is the command
// name, the rest answer its prompts; arguments left over start the next command. RTNORM; RTERROR
// for an unknown command; RTCAN when a command was cancelled or the host is ending.
int acedCommand(int rtype, ...);
// The same from a list.
int acedCmd(const resbuf* rbp);

namespace platform::cad {

// A built-in command of the host. It reads its inputs with the prompts (acedGetReal...) and
// answers RTNORM, RTCAN or RTERROR.
using BuiltinCommand = std::function<int()>;
void RegisterBuiltinCommand(const std::string& name, BuiltinCommand command);
bool HasBuiltinCommand(const std::string& name);

// Runs one command typed at the command line (its name; a leading "_" or "." is the host's
// prefix for the untranslated and the built-in command). Empty lines do nothing.
int RunCommandLine(const std::string& line, bool echo = true);

// Queues a command string as if typed; blanks and line ends in it act as Enter. Runs at the
// next RunPostedCommands, which the command loop calls whenever no command is running.
void PostCommandString(const std::string& text);
int RunPostedCommands();

// Nesting depth of running commands (0 at the command prompt).
int CommandDepth();
// Name of the outermost running command, empty at the command prompt.
const std::string& ActiveCommand();

}  // namespace platform::cad
