#include "setup/cabinet/extract.h"

#include <sys/stat.h>

#include <algorithm>
#include <cstring>
#include <map>
#include <thread>

#include "cabinet_fixture.h"
#include "platform/win/files.h"

namespace {

using namespace Cabinet;
namespace fs = std::filesystem;
using dero::testing::ReadFile;
using dero::testing::WriteFile;

// UTF-8 text for the shell and file names on disk (narrow literals are GBK here).
std::string U8(const char8_t* text) { return reinterpret_cast<const char*>(text); }

class ExtractTest : public cabtest::CabinetTest {
protected:
    // Every regular file below root, relative path -> content and modification time.
    static std::map<std::string, std::pair<std::string, time_t>> Tree(const std::string& root) {
        std::map<std::string, std::pair<std::string, time_t>> tree;
        for (const auto& entry : fs::recursive_directory_iterator(root)) {
            if (!entry.is_regular_file()) continue;
            struct stat info {};
            ::stat(entry.path().c_str(), &info);
            tree[fs::relative(entry.path(), root).string()] = {ReadFile(entry.path()), info.st_mtime};
        }
        return tree;
    }
    static bool Extract(CExtract& extract, const std::u16string& cab, const std::u16string& to) {
        return extract.OpenFdiContext() && extract.ExtractCabinet(cab, to, nullptr);
    }
};

// Members seen by the notifications of one extraction.
struct Seen {
    std::vector<std::u16string> before;
    std::vector<std::string> memory;  // content plus what follows it
    std::u16string skip;
    std::u16string abortAt;
    CExtract* extract = nullptr;
};

int Before(CabFileInfo* file, void* user) {
    auto* seen = static_cast<Seen*>(user);
    seen->before.push_back(file->relativeFolder + file->fileName);
    if (file->fileName == seen->abortAt) seen->extract->Abort();
    return file->fileName == seen->skip ? 0 : 1;
}
int After(const WCHAR*, MemoryTarget* memory, void* user) {
    auto* seen = static_cast<Seen*>(user);
    if (memory) {
        memory->data[memory->used] = memory->data[memory->used + 1] = 0;
        seen->memory.emplace_back(reinterpret_cast<char*>(memory->data), memory->used + 2);
    }
    return 0;
}

TEST_F(ExtractTest, GcabCabinetsComeOutAsCabextractGivesThem) {
    const std::string src = Temp() + "/src";
    WriteFile(src + "/readme.txt", "hello cabinet\n");
    WriteFile(src + "/empty.dat", "");
    WriteFile(src + U8(u8"/数据/地籍/table.bin"), std::string(100000, '\x5a') + "tail");
    ASSERT_EQ(0, cabtest::Shell("touch -d '2019-03-04 05:06:08' " + src + "/readme.txt"));
    for (const std::string& flags : {std::string("-c -z"), std::string("-c")}) {
        SCOPED_TRACE(flags);
        fs::remove_all(C("out"));
        fs::remove_all(Temp() + "/ref");
        ASSERT_EQ(0, cabtest::Shell("cd " + src + " && gcab " + flags + " " + C("cabs/data.cab") +
                                  U8(u8" readme.txt empty.dat 数据/地籍/table.bin")));
        ASSERT_EQ(0, cabtest::Shell("cabextract -q -d " + Temp() + "/ref " + C("cabs/data.cab")));
        CExtract extract;
        ASSERT_TRUE(Extract(extract, u"C:\\cabs\\data.cab", u"C:\\out"));
        EXPECT_EQ(Tree(C("out")), Tree(Temp() + "/ref"));
        EXPECT_EQ(extract.Error().ownCode, 0);
        EXPECT_EQ(extract.Error().systemCode, 0u);
        EXPECT_EQ(extract.Error().fdi.erfOper, 0);
    }

    // The writer's attributes: read-only is kept, the rest is accepted; memory mode writes nothing.
    Write(R"("cabinets": [{"name": "attr.cab"}], "files": [
        {"name": "ro.txt", "data": "locked", "attribs": 33}, {"name": "hid.txt", "data": "h", "attribs": 2},
        {"name": "utc.txt", "data": "u", "attribs": 288}, {"name": "blank.txt", "data": ""}])");
    ASSERT_EQ(0, cabtest::Shell("cabextract -q -d " + Temp() + "/ref2 " + C("cabs/attr.cab")));
    CExtract extract;
    ASSERT_TRUE(Extract(extract, u"C:\\cabs\\attr.cab", u"C:\\attr\\"));
    const auto ours = Tree(C("attr")), theirs = Tree(Temp() + "/ref2");
    EXPECT_EQ(ours.at("ro.txt"), theirs.at("ro.txt"));
    EXPECT_EQ(ours.at("blank.txt"), theirs.at("blank.txt"));
    EXPECT_EQ(ours.at("utc.txt").first, "u");
    EXPECT_TRUE(GetFileAttributesW(u"C:\\attr\\ro.txt") & FILE_ATTRIBUTE_READONLY);
    EXPECT_FALSE(GetFileAttributesW(u"C:\\attr\\hid.txt") & FILE_ATTRIBUTE_READONLY);
    // Extracting again over a read-only file works.
    EXPECT_TRUE(extract.ExtractCabinet(u"C:\\cabs\\attr.cab", u"C:\\attr\\", nullptr));

    Seen seen;
    ExtractCallbacks callbacks;
    callbacks.afterCopy = After;
    extract.SetCallbacks(callbacks);
    EXPECT_TRUE(extract.ExtractCabinet(u"C:\\cabs\\attr.cab", u"memory\\", &seen));
    EXPECT_EQ(seen.memory, (std::vector<std::string>{std::string("locked\0\0", 8), std::string("h\0\0", 3),
                                                     std::string("u\0\0", 3), std::string("\0\0", 2)}));
    EXPECT_FALSE(fs::exists(C("memory")));
    EXPECT_FALSE(fs::exists(Temp() + "/memory"));
}

TEST_F(ExtractTest, ArgumentsThreadsSkipsAbortsAndSets) {
    Write(R"("cabinets": [{"name": "a.cab"}, {"name": "b.cab"}, {"name": "c.cab"}], "split": [100, 300],
        "set_id": 77, "files": [
        {"name": "one.txt", "size": 60}, {"name": "sub\\two.bin", "size": 120}, {"name": "\u4e09.txt", "size": 150},
        {"name": "four", "size": 10}, {"name": "empty", "size": 0}, {"name": "big", "size": 300}, {"name": "z", "size": 5}])");
    for (const char* cab : {"a", "b", "c"})
        ASSERT_EQ(0, cabtest::Shell("cabextract -q -d " + Temp() + "/ref " + C("cabs/") + cab + ".cab"));
    {
        // The whole set from its first cabinet, spanning member included.
        CExtract extract;
        ASSERT_TRUE(Extract(extract, u"C:\\cabs\\a.cab", u"C:\\set"));
        EXPECT_EQ(Tree(C("set")), Tree(Temp() + "/ref"));
        FDICABINETINFO info{};
        EXPECT_TRUE(extract.IsCabinetFile(u"C:\\cabs\\b.cab", &info));
        EXPECT_EQ(info.setID, 77);
        EXPECT_EQ(info.iCabinet, 1);
        EXPECT_TRUE(info.hasprev);
    }
    {
        CExtract extract;
        ASSERT_TRUE(extract.OpenFdiContext());
        EXPECT_FALSE(extract.ExtractCabinet(u"a.cab", u"C:\\x", nullptr));
        EXPECT_EQ(extract.Error().ownCode, kErrorBadArguments);
        EXPECT_FALSE(extract.ExtractCabinet(u"C:\\cabs\\a.cab", u"C", nullptr));
        EXPECT_EQ(extract.Error().ownCode, kErrorBadArguments);

        // One extractor with a context per thread; none used from another thread.
        CExtract second;
        EXPECT_FALSE(second.OpenFdiContext());
        EXPECT_EQ(second.Error().ownCode, kErrorThreadBusy);
        std::thread([&] { EXPECT_FALSE(extract.ExtractCabinet(u"C:\\cabs\\a.cab", u"C:\\t", nullptr)); }).join();
        EXPECT_EQ(extract.Error().ownCode, kErrorWrongThread);
        EXPECT_FALSE(fs::exists(C("t")));
        EXPECT_TRUE(extract.CleanUp());
        EXPECT_TRUE(second.OpenFdiContext());
    }
    {
        // A skipped member is left out and the set goes on.
        CExtract extract;
        Seen seen;
        seen.skip = u"two.bin";
        ExtractCallbacks callbacks;
        callbacks.beforeCopy = Before;
        extract.SetCallbacks(callbacks);
        ASSERT_TRUE(extract.OpenFdiContext());
        EXPECT_TRUE(extract.ExtractCabinet(u"C:\\cabs\\a.cab", u"C:\\skip", &seen));
        EXPECT_EQ(seen.before, (std::vector<std::u16string>{u"one.txt", u"sub\\two.bin", u"三.txt", u"four", u"empty", u"big", u"z"}));
        EXPECT_FALSE(fs::exists(C("skip/sub/two.bin")));
        EXPECT_TRUE(fs::exists(C("skip/four")));

        // Abort: the file opened last is deleted, those finished before it stay.
        seen = Seen{};
        seen.abortAt = u"two.bin";
        seen.extract = &extract;
        EXPECT_FALSE(extract.ExtractCabinet(u"C:\\cabs\\a.cab", u"C:\\abort", &seen));
        EXPECT_TRUE(fs::exists(C("abort/one.txt")));
        EXPECT_FALSE(fs::exists(C("abort/sub/two.bin")));
        EXPECT_FALSE(fs::exists(C(U8(u8"abort/三.txt"))));
    }
}

TEST_F(ExtractTest, EncipheredCabinetsAndKeys) {
    Write(R"("cabinets": [{"name": "plain.cab"}], "files": [
        {"name": "a.txt", "size": 5000}, {"name": "b.txt", "size": 33}, {"name": "c.txt", "data": "cee"}])");
    Encipher("surveyor-key", "plain.cab", "cryp.cab");
    ASSERT_EQ(0, cabtest::Shell("cabextract -q -d " + Temp() + "/ref " + C("cabs/plain.cab")));
    {
        CExtract extract;
        extract.SetExtractorKey("surveyor-key", 12);
        ASSERT_TRUE(Extract(extract, u"C:\\cabs\\cryp.cab", u"C:\\dec"));
        EXPECT_EQ(Tree(C("dec")), Tree(Temp() + "/ref"));
        EXPECT_FALSE(extract.ExtractCabinet(u"C:\\cabs\\plain.cab", u"C:\\p", nullptr));
        EXPECT_EQ(extract.Error().ownCode, kErrorPlainWithKey);

        // Reads of any alignment: the first 56 bytes as stored, the rest deciphered, and the
        // position afterwards p + n.
        const std::string plain = ReadFile(C("cabs/plain.cab"));
        const std::string stored = ReadFile(C("cabs/cryp.cab"));
        const std::int32_t handle = extract.TrackedOpen(u"C:\\cabs\\cryp.cab", 0x8000, 0x100);
        ASSERT_GT(handle, 0);
        char buffer[64];
        for (const auto& [p, n] : std::vector<std::pair<long, unsigned>>{{48, 16}, {57, 3}, {61, 11}, {100, 1}, {4, 60}}) {
            SCOPED_TRACE(p);
            ASSERT_EQ(extract.TrackedSeek(handle, p, SEEK_SET), p);
            ASSERT_EQ(extract.TrackedRead(handle, buffer, n), static_cast<int>(n));
            for (unsigned i = 0; i < n; ++i) {
                const char expected = p + i < 56 ? stored[p + i] : plain[p + i];
                EXPECT_EQ(buffer[i], expected) << "offset " << p + i;
            }
            EXPECT_EQ(extract.FileSeek(handle, 0, SEEK_CUR), static_cast<long>(p + n));
        }
        // Larger than the read buffer: refused, nothing overrun.
        std::vector<char> big(70000);
        EXPECT_EQ(extract.TrackedRead(handle, big.data(), 65529), -1);
        EXPECT_EQ(extract.Error().systemCode, kErrorReadTooLarge);
        extract.TrackedClose(handle);
    }
    {
        CExtract extract;
        extract.SetExtractorKey("", 0);
        ASSERT_TRUE(extract.OpenFdiContext());
        EXPECT_FALSE(extract.IsCabinetFile(u"C:\\cabs\\cryp.cab", nullptr));
        EXPECT_EQ(extract.Error().ownCode, kErrorEncipheredWithoutKey);
        EXPECT_TRUE(extract.IsCabinetFile(u"C:\\cabs\\plain.cab", nullptr));
        extract.SetExtractorKey("wrong-key!", 10);
        EXPECT_FALSE(extract.ExtractCabinet(u"C:\\cabs\\cryp.cab", u"C:\\wrong", nullptr));
    }

    // A key of 80 bytes is its first 72.
    const std::string key80 = std::string(72, 'k').replace(0, 10, "0123456789") + "ABCDEFGH";
    BlowfishState long_, short_;
    BlowfishSetKey(&long_, reinterpret_cast<const unsigned char*>(key80.data()), 80);
    BlowfishSetKey(&short_, reinterpret_cast<const unsigned char*>(key80.data()), 72);
    EXPECT_EQ(0, std::memcmp(long_.p, short_.p, sizeof long_.p));
    EXPECT_EQ(0, std::memcmp(long_.s, short_.s, sizeof long_.s));
    BlowfishSetKey(&short_, nullptr, 0);
    EXPECT_FALSE(short_.keySet);
    unsigned char block[8] = {1, 2, 3, 4, 5, 6, 7, 8};
    EXPECT_EQ(DecipherBlocks(&short_, 0, block, 1), 0u);
}

TEST_F(ExtractTest, NamesAndLinksThatLeaveTheDestinationAreRefused) {
    // Raw stored names: "..\x", "a/../../x", "C:\x", an overlong "/" in UTF-8, and "\x".
    Write(R"("cabinets": [{"name": "evil.cab"}], "files": [
        {"name": "..\\up1.txt", "data": "1"}, {"name": "a/../../up2.txt", "data": "2"},
        {"name": "C:\\up3.txt", "data": "3"}, {"name_hex": "2e2ec0af7570342e747874", "data": "4", "attribs": 160},
        {"name": "\\inside.txt", "data": "5"}, {"name": "ok\\fine.txt", "data": "6"}])");
    fs::create_directories(C("deep/dest"));
    CExtract extract;
    EXPECT_FALSE(Extract(extract, u"C:\\cabs\\evil.cab", u"C:\\deep\\dest"));
    EXPECT_EQ(extract.Error().ownCode, kErrorBadName);
    EXPECT_EQ(extract.Error().systemCode, kErrorInvalidName);
    std::vector<std::string> found;
    for (const auto& entry : fs::recursive_directory_iterator(Temp()))
        if (entry.is_regular_file() && entry.path().filename() != "set.json") found.push_back(fs::relative(entry.path(), Temp()));
    std::sort(found.begin(), found.end());
    EXPECT_EQ(found, (std::vector<std::string>{"c/cabs/evil.cab", "c/deep/dest/inside.txt", "c/deep/dest/ok/fine.txt"}));

    // A set naming a cabinet outside its folder, or itself again, ends with an error.
    Write(R"("cabinets": [{"name": "x.cab", "next": "..\\y.cab"}, {"name": "y.cab"}], "split": [30],
        "files": [{"name": "p", "size": 50}])");
    fs::copy_file(C("cabs/y.cab"), C("y.cab"));
    EXPECT_FALSE(extract.ExtractCabinet(u"C:\\cabs\\x.cab", u"C:\\loop", nullptr));
    EXPECT_NE(extract.Error().ownCode, 0);
    Write(R"("cabinets": [{"name": "s.cab", "next": "S.CAB"}, {"name": "t.cab"}], "split": [30],
        "files": [{"name": "p", "size": 50}])");
    EXPECT_FALSE(extract.ExtractCabinet(u"C:\\cabs\\s.cab", u"C:\\loop", nullptr));
    EXPECT_FALSE(fs::exists(C("loop/p")));

    // Folders of 1000 characters or more are refused.
    EXPECT_EQ(CreateFolderChain(u"C:\\" + std::u16string(1000, u'd')), kErrorPathTooLong);
    EXPECT_EQ(CreateFolderChain(u"C:\\made\\here\\"), 0u);
    EXPECT_TRUE(fs::is_directory(C("made/here")));

    // A link on a member's way below the destination is not written through: a folder link, one
    // that points at nothing, a link in the member's own place. The rest of the set goes on.
    Write(R"("cabinets": [{"name": "linked.cab"}], "files": [{"name": "fonts\\a.ttf", "data": "a"},
        {"name": "gone\\b.ttf", "data": "b"}, {"name": "c.txt", "data": "c"}, {"name": "d\\d.txt", "data": "d"}])");
    fs::create_directories(C("work"));
    fs::create_directories(Temp() + "/outside");
    fs::create_directory_symlink(Temp() + "/outside", C("work/fonts"));
    fs::create_symlink(Temp() + "/nowhere", C("work/gone"));
    fs::create_symlink(Temp() + "/outside/c.txt", C("work/c.txt"));
    EXPECT_FALSE(extract.ExtractCabinet(u"C:\\cabs\\linked.cab", u"C:\\work", nullptr));
    EXPECT_EQ(extract.Error().ownCode, kErrorBadName);
    EXPECT_EQ(extract.Error().systemCode, kErrorStoppedOnLink);
    EXPECT_TRUE(fs::is_empty(Temp() + "/outside"));
    EXPECT_FALSE(fs::exists(Temp() + "/nowhere"));
    EXPECT_EQ(ReadFile(C("work/d/d.txt")), "d");
}

TEST_F(ExtractTest, CutAndGarbledCabinetsNeverSucceed) {
    const std::string src = Temp() + "/src";
    std::string noise;
    for (unsigned i = 0, x = 12345; i < 3000; ++i) noise.push_back(static_cast<char>((x = x * 1103515245 + 12345) >> 16));
    WriteFile(src + "/a.txt", noise);
    WriteFile(src + "/b.txt", "bee");
    ASSERT_EQ(0, cabtest::Shell("cd " + src + " && gcab -c -z " + C("cabs/whole.cab") + " a.txt b.txt"));
    const std::string whole = ReadFile(C("cabs/whole.cab"));
    CExtract extract;
    ASSERT_TRUE(extract.OpenFdiContext());
    std::size_t tried = 0;
    for (std::size_t cut = 0; cut < whole.size(); cut += 97) {
        WriteFile(C("cabs/cut.cab"), whole.substr(0, cut));
        EXPECT_FALSE(extract.ExtractCabinet(u"C:\\cabs\\cut.cab", u"C:\\cut", nullptr)) << cut;
        ++tried;
    }
    for (std::size_t at = 0; at < 200 && at < whole.size(); at += 3) {
        std::string garbled = whole;
        garbled[at] = static_cast<char>(garbled[at] ^ 0xA5);
        garbled[whole.size() - 1 - at] = static_cast<char>(garbled[whole.size() - 1 - at] ^ 0x3C);
        WriteFile(C("cabs/garbled.cab"), garbled);
        extract.ExtractCabinet(u"C:\\cabs\\garbled.cab", u"C:\\garbled", nullptr);  // no crash
    }
    EXPECT_GT(tried, 5u);
}

}  // namespace
