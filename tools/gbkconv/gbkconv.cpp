// gbkconv: converts text between the host's code page (GBK) and UTF-8, for people who edit the
// configuration tables and for scripts that show what the host prints.
//
//   gbkconv --to-utf8 [FILE]    GBK in, UTF-8 out
//   gbkconv --to-gbk [FILE]     UTF-8 in, GBK out
// Without FILE it reads standard input; it always writes standard output. Input that is not valid
// in its encoding, or UTF-8 with characters GBK lacks, is refused (exit 1) and nothing is written,
// since the conversion would put '?' or U+FFFD in their place.
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iostream>
#include <iterator>
#include <sstream>
#include <string>

#include "platform/text/encoding.h"

namespace {

int Usage() {
    std::fputs("usage: gbkconv --to-utf8|--to-gbk [FILE]\n", stderr);
    return 2;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2 || argc > 3) return Usage();
    const bool toUtf8 = std::strcmp(argv[1], "--to-utf8") == 0;
    const bool toGbk = std::strcmp(argv[1], "--to-gbk") == 0;
    if (!toUtf8 && !toGbk) return Usage();

    std::string input;
    if (argc == 3) {
        std::ifstream file(argv[2], std::ios::binary);
        if (!file) {
            std::fprintf(stderr, "gbkconv: cannot open %s\n", argv[2]);
            return 1;
        }
        input.assign(std::istreambuf_iterator<char>(file), {});
    } else {
        input.assign(std::istreambuf_iterator<char>(std::cin), {});
    }
    const std::string output = toUtf8 ? platform::text::GbkToUtf8(input) : platform::text::Utf8ToGbk(input);
    const std::string back = toUtf8 ? platform::text::Utf8ToGbk(output) : platform::text::GbkToUtf8(output);
    if (back != input) {
        std::size_t at = 0;
        while (at < back.size() && at < input.size() && back[at] == input[at]) ++at;
        std::fprintf(stderr, "gbkconv: %s at byte %zu; nothing written\n",
                     toUtf8 ? "the input is not valid GBK" : "the input is not valid UTF-8 or has a character GBK lacks",
                     at);
        return 1;
    }
    std::fwrite(output.data(), 1, output.size(), stdout);
    return std::fflush(stdout) == 0 ? 0 : 1;
}
