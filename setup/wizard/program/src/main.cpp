// setup: the installer program. It takes no switches; what a person would answer comes from
// DERO_ANSWERS (an answer script, or "-" to ask at the console) and every box, dialog and answer
// is written to DERO_TRANSCRIPT when it is set. Without answers every question is cancelled.
#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <string>

#include "platform/ui/answer_drivers.h"
#include "platform/win/crt_files.h"
#include "setup/program/setup_app.h"
#include "setup/wizard/globals.h"
#include "setup/wizard/restart_state.h"

#if defined(__SANITIZE_ADDRESS__)
#include <sanitizer/lsan_interface.h>
#endif

namespace {

bool ReadScript(const std::string& path, std::string* text) {
    platform::win::FILE* file = platform::win::fopen(path.c_str(), "rb");
    if (!file) return false;
    char buffer[4096];
    std::size_t got = 0;
    while ((got = platform::win::fread(buffer, 1, sizeof buffer, file)) > 0) text->append(buffer, got);
    platform::win::fclose(file);
    return true;
}

bool UseAnswers() {
    const char* answers = std::getenv("DERO_ANSWERS");
    if (!answers || !*answers) return true;
    if (std::string(answers) == "-") {
        platform::ui::SetAnswerDriver(std::make_shared<platform::ui::ConsoleDriver>(std::cin, std::cout));
        return true;
    }
    std::string script;
    if (!ReadScript(answers, &script)) {
        std::cerr << "setup: cannot read the answers " << answers << "\n";
        return false;
    }
    std::string error;
    auto queue = platform::ui::ParseAnswerScript(script, &error);
    if (!queue) {
        std::cerr << "setup: " << answers << ": " << error << "\n";
        return false;
    }
    platform::ui::SetAnswerDriver(queue);
    return true;
}

// As Windows ends a process: its other threads stop where they are before anything of the
// process is torn down, so a worker still on its last steps never meets a destroyed global.
[[noreturn]] void EndProcess(int code) {
    std::fflush(nullptr);
#if defined(__SANITIZE_ADDRESS__)
    __lsan_do_leak_check();
#endif
    std::_Exit(code);
}

}  // namespace

int main() {
    if (const char* transcript = std::getenv("DERO_TRANSCRIPT"); transcript && *transcript)
        platform::ui::SetTranscriptFile(transcript);
    if (!UseAnswers()) return 2;
    Setup::InitProgramPath();
    Setup::SetProcessEnd(&EndProcess);
    static Setup::CDero安装向导App app;
    EndProcess(AfxWinMain());
}
