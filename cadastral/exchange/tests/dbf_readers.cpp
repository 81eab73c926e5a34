#include "dbf_readers.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <sys/wait.h>

#include <gtest/gtest.h>

#include "platform/text/encoding.h"
#include "platform/text/format.h"

namespace cadastral {
namespace {

std::string ShellQuote(const std::string& text) {
    std::string quoted = "'";
    for (char c : text) quoted += (c == '\'') ? std::string("'\\''") : std::string(1, c);
    return quoted + "'";
}

// Runs a shell command and returns its exit status (127 when the program is missing).
int RunCommand(const std::string& command, std::string& output) {
    output.clear();
    FILE* pipe = popen(command.c_str(), "r");
    if (pipe == nullptr) return -1;
    char buffer[4096];
    std::size_t n;
    while ((n = std::fread(buffer, 1, sizeof(buffer), pipe)) > 0) output.append(buffer, n);
    const int status = pclose(pipe);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

std::vector<std::string> SplitLines(const std::string& text, char separator) {
    std::vector<std::string> parts(1);
    for (char c : text) {
        if (c == separator) {
            parts.emplace_back();
        } else {
            parts.back() += c;
        }
    }
    return parts;
}

bool StartsWith(const std::string& text, const std::string& prefix) { return text.rfind(prefix, 0) == 0; }

std::string NormalNumber(const std::string& text) {
    if (text.empty() || text == "(null)") return "";
    char* end = nullptr;
    const double value = std::strtod(text.c_str(), &end);
    if (end == text.c_str() || *end != '\0') return text;
    return platform::text::Format("%.10g", value);
}

void RunReader(const std::string& command, const std::string& program, ReadBackTable& table,
               std::vector<std::string>& lines) {
    std::string output;
    const int status = RunCommand(command + " 2>&1", output);
    if (status != 0) {
        table.error = platform::text::Format("%s exited with %d (127: not installed)\n%s", program, status,
                                             output);
        return;
    }
    table.ok = true;
    lines = SplitLines(output, '\n');
}

}  // namespace

ReadBackTable ReadWithDbfread(const std::string& path) {
    const std::string script = std::string(DERO_SOURCE_DIR) + "/cadastral/exchange/tests/dbfread_rows.py";
    ReadBackTable table;
    std::vector<std::string> lines;
    RunReader("PYTHONIOENCODING=utf-8 /usr/bin/python3 " + ShellQuote(script) + " " + ShellQuote(path),
              "dbfread", table, lines);
    std::vector<char> types;
    for (const std::string& utf8 : lines) {
        const std::string line = platform::text::Utf8ToGbk(utf8);
        if (StartsWith(line, "count ")) {
            table.count = std::atol(line.c_str() + 6);
        } else if (StartsWith(line, "field ")) {
            const std::size_t space = line.rfind(' ');
            table.names.push_back(line.substr(6, space - 6));
            types.push_back(line[space + 1]);
        } else if (StartsWith(line, "row\t") || line == "row") {
            std::vector<std::string> cells = SplitLines(line, '\t');
            cells.erase(cells.begin());
            for (std::size_t i = 0; i < cells.size() && i < types.size(); ++i) {
                if (types[i] == 'N' || types[i] == 'F') cells[i] = NormalNumber(cells[i]);
            }
            table.rows.push_back(std::move(cells));
        }
    }
    return table;
}

ReadBackTable ReadWithOgrinfo(const std::string& path) {
    ReadBackTable table;
    std::vector<std::string> lines;
    // GDAL takes a table without a code page mark as Latin-1 unless told the encoding.
    RunReader("ogrinfo -ro -al --config SHAPE_ENCODING CP936 " + ShellQuote(path),
              "ogrinfo", table, lines);
    const std::vector<std::string> types = {"String", "Integer", "Integer64", "Real", "Date"};
    for (const std::string& utf8 : lines) {
        const std::string line = platform::text::Utf8ToGbk(utf8);
        if (StartsWith(line, "Feature Count: ")) {
            table.count = std::atol(line.c_str() + 15);
        } else if (StartsWith(line, "OGRFeature(")) {
            table.rows.emplace_back();
        } else if (StartsWith(line, "  ") && !table.rows.empty()) {
            // "  NAME (Type) = value"
            const std::size_t open = line.find(" (");
            const std::size_t close = line.find(") = ");
            if (open == std::string::npos || close == std::string::npos) continue;
            const std::string type = line.substr(open + 2, close - open - 2);
            std::string value = line.substr(close + 4);
            if (value == "(null)") {
                value.clear();
            } else if (type == "Date") {
                std::erase(value, '/');
            } else if (type != "String") {
                value = NormalNumber(value);
            }
            table.rows.back().push_back(value);
        } else if (table.rows.empty()) {
            // Field list of the layer summary: "NAME: Type (width.decimals)"
            const std::size_t colon = line.find(": ");
            if (colon == std::string::npos || colon == 0) continue;
            const std::size_t space = line.find(" (", colon);
            if (space == std::string::npos) continue;
            const std::string type = line.substr(colon + 2, space - colon - 2);
            if (std::find(types.begin(), types.end(), type) != types.end()) {
                table.names.push_back(line.substr(0, colon));
            }
        }
    }
    return table;
}

void ExpectReadersSee(const std::string& path, const std::vector<std::string>& names,
                      const std::vector<std::vector<std::string>>& rows) {
    SCOPED_TRACE(path);
    std::ifstream in(path, std::ios::binary);
    const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    ASSERT_GE(bytes.size(), 12u);
    auto u = [&](std::size_t i) { return static_cast<std::size_t>(static_cast<unsigned char>(bytes[i])); };
    const std::size_t count = u(4) | u(5) << 8 | u(6) << 16 | u(7) << 24;
    const std::size_t headerLength = u(8) | u(9) << 8;
    const std::size_t recordLength = u(10) | u(11) << 8;
    EXPECT_EQ(count, rows.size());
    EXPECT_EQ(bytes.size(), headerLength + count * recordLength + (count > 0 ? 1 : 0));

    for (const char* reader : {"dbfread", "ogrinfo"}) {
        SCOPED_TRACE(reader);
        const ReadBackTable table =
            reader == std::string("dbfread") ? ReadWithDbfread(path) : ReadWithOgrinfo(path);
        ASSERT_TRUE(table.ok) << table.error;
        EXPECT_EQ(table.count, static_cast<long>(rows.size()));
        EXPECT_EQ(table.names, names);
        EXPECT_EQ(table.rows, rows);
    }
}

}  // namespace cadastral
