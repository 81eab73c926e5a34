// The command line of cadhost.
#pragma once

#include <string>
#include <vector>

namespace cadhost {

struct Options {
    std::string drawing;                // empty: a new drawing
    std::string script;                 // -s
    std::vector<std::string> commands;  // -c, in order
    std::size_t commandsBeforeScript = 0;  // the -c items given before -s
    std::string output;                 // -o
    std::vector<std::string> modules;   // --load
    std::vector<std::string> support;   // --support
    std::string transcript;             // -t
    std::string answers;                // --answers: an answer script, or "-" for the console
    bool defaultModules = true;         // --no-default-modules turns the product's plug-ins off
};

// False with a message for a command line that does not parse. Arguments as given (UTF-8).
bool ParseOptions(const std::vector<std::string>& args, Options& options, std::string& error);

const char* Usage();

}  // namespace cadhost
