#include "options.h"

namespace cadhost {

const char* Usage()
{
    return "usage: cadhost [DRAWING] [-s SCRIPT] [-c LINE]... [-o OUT] [--load MODULE]... [--support DIR]...\n"
           "               [-t TRANSCRIPT] [--answers FILE] [--no-default-modules]\n"
           "Without DRAWING a new drawing is made. Each -c LINE and each line of the script is one line of\n"
           "input, read in the order given: it answers the prompt that waits, or else runs as the next\n"
           "command (\"-c ZOOM -c E\" zooms to the extents). Without either and with a terminal, commands\n"
           "are read interactively. DRAWING and OUT are Linux paths. Boxes and dialogs are answered from\n"
           "the answer script FILE (or DERO_ANSWERS), as setup takes it; \"-\" asks at the console.\n";
}

bool ParseOptions(const std::vector<std::string>& args, Options& options, std::string& error)
{
    auto value = [&](std::size_t& i, std::string& out) {
        if (i + 1 >= args.size() || args[i + 1].empty()) {
            error = args[i] + " needs a value";
            return false;
        }
        out = args[++i];
        return true;
    };
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        std::string v;
        if (a == "-s") {
            if (!options.script.empty()) {
                error = "only one script can be run";
                return false;
            }
            if (!value(i, options.script))
                return false;
            options.commandsBeforeScript = options.commands.size();
        } else if (a == "-c") {
            // An empty line is input too: it takes a prompt's default.
            if (i + 1 >= args.size()) {
                error = a + " needs a value";
                return false;
            }
            options.commands.push_back(args[++i]);
        } else if (a == "-o") {
            if (!value(i, options.output))
                return false;
        } else if (a == "-t") {
            if (!value(i, options.transcript))
                return false;
        } else if (a == "--answers") {
            if (!value(i, options.answers))
                return false;
        } else if (a == "--load" || a == "--support") {
            if (!value(i, v))
                return false;
            (a == "--load" ? options.modules : options.support).push_back(v);
        } else if (a == "--no-default-modules") {
            options.defaultModules = false;
        } else if (!a.empty() && a[0] == '-') {
            error = "unknown option " + a;
            return false;
        } else if (options.drawing.empty()) {
            options.drawing = a;
        } else {
            error = "more than one drawing named: " + a;
            return false;
        }
    }
    return true;
}

}  // namespace cadhost
