#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cctype>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <memory>
#include <string>

#include "platform/cad/db_database.h"
#include "platform/cad/dxf_reader.h"
#include "platform/cad/dxf_writer.h"
#include "platform/cad/prompts.h"
#include "platform/text/encoding.h"
#include "platform/text/gbk.h"
#include "platform/win/path_mapping.h"

namespace platform::cad {
namespace {
thread_local std::string lastError;

bool EndsWithNoCase(const std::string& text, const char* ending) {
    std::size_t n = std::char_traits<char>::length(ending);
    return text.size() >= n &&
           platform::text::GbkEqualNoCase(std::string_view(text).substr(text.size() - n), ending);
}

bool IsFile(const std::string& path) {
    struct stat st {};
    return !path.empty() && ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

// The file a drawing name stands for on this machine: the name itself, or for "x.dwg" the x.dxf
// that holds the drawing here. Empty when neither exists.
std::string FindDrawing(const std::string& gbkName) {
    std::string path = platform::win::MapToLinux(std::string_view(gbkName));
    if (IsFile(path))
        return path;
    if (EndsWithNoCase(gbkName, ".dwg")) {
        std::string dxf = platform::win::MapToLinux(gbkName.substr(0, gbkName.size() - 4) + ".dxf");
        if (IsFile(dxf))
            return dxf;
    }
    return {};
}

// ".dwg" in any case at the end of a Linux path (UTF-8, so only ASCII letters are folded).
bool HasDwgEnding(const std::string& path) {
    if (path.size() < 4)
        return false;
    std::string ending = path.substr(path.size() - 4);
    for (char& c : ending)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return ending == ".dwg";
}

Acad::ErrorStatus Fail(Acad::ErrorStatus es, const std::string& message) {
    lastError = message;
    return es;
}

// A drawing file's text. A regular file is read into a buffer sized once from its length and left
// unfilled until the read: drawings run to hundreds of megabytes, which a string would first clear
// and then fill, page by page. Reading, not mapping, keeps a file that another program shortens
// meanwhile a short read rather than a fault. Whatever the length did not tell (a pipe, a file
// that grew) follows as it comes.
class DrawingText {
public:
    explicit DrawingText(const std::string& path) {
        int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
        if (fd < 0)
            return;
        struct stat st {};
        std::size_t expected = 0;
        if (::fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && st.st_size > 0)
            expected = static_cast<std::size_t>(st.st_size);
        ok_ = ReadAll(fd, expected);
        ::close(fd);
    }

    bool ok() const { return ok_; }
    std::string_view text() const {
        return rest_.empty() ? std::string_view(buffer_.get(), size_) : std::string_view(rest_);
    }

private:
    bool ReadAll(int fd, std::size_t expected) {
        if (expected > 0) {
            buffer_ = std::make_unique_for_overwrite<char[]>(expected);
            while (size_ < expected) {
                ssize_t got = ::read(fd, buffer_.get() + size_, expected - size_);
                if (got < 0 && errno == EINTR)
                    continue;
                if (got < 0)
                    return false;
                if (got == 0)
                    return true;  // shortened since its length was taken
                size_ += static_cast<std::size_t>(got);
            }
        }
        char chunk[65536];
        for (;;) {
            ssize_t got = ::read(fd, chunk, sizeof chunk);
            if (got < 0 && errno == EINTR)
                continue;
            if (got < 0)
                return false;
            if (got == 0)
                return true;
            if (rest_.empty())
                rest_.assign(buffer_.get(), size_);
            rest_.append(chunk, static_cast<std::size_t>(got));
        }
    }

    std::unique_ptr<char[]> buffer_;
    std::size_t size_ = 0;
    std::string rest_;  // the whole text, when more came than the length told
    bool ok_ = false;
};

// Reads the drawing file at a Linux path; name is how messages call it (GBK).
Acad::ErrorStatus ReadFrom(AcDbDatabase& target, const std::string& path, const std::string& name) {
    DrawingText file(path);
    if (!file.ok())
        return Fail(Acad::eFileNotFound, "drawing file cannot be read: " + name);
    if (!target.openObjectIds().isEmpty())
        return Fail(Acad::eWasOpenForWrite, "the drawing has objects open; it cannot be replaced by " + name);
    // The file is read into a drawing of its own first, so that a bad file leaves this one whole.
    auto read = std::make_unique<AcDbDatabase>(false, true);
    std::string error;
    std::vector<std::string> mended;
    if (!ReadDxf(file.text(), *read, error, &mended))
        return Fail(Acad::eInvalidDxfCode, name + ": " + error);
    // What the reader mended goes to the command line, a line a record, as a host's audit says it.
    for (const auto& line : mended)
        PrintToCommandLine("\n" + name + ": " + line);
    target.objects().Absorb(read->objects());
    target.setRootIds(read->blockTableId(), read->layerTableId(), read->linetypeTableId(),
                      read->textStyleTableId(), read->regAppTableId(), read->namedObjectsDictionaryId());
    target.setKeptTableIds(read->viewportTableId(), read->dimStyleTableId(), read->viewTableId(),
                           read->ucsTableId());
    target.setClayer(read->clayer());
    target.setTextstyle(read->textstyle());
    target.setCeltype(read->celtype());
    target.variables() = read->variables();
    target.setExtmin(read->extmin());
    target.setExtmax(read->extmax());
    return Acad::eOk;
}

Acad::ErrorStatus Read(AcDbDatabase& target, const char* fileName) {
    lastError.clear();
    std::string name = fileName != nullptr ? fileName : "";
    std::string path = FindDrawing(name);
    if (path.empty())
        return Fail(Acad::eFileNotFound, "drawing file not found: " + name);
    return ReadFrom(target, path, name);
}

// Follows a symbolic link, and any link it names, to the file a save must replace: the link
// itself stays. False for a link that cannot be read or a loop of links.
bool FollowLinks(std::string& path) {
    for (int hops = 0; hops < 40; ++hops) {
        struct stat st {};
        if (::lstat(path.c_str(), &st) != 0 || !S_ISLNK(st.st_mode))
            return true;
        char target[PATH_MAX];
        ssize_t length = ::readlink(path.c_str(), target, sizeof target);
        if (length <= 0 || static_cast<std::size_t>(length) >= sizeof target)
            return false;
        std::string next(target, static_cast<std::size_t>(length));
        std::size_t slash = path.rfind('/');
        if (next.front() != '/' && slash != std::string::npos)
            next = path.substr(0, slash + 1) + next;
        path = std::move(next);
    }
    return false;
}

bool WriteAll(int fd, const std::string& text) {
    std::size_t done = 0;
    while (done < text.size()) {
        ssize_t put = ::write(fd, text.data() + done, text.size() - done);
        if (put < 0 && errno == EINTR)
            continue;
        if (put <= 0)
            return false;
        done += static_cast<std::size_t>(put);
    }
    return true;
}

// A new file beside the target, which nobody else uses: its name and descriptor.
int CreateBeside(const std::string& path, std::string& temporary) {
    static std::atomic<int> counter{0};
    for (int attempt = 0; attempt < 100; ++attempt) {
        temporary = path + ".saving-" + std::to_string(::getpid()) + "-" + std::to_string(++counter);
        int fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd >= 0 || errno != EEXIST)
            return fd;
    }
    return -1;
}

// Saves the drawing to the file at a Linux path; name is how messages call it (GBK).
Acad::ErrorStatus WriteTo(const AcDbDatabase& db, std::string path, const std::string& name) {
    if (!FollowLinks(path))
        return Fail(Acad::eFileAccessErr, "cannot write " + name + ": its symbolic link leads nowhere");
    struct stat target {};
    bool exists = ::stat(path.c_str(), &target) == 0;
    if (exists && !S_ISREG(target.st_mode))
        return Fail(Acad::eFileAccessErr, name + " is not a drawing file");
    // A read-only file is left alone, as Windows leaves it: its mode decides, even for root.
    if (exists && ((target.st_mode & 0222) == 0 || ::access(path.c_str(), W_OK) != 0))
        return Fail(Acad::eFileAccessErr, name + " is read-only");
    std::string text = WriteDxf(db);
    // Written beside the target and renamed over it, so that a failed save never leaves half a
    // drawing; the new file keeps the old one's owner and permissions.
    std::string temporary;
    int fd = CreateBeside(path, temporary);
    if (fd < 0)
        return Fail(Acad::eFileNotFound, "cannot create " + name);
    bool ok = WriteAll(fd, text);
    if (ok && exists) {
        if (::fchown(fd, target.st_uid, target.st_gid) != 0) {
            // Only root may give a file away; anyone else keeps their own file as it was.
        }
        ok = ::fchmod(fd, target.st_mode & 07777) == 0;
    }
    ok = ok && ::fsync(fd) == 0;
    ok = ::close(fd) == 0 && ok;
    if (!ok || std::rename(temporary.c_str(), path.c_str()) != 0) {
        std::remove(temporary.c_str());
        return Fail(Acad::eFileNotFound, "cannot write " + name);
    }
    return Acad::eOk;
}

Acad::ErrorStatus Write(const AcDbDatabase& db, const char* fileName, bool dwgAsDxf) {
    lastError.clear();
    std::string name = fileName != nullptr ? fileName : "";
    // A drawing saved as "x.dwg" is kept as x.dxf, where a later look-up of x.dwg finds it.
    if (dwgAsDxf && EndsWithNoCase(name, ".dwg"))
        name = name.substr(0, name.size() - 4) + ".dxf";
    LONG mapError = 0;
    std::string path = platform::win::MapToLinux(std::string_view(name), &mapError);
    if (path.empty())
        return Fail(Acad::eInvalidInput, "no file can be written under the name \"" + name + "\"");
    return WriteTo(db, path, name);
}
}  // namespace

const std::string& LastDrawingFileError() {
    return lastError;
}

std::string FindDrawingFile(const std::string& path, std::string* documentName) {
    std::string file;
    std::string name;
    if (IsFile(path)) {
        file = path;
    } else if (HasDwgEnding(path) && IsFile(path.substr(0, path.size() - 4) + ".dxf")) {
        file = path.substr(0, path.size() - 4) + ".dxf";
    } else if (std::string gbk = text::Utf8ToGbk(path); text::GbkToUtf8(gbk) == path) {
        // Not a Linux file: perhaps a name in the host's own form ("C:\...", another case).
        file = FindDrawing(gbk);
        name = gbk;
    }
    if (!file.empty() && documentName != nullptr)
        *documentName = name.empty() ? win::MapToWindowsA(path) : name;
    return file;
}

Acad::ErrorStatus ReadDrawingFile(AcDbDatabase& db, const std::string& path, std::string* documentName) {
    lastError.clear();
    std::string name;
    std::string file = FindDrawingFile(path, &name);
    if (file.empty())
        return Fail(Acad::eFileNotFound, "drawing file not found: " + text::Utf8ToGbk(path));
    Acad::ErrorStatus es = ReadFrom(db, file, text::Utf8ToGbk(path));
    if (es == Acad::eOk && documentName != nullptr)
        *documentName = name;
    return es;
}

std::string SavedDrawingFile(const std::string& path) {
    return HasDwgEnding(path) ? path.substr(0, path.size() - 4) + ".dxf" : path;
}

Acad::ErrorStatus WriteDrawingFile(const AcDbDatabase& db, const std::string& path) {
    lastError.clear();
    if (path.empty())
        return Fail(Acad::eInvalidInput, "no file can be written under an empty name");
    return WriteTo(db, SavedDrawingFile(path), text::Utf8ToGbk(path));
}

}  // namespace platform::cad

Acad::ErrorStatus AcDbDatabase::readDwgFile(const char* fileName) {
    return platform::cad::Read(*this, fileName);
}
Acad::ErrorStatus AcDbDatabase::dxfIn(const char* fileName) {
    return platform::cad::Read(*this, fileName);
}
Acad::ErrorStatus AcDbDatabase::dxfOut(const char* fileName) {
    return platform::cad::Write(*this, fileName, false);
}
Acad::ErrorStatus AcDbDatabase::saveAs(const char* fileName) {
    return platform::cad::Write(*this, fileName, true);
}
