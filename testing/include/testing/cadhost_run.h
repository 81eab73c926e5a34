// Runs the real cadhost program in a test's folder, with the folder's "root" as the machine root,
// the plug-ins built beside it (whatever DERO_PLUGIN_DIR says) and nothing on its input, and gives
// what it printed.
#pragma once

#include <sys/wait.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "platform/text/encoding.h"
#include "testing/files.h"

namespace dero::testing {

struct CadhostRun {
    int status = -1;  // the exit code; -1 when the program did not end normally
    std::string out;  // standard output and error, converted to GBK like the tests' literals
    std::string err;
};

inline CadhostRun RunCadhost(const std::string& program, const std::string& folder, const std::string& args)
{
    std::filesystem::create_directories(folder + "/root");
    const std::string command = "cd '" + folder + "' && env -u DERO_PLUGIN_DIR DERO_ROOT='" + folder + "/root' '" + program + "' " + args +
                                " > out.txt 2> err.txt < /dev/null";
    CadhostRun run;
    const int raw = std::system(command.c_str());
    run.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
    run.out = platform::text::Utf8ToGbk(ReadFile(folder + "/out.txt"));
    run.err = platform::text::Utf8ToGbk(ReadFile(folder + "/err.txt"));
    return run;
}

}  // namespace dero::testing
