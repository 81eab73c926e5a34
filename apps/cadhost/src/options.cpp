#include "options.h"

namespace cadhost {

const char* Usage()
{
    return "usage: cadhost [DRAWING] [-s SCRIPT] [-c COMMAND]... [-o OUT] [--load MODULE]... [--support DIR]...\n"
           "               [-t TRANSCRIPT] [--no-default-modules]\n"
           "Without DRAWING a new drawing is made. Without a script and with a terminal, commands are read\n"
           "interactively.\n";
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
            if (!value(i, options.script))
                return false;
        } else if (a == "-o") {
            if (!value(i, options.output))
                return false;
        } else if (a == "-t") {
            if (!value(i, options.transcript))
                return false;
        } else if (a == "-c" || a == "--load" || a == "--support") {
            if (!value(i, v))
                return false;
            (a == "-c" ? options.commands : a == "--load" ? options.modules : options.support).push_back(v);
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
