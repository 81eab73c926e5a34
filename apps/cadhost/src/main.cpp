// cadhost: the headless CAD host. Opens a drawing (or makes a new one), loads modules, runs
// commands, a script or a person's typing, prints what the command line shows, and saves.
// Exit status: 0 for a run that succeeded, 1 for a failure, 2 for a bad command line, or the
// code a module ended the host with.
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <optional>
#include <sstream>

#include "default_modules.h"
#include "options.h"
#include "platform/cad/acad_status.h"
#include "platform/cad/command_processor.h"
#include "platform/cad/db_database.h"
#include "platform/cad/documents.h"
#include "platform/cad/file_search.h"
#include "platform/cad/host_exit.h"
#include "platform/cad/host_script.h"
#include "platform/cad/prompts.h"
#include "platform/cad/rx_dictionary.h"
#include "platform/cad/rx_dynamic_linker.h"
#include "platform/text/encoding.h"
#include "platform/ui/answer_drivers.h"
#include "platform/win/crt_files.h"
#include "terminal_view.h"

namespace {

void Fail(const std::string& utf8)
{
    std::cout.flush();
    std::fflush(stdout);
    std::cerr << "cadhost: " << utf8 << std::endl;
}

std::string Utf8(const std::string& gbk) { return platform::text::GbkToUtf8(gbk); }

bool OpenDrawing(const cadhost::Options& options)
{
    if (options.drawing.empty())
        return acDocManager->appContextNewDocument(nullptr) == Acad::eOk;
    if (platform::cad::FindDrawingFile(options.drawing).empty()) {
        Fail("drawing not found: " + options.drawing);
        return false;
    }
    Acad::ErrorStatus es = acDocManager->openDrawingFile(options.drawing);
    if (es != Acad::eOk) {
        std::string why = platform::cad::LastDrawingFileError();
        Fail("cannot open " + options.drawing + ": " + (why.empty() ? Acad::ErrorStatusName(es) : Utf8(why)));
        return false;
    }
    return true;
}

// True when the two names lead to one file: the same file under another spelling, through a
// link, or the same name for a file still to be made.
bool SameFile(const std::string& a, const std::string& b)
{
    struct stat first {}, second {};
    if (stat(a.c_str(), &first) == 0 && stat(b.c_str(), &second) == 0)
        return first.st_dev == second.st_dev && first.st_ino == second.st_ino;
    std::error_code ea, eb;
    std::filesystem::path pa = std::filesystem::weakly_canonical(a, ea), pb = std::filesystem::weakly_canonical(b, eb);
    return !ea && !eb && pa == pb;
}

// The transcript is appended to while the host runs: it must not be one of the files the run
// reads or writes, and it must be writable, both known before anything runs.
bool CheckTranscript(const cadhost::Options& options)
{
    const std::string& transcript = options.transcript;
    if (transcript.empty())
        return true;
    std::string drawing = options.drawing.empty() ? std::string() : platform::cad::FindDrawingFile(options.drawing);
    const std::pair<std::string, std::string> others[] = {
        {drawing, "the drawing " + options.drawing},
        {options.output.empty() ? std::string() : platform::cad::SavedDrawingFile(options.output),
         "the drawing saved as " + options.output},
        {options.script, "the script " + options.script},
    };
    for (const auto& [file, what] : others) {
        if (!file.empty() && SameFile(transcript, file)) {
            Fail("the transcript " + transcript + " would be written into " + what);
            return false;
        }
    }
    struct stat info {};
    if (stat(transcript.c_str(), &info) == 0 && S_ISREG(info.st_mode) && (info.st_mode & 0222) == 0) {
        Fail("cannot write the transcript " + transcript + ": it is read-only");
        return false;
    }
    std::FILE* file = std::fopen(transcript.c_str(), "ab");
    if (file == nullptr) {
        Fail("cannot write the transcript " + transcript + ": " + std::strerror(errno));
        return false;
    }
    std::fclose(file);
    return true;
}

// The answer script of --answers, else of DERO_ANSWERS, read as setup reads it: "-" asks at
// the console. Null with no answers given, or (said) one that cannot be read or parsed.
bool ReadAnswers(const cadhost::Options& options, std::shared_ptr<platform::ui::AnswerDriver>& answers)
{
    std::string name = options.answers;
    if (name.empty())
        if (const char* given = std::getenv("DERO_ANSWERS"))
            name = given;
    if (name.empty())
        return true;
    if (name == "-") {
        answers = std::make_shared<platform::ui::ConsoleDriver>(std::cin, std::cout);
        return true;
    }
    platform::win::FILE* file = platform::win::fopen(name.c_str(), "rb");
    if (!file) {
        Fail("cannot read the answers " + name);
        return false;
    }
    std::string script;
    char buffer[4096];
    std::size_t got = 0;
    while ((got = platform::win::fread(buffer, 1, sizeof buffer, file)) > 0)
        script.append(buffer, got);
    platform::win::fclose(file);
    std::string error;
    std::shared_ptr<platform::ui::AnswerQueue> queue = platform::ui::ParseAnswerScript(script, &error);
    if (!queue) {
        Fail(name + ": " + error);
        return false;
    }
    answers = queue;
    return true;
}

// The -c items and the script's lines, in the order given, as one host script.
struct Input {
    std::vector<std::string> lines;       // GBK
    std::vector<std::string> shown;       // as given (UTF-8), for messages
    std::vector<std::size_t> scriptLine;  // the line's number in the script file; 0 for a -c item
};

bool ReadInput(const cadhost::Options& options, Input& input)
{
    auto addCommands = [&](std::size_t from, std::size_t to) {
        for (std::size_t i = from; i < to; ++i) {
            input.lines.push_back(platform::text::Utf8ToGbk(options.commands[i]));
            input.shown.push_back(options.commands[i]);
            input.scriptLine.push_back(0);
        }
    };
    addCommands(0, options.commandsBeforeScript);
    if (!options.script.empty()) {
        std::ifstream in(options.script, std::ios::binary);
        if (!in) {
            Fail("script not found: " + options.script);
            return false;
        }
        std::stringstream text;
        text << in.rdbuf();
        std::vector<std::string> lines = platform::cad::HostScript::SplitUtf8(text.str());
        for (std::size_t i = 0; i < lines.size(); ++i) {
            input.shown.push_back(Utf8(lines[i]));
            input.lines.push_back(std::move(lines[i]));
            input.scriptLine.push_back(i + 1);
        }
    }
    addCommands(options.commandsBeforeScript, options.commands.size());
    return true;
}

// Runs the input as a host script runs: each line a command unless a prompt took it as its
// answer. Stops at a command that fails, saying which line it was.
bool RunInput(const cadhost::Options& options, const Input& input, platform::cad::HostScript& script,
              cadhost::BarWatcher& bars)
{
    while (!platform::cad::HostExitRequested()) {
        std::optional<std::string> line = script.NextCommand();
        if (!line)
            break;
        if (*line == "^C")
            continue;  // a cancel at the command prompt cancels nothing
        std::size_t index = script.LineNumber() - 1;
        int status = platform::cad::RunCommandLine(*line);
        bars.ShowNewBars();
        if (status == RTERROR) {
            if (input.scriptLine[index] == 0)
                Fail("command failed: " + input.shown[index]);
            else
                Fail(options.script + ": script line " + std::to_string(input.scriptLine[index]) + ": \"" +
                     input.shown[index] + "\" failed");
            return false;
        }
    }
    return true;
}

bool LoadModules(const cadhost::Options& options)
{
    std::vector<std::string> modules;
    if (options.defaultModules)
        modules = cadhost::DefaultModules();
    modules.insert(modules.end(), options.modules.begin(), options.modules.end());
    for (const std::string& m : modules) {
        std::string name = platform::text::Utf8ToGbk(m);
        if (!acrxDynamicLinker->loadModule(name.c_str(), false)) {
            Fail(Utf8(platform::cad::LastModuleError()));
            return false;
        }
    }
    return true;
}

void Interactive(cadhost::BarWatcher& bars)
{
    while (!platform::cad::HostExitRequested()) {
        cadhost::Print("\n命令: ");
        std::string line;
        if (!std::getline(std::cin, line))
            break;
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        if (line == "QUIT" || line == "quit" || line == "EXIT" || line == "exit")
            break;
        platform::cad::RunCommandLine(platform::text::Utf8ToGbk(line), false);
        bars.ShowNewBars();
    }
}

int Run(const cadhost::Options& options)
{
    if (!CheckTranscript(options))
        return 1;
    platform::cad::SetCommandLineWriter([](std::string_view gbk) { cadhost::Print(gbk); });
    if (!options.transcript.empty())
        platform::ui::SetTranscriptFile(options.transcript);

    Input input;
    std::shared_ptr<platform::ui::AnswerDriver> answers;
    if (!ReadInput(options, input) || !ReadAnswers(options, answers))
        return 1;
    std::shared_ptr<platform::cad::HostScript> script;
    if (!options.script.empty() || !options.commands.empty())
        script = std::make_shared<platform::cad::HostScript>(input.lines);
    bool interactive = !script && isatty(STDIN_FILENO);
    std::shared_ptr<platform::ui::AnswerDriver> inner = script;
    if (interactive)
        inner = std::make_shared<cadhost::TerminalDriver>(std::cin, std::cout);
    if (answers)
        inner = std::make_shared<cadhost::AnswersFirstDriver>(answers, inner);
    platform::ui::SetAnswerDriver(std::make_shared<cadhost::ShownDriver>(inner));

    std::vector<std::string> support;
    for (const std::string& dir : options.support)
        support.push_back(platform::text::Utf8ToGbk(dir));
    platform::cad::SetSupportPath(support);

    if (!OpenDrawing(options) || !LoadModules(options))
        return 1;
    // The drawing is opened first so that the modules find its folder on the search path while
    // they load; it then becomes active as the host's window does, so that the modules'
    // document reactors see it.
    acDocManager->activateDocument(curDoc());
    cadhost::BarWatcher bars;
    bool ok = platform::cad::RunPostedCommands() != RTERROR;
    bars.ShowNewBars();
    if (ok && script && !platform::cad::HostExitRequested())
        ok = RunInput(options, input, *script, bars);
    if (ok && interactive)
        Interactive(bars);
    if (platform::cad::HostExitRequested()) {
        cadhost::Print("\n");
        return platform::cad::HostExitCode();
    }
    if (ok && !options.output.empty()) {
        Acad::ErrorStatus es = acDocManager->saveDrawingFile(curDoc(), options.output);
        if (es != Acad::eOk) {
            std::string why = platform::cad::LastDrawingFileError();
            Fail("cannot save " + options.output + ": " + (why.empty() ? Acad::ErrorStatusName(es) : Utf8(why)));
            ok = false;
        }
    }
    cadhost::Print("\n");
    return ok ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv)
{
    cadhost::Options options;
    std::string error;
    if (!cadhost::ParseOptions(std::vector<std::string>(argv + 1, argv + argc), options, error)) {
        std::cerr << "cadhost: " << error << "\n" << cadhost::Usage();
        return 2;
    }
    int code = 1;
    try {
        code = Run(options);
    } catch (const std::exception& e) {
        Fail(std::string("unexpected failure: ") + e.what());
        code = 1;
    }
    // Drawings close first (each module hears it), then the modules are unloaded.
    acDocManager->closeAll();
    platform::cad::UnloadAllModules();
    return code;
}
