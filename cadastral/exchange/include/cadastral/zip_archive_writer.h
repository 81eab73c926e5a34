// Writes a ZIP archive of whole files, each deflated under a bare entry name.
//
// The archive is built under a temporary name beside its final one and only put in place by a
// successful Commit, so that a failure part way (a file that cannot be read, a full disk) never
// leaves a truncated archive behind nor loses an older archive of the same name. Every file call
// goes through the Windows layer, so paths are GBK in Windows form.
#pragma once

#include <string>

namespace cadastral {

class ZipArchiveWriter {
public:
    ZipArchiveWriter() = default;
    ~ZipArchiveWriter();  // an archive not committed is abandoned
    ZipArchiveWriter(const ZipArchiveWriter&) = delete;
    ZipArchiveWriter& operator=(const ZipArchiveWriter&) = delete;

    // Starts a new archive to be placed at archivePath.
    bool Create(const std::string& archivePath);
    // Adds the file at sourcePath under entryName (no folder part), deflated.
    bool AddFile(const std::string& sourcePath, const std::string& entryName);
    // Completes the archive and puts it at its final name, replacing an older one.
    bool Commit();
    // Drops the temporary file; an older archive stays as it was.
    void Abandon();

    // What failed last, in the host's code page ("" when nothing failed).
    const std::string& Error() const { return m_error; }
    const std::string& TemporaryPath() const { return m_temporaryPath; }

private:
    bool Fail(std::string what);

    void* m_zip = nullptr;
    bool m_writeFailed = false;  // set by the file calls, checked after every minizip call
    std::string m_archivePath;
    std::string m_temporaryPath;
    std::string m_error;
};

// Packs every file directly in folder (not its subfolders) into the archive at archivePath, in the
// order the folder lists them. On failure the message says what failed, the partial archive is gone
// and an older archive is untouched.
bool PackFolderToZip(const std::string& folder, const std::string& archivePath, std::string& error);

}  // namespace cadastral
