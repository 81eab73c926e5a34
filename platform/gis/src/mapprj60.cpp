#include "platform/gis/mapprj60.h"

#include <cstring>
#include <map>
#include <mutex>

#include "platform/gis/gis_document.h"
#include "platform/text/gbk.h"

using platform::gis::GisProject;
using platform::gis::GisProjectEntry;

namespace {

struct OpenProject {
    GisProject project;
    std::string path;  // where it was read from or is to be written
    LONG current = -1;
    std::string resolved;  // what the path call hands out
};

struct Projects {
    std::mutex mutex;
    std::map<short, OpenProject> open;
    short next = 0;

    short Add(OpenProject project)
    {
        for (int tries = 0; tries < 32767; ++tries) {
            next = next == 32767 ? 1 : static_cast<short>(next + 1);
            if (!open.contains(next)) {
                open.emplace(next, std::move(project));
                return next;
            }
        }
        return 0;
    }
    OpenProject* Find(short handle)
    {
        auto it = open.find(handle);
        return it == open.end() ? nullptr : &it->second;
    }
};

Projects& projects()
{
    static Projects instance;
    return instance;
}

bool IsAbsolute(const std::string& path)
{
    return (path.size() >= 2 && path[1] == ':') || (!path.empty() && (path[0] == '\\' || path[0] == '/'));
}

LONG Write(const OpenProject& project, const std::string& path)
{
    return platform::gis::WriteFileAtomically(path, platform::gis::SerializeGisProject(project.project)) ? 1 : 0;
}

}  // namespace

short PrjNew(LONG)
{
    Projects& p = projects();
    std::lock_guard lock(p.mutex);
    return p.Add(OpenProject{});
}

short PrjOpen(const char* path, LONG, LONG)
{
    if (path == nullptr) return 0;
    std::string bytes;
    const int read = platform::gis::ReadFileBytes(path, &bytes);
    if (read <= 0) return static_cast<short>(read);
    OpenProject project;
    std::string error;
    if (!platform::gis::ParseGisProject(bytes, &project.project, &error)) return -1;
    project.path = path;
    Projects& p = projects();
    std::lock_guard lock(p.mutex);
    return p.Add(std::move(project));
}

LONG PrjEnterFile(short handle, LONG position, const char* filePath, LONG, LONG)
{
    Projects& p = projects();
    std::lock_guard lock(p.mutex);
    OpenProject* project = p.Find(handle);
    if (project == nullptr || filePath == nullptr || position < 0 || std::strlen(filePath) > 259) return 0;
    auto& entries = project->project.entries;
    if (static_cast<std::size_t>(position) < entries.size()) {
        entries[static_cast<std::size_t>(position)].path = filePath;
        project->current = position;
    } else {
        entries.push_back(GisProjectEntry{filePath, PRJ_ENTRY{}});
        project->current = static_cast<LONG>(entries.size() - 1);
    }
    return project->current + 1;
}

LONG PrjGetEntry(short handle, LONG, PRJ_ENTRY* entry)
{
    Projects& p = projects();
    std::lock_guard lock(p.mutex);
    OpenProject* project = p.Find(handle);
    if (project == nullptr || entry == nullptr || project->current < 0) return 0;
    *entry = project->project.entries[static_cast<std::size_t>(project->current)].record;
    return 1;
}

LONG PrjPutEntry(short handle, LONG, const PRJ_ENTRY* entry, LONG)
{
    Projects& p = projects();
    std::lock_guard lock(p.mutex);
    OpenProject* project = p.Find(handle);
    if (project == nullptr || entry == nullptr || project->current < 0) return 0;
    PRJ_ENTRY& record = project->project.entries[static_cast<std::size_t>(project->current)].record;
    record = *entry;
    // A title always ends within its field.
    record.title[sizeof record.title - 1] = '\0';
    return 1;
}

LONG PrjSetPath(short handle, const char* path)
{
    Projects& p = projects();
    std::lock_guard lock(p.mutex);
    OpenProject* project = p.Find(handle);
    if (project == nullptr || path == nullptr) return 0;
    project->path = path;
    return 1;
}

LONG PrjWrite(short handle, LONG)
{
    OpenProject copy;
    {
        Projects& p = projects();
        std::lock_guard lock(p.mutex);
        OpenProject* project = p.Find(handle);
        if (project == nullptr || project->path.empty()) return 0;
        copy.project = project->project;
        copy.path = project->path;
    }
    return Write(copy, copy.path);
}

LONG PrjWriteAs(short handle, const char* path)
{
    if (path == nullptr) return 0;
    OpenProject copy;
    {
        Projects& p = projects();
        std::lock_guard lock(p.mutex);
        OpenProject* project = p.Find(handle);
        if (project == nullptr) return 0;
        copy.project = project->project;
    }
    return Write(copy, path);
}

LONG PrjGetCount(short handle)
{
    Projects& p = projects();
    std::lock_guard lock(p.mutex);
    OpenProject* project = p.Find(handle);
    return project == nullptr ? 0 : static_cast<LONG>(project->project.entries.size());
}

const char* PrjGetFilePath(short handle, LONG i)
{
    Projects& p = projects();
    std::lock_guard lock(p.mutex);
    OpenProject* project = p.Find(handle);
    if (project == nullptr || i < 0 || static_cast<std::size_t>(i) >= project->project.entries.size()) return nullptr;
    const std::string& entered = project->project.entries[static_cast<std::size_t>(i)].path;
    // A relative entry is read from the project's own folder.
    const std::size_t separator = platform::text::GbkFindLastSeparator(project->path);
    if (IsAbsolute(entered) || separator == std::string::npos)
        project->resolved = entered;
    else
        project->resolved = project->path.substr(0, separator + 1) + entered;
    return project->resolved.c_str();
}

LONG PrjGetEntryAt(short handle, LONG i, PRJ_ENTRY* entry)
{
    Projects& p = projects();
    std::lock_guard lock(p.mutex);
    OpenProject* project = p.Find(handle);
    if (project == nullptr || entry == nullptr || i < 0 ||
        static_cast<std::size_t>(i) >= project->project.entries.size())
        return 0;
    *entry = project->project.entries[static_cast<std::size_t>(i)].record;
    return 1;
}

LONG PrjFree(short handle)
{
    Projects& p = projects();
    std::lock_guard lock(p.mutex);
    return p.open.erase(handle) > 0 ? 1 : 0;
}

LONG PrjRelease(short handle) { return PrjFree(handle); }
