// mkpayload PROGRAM OUT [NAME=]FILE...   writes OUT: the program, the files after it, and the
// 4 356-byte directory that names them (see setup/program/payload_directory.h). A file is stored
// under its own name unless NAME= gives another. Names are 5 to 64 characters (shorter ones would
// be skipped by setup), plain file names, at most 32 of them. Texts are UTF-8.
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <limits>
#include <sstream>
#include <string>
#include <vector>

#include "platform/text/encoding.h"
#include "setup/program/payload_directory.h"

namespace {

struct Entry {
    std::u16string name;
    std::string bytes;
};

int Usage() {
    std::cerr << "usage: mkpayload PROGRAM OUT [NAME=]FILE...\n";
    return 2;
}

bool ReadAll(const std::string& path, std::string* bytes) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return false;
    std::ostringstream text;
    text << in.rdbuf();
    *bytes = text.str();
    return true;
}

void PutInt32(std::string& out, std::size_t at, std::int32_t value) {
    const auto v = static_cast<std::uint32_t>(value);
    for (int i = 0; i < 4; ++i) out[at + static_cast<std::size_t>(i)] = static_cast<char>((v >> (8 * i)) & 0xFF);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 3) return Usage();
    const std::string programPath = argv[1];
    const std::string outPath = argv[2];
    std::string program;
    if (!ReadAll(programPath, &program)) {
        std::cerr << "mkpayload: cannot read " << programPath << "\n";
        return 1;
    }
    std::vector<Entry> entries;
    for (int i = 3; i < argc; ++i) {
        std::string arg = argv[i];
        std::string path = arg;
        std::string name = std::filesystem::path(arg).filename().string();
        if (const auto eq = arg.find('='); eq != std::string::npos && !std::filesystem::exists(arg)) {
            name = arg.substr(0, eq);
            path = arg.substr(eq + 1);
        }
        Entry entry;
        entry.name = platform::text::Utf8ToUtf16(name);
        if (!Setup::IsPayloadEntry(entry.name) || !Setup::IsPlainPayloadName(entry.name)) {
            std::cerr << "mkpayload: \"" << name << "\" is not a plain file name of 5 to 64 characters\n";
            return 1;
        }
        if (!ReadAll(path, &entry.bytes)) {
            std::cerr << "mkpayload: cannot read " << path << "\n";
            return 1;
        }
        entries.push_back(std::move(entry));
    }
    if (entries.size() > static_cast<std::size_t>(Setup::kPayloadSlots)) {
        std::cerr << "mkpayload: at most " << Setup::kPayloadSlots << " files\n";
        return 1;
    }
    std::uint64_t total = program.size();
    for (const Entry& e : entries) total += e.bytes.size();
    if (total > static_cast<std::uint64_t>(std::numeric_limits<std::int32_t>::max())) {
        std::cerr << "mkpayload: the program and its files exceed 2 GB\n";
        return 1;
    }

    std::string directory(static_cast<std::size_t>(Setup::kPayloadDirectorySize), '\0');
    for (std::size_t slot = 0; slot < entries.size(); ++slot) {
        const std::u16string& name = entries[slot].name;
        for (std::size_t i = 0; i < name.size(); ++i) {
            directory[128 + slot * 128 + 2 * i] = static_cast<char>(name[i] & 0xFF);
            directory[128 + slot * 128 + 2 * i + 1] = static_cast<char>(name[i] >> 8);
        }
        PutInt32(directory, 4224 + slot * 4, static_cast<std::int32_t>(entries[slot].bytes.size()));
    }
    PutInt32(directory, 4352, static_cast<std::int32_t>(program.size()));

    const std::string temporary = outPath + ".part";
    {
        std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
        out << program;
        for (const Entry& e : entries) out << e.bytes;
        out << directory;
        out.close();
        if (!out) {
            std::cerr << "mkpayload: cannot write " << outPath << "\n";
            std::remove(temporary.c_str());
            return 1;
        }
    }
    std::error_code error;
    std::filesystem::rename(temporary, outPath, error);
    if (error) {
        std::cerr << "mkpayload: cannot write " << outPath << ": " << error.message() << "\n";
        std::remove(temporary.c_str());
        return 1;
    }
    std::filesystem::permissions(outPath, std::filesystem::status(programPath).permissions(), error);
    return 0;
}
