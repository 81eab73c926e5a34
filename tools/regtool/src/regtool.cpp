// regtool [--root DIR] import FILE...   merges .reg files into the registry of the root
// regtool [--root DIR] dump [HIVE]      prints one hive, or all of them, as .reg text
//
// The root is DERO_ROOT (or ~/.dero) unless --root names another. Texts are UTF-8.
#include <cstdio>
#include <fstream>
#include <iostream>
#include <sstream>
#include <string>
#include <vector>

#include "platform/win/reg_store.h"
#include "platform/win/root.h"

namespace {

using platform::win::Hive;

int Usage() {
    std::cerr << "usage: regtool [--root DIR] import FILE...\n"
                 "       regtool [--root DIR] dump [HKEY_CLASSES_ROOT|HKEY_CURRENT_USER|HKEY_LOCAL_MACHINE]\n";
    return 2;
}

std::optional<Hive> ParseHive(const std::string& name) {
    if (name == "HKCR") return Hive::ClassesRoot;
    if (name == "HKCU") return Hive::CurrentUser;
    if (name == "HKLM") return Hive::LocalMachine;
    return platform::win::HiveFromName(name);
}

int Import(const std::vector<std::string>& files) {
    if (files.empty()) return Usage();
    for (const auto& file : files) {
        std::ifstream in(file, std::ios::binary);
        if (!in) {
            std::cerr << "regtool: cannot read " << file << "\n";
            return 1;
        }
        std::ostringstream text;
        text << in.rdbuf();
        std::string error;
        if (!platform::win::ImportRegText(text.str(), &error)) {
            std::cerr << "regtool: " << file << ": " << error << "\n";
            return 1;
        }
    }
    return 0;
}

int Dump(const std::vector<std::string>& args) {
    if (args.size() > 1) return Usage();
    std::vector<Hive> hives{Hive::ClassesRoot, Hive::CurrentUser, Hive::LocalMachine};
    if (args.size() == 1) {
        const auto hive = ParseHive(args[0]);
        if (!hive) {
            std::cerr << "regtool: unknown hive " << args[0] << "\n";
            return 2;
        }
        hives = {*hive};
    }
    // All hives make one .reg text: the header once, then each hive's keys.
    std::string out;
    for (Hive hive : hives) {
        const auto text = platform::win::DumpHive(hive);
        if (!text) {
            std::cerr << "regtool: the file of " << platform::win::HiveName(hive) << " cannot be read\n";
            return 1;
        }
        const auto body = text->find("\n\n");
        out += out.empty() ? *text : text->substr(body + 2);
    }
    std::fwrite(out.data(), 1, out.size(), stdout);
    return std::fflush(stdout) == 0 ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
    std::vector<std::string> args(argv + 1, argv + argc);
    if (args.size() >= 2 && args[0] == "--root") {
        platform::win::SetRoot(args[1]);
        args.erase(args.begin(), args.begin() + 2);
    }
    if (args.empty()) return Usage();
    const std::string command = args[0];
    args.erase(args.begin());
    if (command == "import") return Import(args);
    if (command == "dump") return Dump(args);
    return Usage();
}
