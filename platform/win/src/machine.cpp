// The machine facts file and the events file under the root.
#include "platform/win/machine.h"

#include <fcntl.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <mutex>

#include "fold_case.h"
#include "platform/text/encoding.h"
#include "platform/win/root.h"

namespace platform::win {
namespace {

std::mutex eventMutex;

std::string Trim(std::string_view text) {
    const auto first = text.find_first_not_of(" \t\r");
    if (first == std::string_view::npos)
        return {};
    const auto last = text.find_last_not_of(" \t\r");
    return std::string(text.substr(first, last - first + 1));
}

bool ReadText(const std::string& path, std::string& out) {
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (!file)
        return false;
    char buffer[8192];
    std::size_t got;
    while ((got = std::fread(buffer, 1, sizeof buffer, file)) > 0)
        out.append(buffer, got);
    std::fclose(file);
    return true;
}

bool ParseNumber(const std::string& text, std::uint64_t* value) {
    if (text.empty() || text.find_first_not_of("0123456789") != std::string::npos)
        return false;
    errno = 0;
    *value = std::strtoull(text.c_str(), nullptr, 10);
    return errno == 0;
}

// Applies one "name = value" line; false when it is not understood.
bool ApplyLine(const std::string& name, const std::string& value, MachineFacts& facts) {
    const std::string key = FoldCase(std::string_view(name));
    std::uint64_t number = 0;
    if (key == "COMPUTER" && !value.empty()) {
        facts.computerName = text::Utf8ToUtf16(value);
    } else if (key == "USER" && !value.empty()) {
        facts.userName = text::Utf8ToUtf16(value);
    } else if (key == "ELEVATION" && ParseNumber(value, &number) && number >= 1 && number <= 3) {
        facts.elevationType = static_cast<DWORD>(number);
    } else if (key.size() == 7 && key.compare(0, 5, "FREE ") == 0 && key[5] >= 'A' && key[5] <= 'Z' &&
               key[6] == ':' && ParseNumber(value, &number)) {
        facts.freeSpace[static_cast<char16_t>(key[5])] = number;
    } else if (key == "PROCESS" && !value.empty()) {
        facts.processes.push_back({text::Utf8ToUtf16(value), {}});
    } else if (key == "MODULE" && !value.empty() && !facts.processes.empty()) {
        facts.processes.back().modules.push_back(text::Utf8ToUtf16(value));
    } else {
        return false;
    }
    return true;
}

}  // namespace

std::string MachineFactsPath() {
    return GetRoot() + "/machine.txt";
}
std::string EventsPath() {
    return GetRoot() + "/events.txt";
}

MachineFacts ReadMachineFacts() {
    MachineFacts facts;
    std::string content;
    if (!ReadText(MachineFactsPath(), content))
        return facts;
    std::size_t start = 0;
    int number = 0;
    while (start < content.size()) {
        std::size_t end = content.find('\n', start);
        if (end == std::string::npos)
            end = content.size();
        ++number;
        const std::string line = Trim(std::string_view(content).substr(start, end - start));
        start = end + 1;
        if (line.empty() || line[0] == '#')
            continue;
        const auto equals = line.find('=');
        if (equals == std::string::npos ||
            !ApplyLine(Trim(std::string_view(line).substr(0, equals)),
                       Trim(std::string_view(line).substr(equals + 1)), facts)) {
            std::fprintf(stderr, "machine.txt:%d: \"%s\" is not a fact this machine knows; left out\n",
                         number, line.c_str());
        }
    }
    return facts;
}

bool WriteMachineFacts(const MachineFacts& facts) {
    std::string text = "# Facts of the machine this folder stands for.\n";
    text += "computer = " + text::Utf16ToUtf8(facts.computerName) + "\n";
    text += "user = " + text::Utf16ToUtf8(facts.userName) + "\n";
    text += "elevation = " + std::to_string(facts.elevationType) + "\n";
    for (const auto& [drive, bytes] : facts.freeSpace)
        text += std::string("free ") + static_cast<char>(drive) + ": = " + std::to_string(bytes) + "\n";
    for (const auto& process : facts.processes) {
        text += "process = " + text::Utf16ToUtf8(process.program) + "\n";
        for (const auto& module : process.modules)
            text += "module = " + text::Utf16ToUtf8(module) + "\n";
    }
    const std::string path = MachineFactsPath();
    const std::string temporary = path + ".new";
    std::FILE* file = std::fopen(temporary.c_str(), "wb");
    if (!file)
        return false;
    const bool written = std::fwrite(text.data(), 1, text.size(), file) == text.size();
    if (std::fclose(file) != 0 || !written || std::rename(temporary.c_str(), path.c_str()) != 0) {
        std::remove(temporary.c_str());
        return false;
    }
    return true;
}

void RecordEvent(std::u16string_view line) {
    std::string text = text::Utf16ToUtf8(line);
    for (char& c : text)
        if (c == '\n' || c == '\r')
            c = ' ';
    text += '\n';
    std::lock_guard lock(eventMutex);
    // One write of the whole line in append mode, so lines of several processes never mix.
    const int file = ::open(EventsPath().c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0666);
    if (file < 0) {
        std::fprintf(stderr, "events: cannot record \"%s\"\n", text.c_str());
        return;
    }
    if (::write(file, text.data(), text.size()) != static_cast<ssize_t>(text.size()))
        std::fprintf(stderr, "events: \"%s\" was not recorded whole\n", text.c_str());
    ::close(file);
}

std::vector<std::u16string> ReadEvents() {
    std::vector<std::u16string> lines;
    std::string content;
    if (!ReadText(EventsPath(), content))
        return lines;
    std::size_t start = 0;
    while (start < content.size()) {
        std::size_t end = content.find('\n', start);
        if (end == std::string::npos)
            end = content.size();
        lines.push_back(text::Utf8ToUtf16(std::string_view(content).substr(start, end - start)));
        start = end + 1;
    }
    return lines;
}

}  // namespace platform::win
