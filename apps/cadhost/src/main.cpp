// cadhost: the headless CAD host. Opens a drawing (or makes a new one), loads modules, runs
// commands, a script or a person's typing, prints what the command line shows, and saves.
// Exit status: 0 for a run that succeeded, 1 for a failure, 2 for a bad command line, or the
// code a module ended the host with.
#include <sys/stat.h>
#include <unistd.h>

#include <fstream>
#include <iostream>
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
#include "platform/win/path_mapping.h"
#include "terminal_view.h"

namespace {

void Fail(const std::string& utf8)
{
    std::cout.flush();
    std::fflush(stdout);
    std::cerr << "cadhost: " << utf8 << std::endl;
}

std::string Utf8(const std::string& gbk) { return platform::text::GbkToUtf8(gbk); }

bool Exists(const std::string& linuxPath)
{
    struct stat info {};
    return stat(linuxPath.c_str(), &info) == 0 && S_ISREG(info.st_mode);
}

// True when the drawing file exists; a name ending in ".dwg" counts when the ".dxf" does.
bool DrawingExists(const std::string& gbkName)
{
    if (Exists(platform::win::MapToLinux(std::string_view(gbkName))))
        return true;
    if (gbkName.size() > 4) {
        std::string ext = gbkName.substr(gbkName.size() - 4);
        for (char& c : ext)
            c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        if (ext == ".dwg")
            return Exists(platform::win::MapToLinux(gbkName.substr(0, gbkName.size() - 4) + ".dxf"));
    }
    return false;
}

bool OpenDrawing(const cadhost::Options& options)
{
    if (options.drawing.empty())
        return acDocManager->appContextNewDocument(nullptr) == Acad::eOk;
    std::string name = platform::text::Utf8ToGbk(options.drawing);
    if (!DrawingExists(name)) {
        Fail("drawing not found: " + options.drawing);
        return false;
    }
    Acad::ErrorStatus es = acDocManager->appContextOpenDocument(name.c_str());
    if (es != Acad::eOk) {
        std::string why = platform::cad::LastDrawingFileError();
        Fail("cannot open " + options.drawing + ": " + (why.empty() ? Acad::ErrorStatusName(es) : Utf8(why)));
        return false;
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

bool RunScriptFile(const std::string& path, const std::shared_ptr<platform::cad::HostScript>& script)
{
    platform::cad::ScriptResult result = platform::cad::RunHostScript(*script);
    if (result.status == RTERROR) {
        Fail(path + ": " + Utf8(result.message));
        return false;
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
    platform::cad::SetCommandLineWriter([](std::string_view gbk) { cadhost::Print(gbk); });
    if (!options.transcript.empty())
        platform::ui::SetTranscriptFile(options.transcript);

    std::shared_ptr<platform::cad::HostScript> script;
    if (!options.script.empty()) {
        std::ifstream in(options.script, std::ios::binary);
        if (!in) {
            Fail("script not found: " + options.script);
            return 1;
        }
        std::stringstream text;
        text << in.rdbuf();
        script = std::make_shared<platform::cad::HostScript>(platform::cad::HostScript::SplitUtf8(text.str()));
    }
    bool interactive = !script && options.commands.empty() && isatty(STDIN_FILENO);
    std::shared_ptr<platform::ui::AnswerDriver> inner = script;
    if (interactive)
        inner = std::make_shared<cadhost::TerminalDriver>(std::cin, std::cout);
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
    for (const std::string& command : options.commands) {
        if (!ok || platform::cad::HostExitRequested())
            break;
        if (platform::cad::RunCommandLine(platform::text::Utf8ToGbk(command)) == RTERROR) {
            Fail("command failed: " + command);
            ok = false;
        }
        bars.ShowNewBars();
    }
    if (ok && script && !platform::cad::HostExitRequested())
        ok = RunScriptFile(options.script, script);
    bars.ShowNewBars();
    if (ok && interactive)
        Interactive(bars);
    if (platform::cad::HostExitRequested()) {
        cadhost::Print("\n");
        return platform::cad::HostExitCode();
    }
    if (ok && !options.output.empty()) {
        std::string out = platform::text::Utf8ToGbk(options.output);
        Acad::ErrorStatus es = acDocManager->saveDocumentAs(curDoc(), out.c_str());
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
