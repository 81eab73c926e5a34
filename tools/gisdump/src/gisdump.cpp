// gisdump: shows a MapGIS file or project as text, its geometry as WKT, or builds one from text.
//
//   gisdump FILE              the file or project as text (UTF-8)
//   gisdump --wkt FILE        its geometry, one object a line
//   gisdump --build TEXT OUT  the file or project the text describes
#include <cstdio>
#include <string>

#include "gisdump/gis_text.h"
#include "platform/text/encoding.h"

namespace {

int Usage()
{
    std::fputs("usage: gisdump FILE | gisdump --wkt FILE | gisdump --build TEXT OUT\n", stderr);
    return 2;
}

// Command-line paths are UTF-8; the file calls take GBK.
bool Read(const std::string& utf8Path, std::string* bytes)
{
    const int read = platform::gis::ReadFileBytes(platform::text::Utf8ToGbk(utf8Path), bytes);
    if (read <= 0) std::fprintf(stderr, "gisdump: cannot read %s\n", utf8Path.c_str());
    return read > 0;
}

int Show(const std::string& path, bool wkt)
{
    std::string bytes, error, text;
    if (!Read(path, &bytes)) return 1;
    if (platform::gis::LooksLikeGisProject(bytes) && !wkt) {
        platform::gis::GisProject project;
        if (!platform::gis::ParseGisProject(bytes, &project, &error)) {
            std::fprintf(stderr, "gisdump: %s: %s\n", path.c_str(), error.c_str());
            return 1;
        }
        text = gisdump::DumpProject(project);
    } else {
        platform::gis::GisDocument document;
        if (!platform::gis::ParseGisDocument(bytes, &document, &error) ||
            (wkt && !gisdump::DumpWkt(document, &text, &error))) {
            std::fprintf(stderr, "gisdump: %s: %s\n", path.c_str(), error.c_str());
            return 1;
        }
        if (!wkt) text = gisdump::DumpDocument(document);
    }
    std::fwrite(text.data(), 1, text.size(), stdout);
    return 0;
}

int Build(const std::string& textPath, const std::string& outPath)
{
    std::string text, error;
    if (!Read(textPath, &text)) return 1;
    platform::gis::GisDocument document;
    platform::gis::GisProject project;
    bool isProject = false;
    if (!gisdump::ParseDump(text, &document, &project, &isProject, &error)) {
        std::fprintf(stderr, "gisdump: %s: %s\n", textPath.c_str(), error.c_str());
        return 1;
    }
    const std::string bytes =
        isProject ? platform::gis::SerializeGisProject(project) : platform::gis::SerializeGisDocument(document);
    if (!platform::gis::WriteFileAtomically(platform::text::Utf8ToGbk(outPath), bytes)) {
        std::fprintf(stderr, "gisdump: cannot write %s\n", outPath.c_str());
        return 1;
    }
    return 0;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc == 2 && argv[1][0] != '-') return Show(argv[1], false);
    if (argc == 3 && std::string(argv[1]) == "--wkt") return Show(argv[2], true);
    if (argc == 4 && std::string(argv[1]) == "--build") return Build(argv[2], argv[3]);
    return Usage();
}
