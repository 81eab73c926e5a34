// Copies with backup and their restore, and the folder helpers, on the mapped machine.
#include "install_fixture.h"
#include "platform/win/fault_injection.h"
#include "platform/win/files.h"
#include "setup/engine/uninstall.h"

namespace {

using installtest::InstallTest;
using installtest::ReadFile;
using installtest::WriteFile;
namespace fs = std::filesystem;
using platform::win::FaultKind;

using FileBackupTest = InstallTest;

TEST_F(FileBackupTest, FolderHelpersCountPastFourGigabytesAndRemoveWholeTrees) {
    WriteFile(C("Big/sub/b.txt"), "0123456789");
    WriteFile(C("Big/a.bin"), "");
    fs::resize_file(C("Big/a.bin"), std::uint64_t{5} << 30);  // sparse: costs no disk
    EXPECT_EQ(Setup::GetFolderSize(u"C:\\Big"), (std::uint64_t{5} << 30) + 10);
    EXPECT_EQ(Setup::GetFolderSize(u"C:\\Missing"), 0u);

    EXPECT_TRUE(Setup::DeletePathRecursive(u"C:\\Big"));
    EXPECT_FALSE(fs::exists(C("Big")));
    EXPECT_TRUE(Setup::DeletePathRecursive(u"C:\\Big"));
    WriteFile(C("one.txt"), "x");
    EXPECT_TRUE(Setup::DeletePathRecursive(u"C:\\one.txt"));
    EXPECT_FALSE(fs::exists(C("one.txt")));

    EXPECT_TRUE(Setup::IsAbsolutePath(u"C:\\Dero"));
    EXPECT_TRUE(Setup::IsAbsolutePath(u"\\\\server\\share"));
    for (const char16_t* path : {u"AutoCAD", u"Dero\\x", u"C:Dero", u"\\Dero", u""})
        EXPECT_FALSE(Setup::IsAbsolutePath(path)) << platform::text::Utf16ToUtf8(path);
}

TEST_F(FileBackupTest, FoldersOnTheWayAreMadeWhereMissingAndAFileInAFoldersPlaceFailsTheCopy) {
    // Missing folders between one that is there and the file are all made, outermost first.
    fs::create_directories(C("Way"));
    EXPECT_TRUE(Setup::CreateParentFolders(u"C:\\Way\\mid\\leaf\\f.txt"));
    EXPECT_TRUE(fs::is_directory(C("Way/mid/leaf")));
    EXPECT_FALSE(fs::exists(C("Way/mid/leaf/f.txt")));
    // A folder named on the way but off the path is made too, as the walk always did.
    EXPECT_TRUE(Setup::CreateParentFolders(u"C:\\Way\\x\\..\\y\\f.txt"));
    EXPECT_TRUE(fs::is_directory(C("Way/x")));
    EXPECT_TRUE(fs::is_directory(C("Way/y")));

    // A file where a folder should be: nothing is made below it and the copy fails, told or not
    // what stands at the target.
    WriteFile(C("Way/file"), "a file");
    WriteFile(C("new.txt"), "new");
    EXPECT_FALSE(Setup::CreateParentFolders(u"C:\\Way\\file\\sub\\f.txt"));
    Setup::BackupJournal journal;
    const std::u16string recovery = u"C:\\Temp\\insrecovery";
    for (const char16_t* target : {u"C:\\Way\\file\\f.txt", u"C:\\Way\\file\\sub\\f.txt"}) {
        const Setup::TargetState state = Setup::QueryTarget(target);
        EXPECT_FALSE(journal.CopyWithBackup(u"C:\\new.txt", target, true, recovery, u"C:\\Way", &state));
        EXPECT_FALSE(journal.CopyWithBackup(u"C:\\new.txt", target, true, recovery, u"C:\\Way"));
    }
    EXPECT_TRUE(journal.Empty());
    EXPECT_EQ(ReadFile(C("Way/file")), "a file");
}

TEST_F(FileBackupTest, EveryTargetGoesBackToItsOwnOriginal) {
    const std::u16string recovery = u"C:\\Temp\\insrecovery";
    WriteFile(C("Dero/bin/a.arx"), "old arx");
    WriteFile(C("Dero2/bin/a.arx"), "other copy's arx");
    WriteFile(C("Windows/system32/x.dll"), "old dll");
    WriteFile(C("new/a.arx"), "new arx");
    WriteFile(C("new/x.dll"), "new dll");
    WriteFile(C("new/added.txt"), "added");
    Setup::BackupJournal journal;

    // Below the base folder the backup keeps the relative path; outside it, the drive-less one.
    ASSERT_TRUE(journal.CopyWithBackup(u"C:\\new\\a.arx", u"C:\\Dero\\bin\\a.arx", true, recovery, u"C:\\Dero"));
    ASSERT_TRUE(journal.CopyWithBackup(u"C:\\new\\x.dll", u"C:\\Windows\\system32\\x.dll", true, recovery, u"C:\\Dero"));
    ASSERT_TRUE(journal.CopyWithBackup(u"C:\\new\\added.txt", u"C:\\Dero\\doc\\added.txt", true, recovery, u"C:\\Dero"));
    EXPECT_EQ(ReadFile(C("Temp/insrecovery/bin/a.arx")), "old arx");
    EXPECT_EQ(ReadFile(C("Temp/insrecovery/Windows/system32/x.dll")), "old dll");
    EXPECT_EQ(ReadFile(C("Dero/bin/a.arx")), "new arx");
    // A second copy (another installed copy, the same relative path) gets a backup of its own, and
    // a second write of a target keeps the first backup.
    ASSERT_TRUE(journal.CopyWithBackup(u"C:\\new\\a.arx", u"C:\\Dero2\\bin\\a.arx", true, recovery, u"C:\\Dero2"));
    ASSERT_TRUE(journal.CopyWithBackup(u"C:\\new\\a.arx", u"C:\\WINDOWS\\system32\\X.DLL", true, recovery, u"C:\\Dero2"));
    ASSERT_EQ(journal.Entries().size(), 4u);
    EXPECT_EQ(journal.Entries()[2].backup, u"");
    EXPECT_NE(journal.Entries()[3].backup, journal.Entries()[0].backup);
    EXPECT_EQ(ReadFile(C("Temp/insrecovery/bin/a.arx")), "old arx");

    // A target whose backup cannot be made is left alone; a new file that cannot be copied leaves
    // the original in place. Neither adds a pair.
    WriteFile(C("Dero/keep.txt"), "kept");
    platform::win::InjectFault(FaultKind::Copy, u"C:\\Temp\\insrecovery\\keep.txt");
    EXPECT_FALSE(journal.CopyWithBackup(u"C:\\new\\added.txt", u"C:\\Dero\\keep.txt", true, recovery, u"C:\\Dero"));
    platform::win::ClearFaults();
    WriteFile(C("Dero/user.dwg"), "the user's drawing");
    WriteFile(C("new/user.dwg"), "new drawing");
    platform::win::InjectFault(FaultKind::Copy, u"C:\\new\\user.dwg");
    EXPECT_FALSE(journal.CopyWithBackup(u"C:\\new\\user.dwg", u"C:\\Dero\\user.dwg", true, recovery, u"C:\\Dero"));
    platform::win::ClearFaults();
    EXPECT_EQ(ReadFile(C("Dero/keep.txt")), "kept");
    EXPECT_EQ(ReadFile(C("Dero/user.dwg")), "the user's drawing");
    EXPECT_EQ(journal.Entries().size(), 4u);

    // A file that cannot be put back stays in the journal with its backup.
    platform::win::InjectFault(FaultKind::Copy, u"C:\\Dero2\\bin\\a.arx");
    std::vector<std::u16string> told;
    const auto failed = journal.Restore([&](const Setup::BackedUpFile& e) { told.push_back(e.target); },
                                        [](const std::u16string& t) { return DeleteFileW(t.c_str()) != FALSE; });
    platform::win::ClearFaults();
    EXPECT_EQ(told.size(), 4u);
    ASSERT_EQ(failed.size(), 1u);
    EXPECT_EQ(failed[0].target, u"C:\\Dero2\\bin\\a.arx");
    EXPECT_EQ(ReadFile(platform::win::MapToLinux(failed[0].backup)), "other copy's arx");
    EXPECT_EQ(journal.Entries().size(), 1u);
    EXPECT_EQ(ReadFile(C("Dero/bin/a.arx")), "old arx");
    EXPECT_EQ(ReadFile(C("Windows/system32/x.dll")), "old dll");
    EXPECT_FALSE(fs::exists(C("Dero/doc/added.txt")));

    EXPECT_TRUE(journal.Restore([](const Setup::BackedUpFile&) {}, [](const std::u16string&) { return true; }).empty());
    EXPECT_EQ(ReadFile(C("Dero2/bin/a.arx")), "other copy's arx");
    EXPECT_TRUE(journal.Empty());
}

// What the listing found at a target (the tree copy hands it on) changes nothing of the outcome:
// a plain file, a read-only one, a link to a file elsewhere and a copy that fails come out as
// they do when the target is asked of afresh.
TEST_F(FileBackupTest, ATargetAsListedIsBackedUpAsOneAskedOfAfresh) {
    const std::u16string recovery = u"C:\\Temp\\insrecovery";
    WriteFile(C("new/f.txt"), "new");
    WriteFile(C("Elsewhere/shared.txt"), "shared");
    for (const bool listed : {false, true}) {
        const std::string base = listed ? "Listed" : "Asked";
        const std::u16string folder = u"C:\\" + platform::text::Utf8ToUtf16(base);
        WriteFile(C(base + "/plain.txt"), "old plain");
        WriteFile(C(base + "/ro.txt"), "old read-only");
        fs::permissions(C(base + "/ro.txt"), fs::perms::owner_read);
        fs::create_symlink(C("Elsewhere/shared.txt"), C(base + "/link.txt"));
        WriteFile(C(base + "/kept.txt"), "kept");
        Setup::BackupJournal journal;
        auto copy = [&](const char16_t* name) {
            const std::u16string target = folder + u"\\" + name;
            const Setup::TargetState state = Setup::QueryTarget(target);
            return journal.CopyWithBackup(u"C:\\new\\f.txt", target, true, recovery, folder, listed ? &state : nullptr);
        };
        SCOPED_TRACE(base);
        EXPECT_TRUE(copy(u"plain.txt"));
        EXPECT_FALSE(copy(u"ro.txt"));
        EXPECT_TRUE(copy(u"link.txt"));
        platform::win::InjectFault(FaultKind::Copy, u"C:\\new\\f.txt");
        EXPECT_FALSE(copy(u"kept.txt"));
        platform::win::ClearFaults();
        EXPECT_EQ(ReadFile(C(base + "/plain.txt")), "new");
        EXPECT_EQ(ReadFile(C("Temp/insrecovery/plain.txt")), "old plain");
        EXPECT_EQ(ReadFile(C(base + "/ro.txt")), "old read-only");
        EXPECT_EQ(fs::status(C(base + "/ro.txt")).permissions(), fs::perms::owner_read);
        // The link is replaced by the new file; its backup is a copy of what it led to, which stays.
        EXPECT_FALSE(fs::is_symlink(C(base + "/link.txt")));
        EXPECT_EQ(ReadFile(C(base + "/link.txt")), "new");
        EXPECT_FALSE(fs::is_symlink(C("Temp/insrecovery/link.txt")));
        EXPECT_EQ(ReadFile(C("Temp/insrecovery/link.txt")), "shared");
        EXPECT_EQ(ReadFile(C("Elsewhere/shared.txt")), "shared");
        EXPECT_EQ(ReadFile(C(base + "/kept.txt")), "kept");
        EXPECT_FALSE(fs::exists(C("Temp/insrecovery/kept.txt")));

        // The read-only file's copy failed after its backup, which it keeps: it cannot be put back
        // over, and stays as it was.
        const auto failed = journal.Restore([](const Setup::BackedUpFile&) {},
                                            [](const std::u16string& t) { return DeleteFileW(t.c_str()) != FALSE; });
        ASSERT_EQ(failed.size(), 1u);
        EXPECT_EQ(failed[0].target, folder + u"\\ro.txt");
        EXPECT_EQ(ReadFile(C(base + "/plain.txt")), "old plain");
        EXPECT_EQ(ReadFile(C(base + "/link.txt")), "shared");
        EXPECT_EQ(ReadFile(C(base + "/ro.txt")), "old read-only");
        fs::permissions(C(base + "/ro.txt"), fs::perms::owner_all);
        fs::remove_all(C("Temp/insrecovery"));
    }
}

}  // namespace
