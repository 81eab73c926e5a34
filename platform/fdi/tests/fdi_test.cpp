// FDI over real cabinets made by gcab, with callbacks on plain POSIX files.
#include "platform/fdi/fdi.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <map>
#include <string>
#include <vector>

#include "platform/win/safe_points.h"
#include "testing/files.h"
#include "testing/temp_folder.h"

namespace {

void* Alloc(ULONG size) { return std::malloc(size); }
void Free(void* p) { std::free(p); }
INT_PTR Open(char* path, int flags, int) {
    const int mode = (flags & 3) == 1 ? O_WRONLY | O_CREAT | O_TRUNC : O_RDONLY;
    return ::open(path, mode, 0644);
}
int g_reads = 0, g_seeks = 0;  // the calls of the caller's read and seek
UINT Read(INT_PTR hf, void* buffer, UINT count) {
    ++g_reads;
    return static_cast<UINT>(::read(int(hf), buffer, count));
}
UINT Write(INT_PTR hf, void* buffer, UINT count) { return static_cast<UINT>(::write(int(hf), buffer, count)); }
int Close(INT_PTR hf) { return ::close(int(hf)); }
long Seek(INT_PTR hf, long distance, int origin) {
    ++g_seeks;
    return static_cast<long>(::lseek(int(hf), distance, origin));
}

struct CopyRun {
    std::string target;
    std::vector<std::string> seen;  // "type:name"
    std::string skip;
    std::string abortAt;
};
CopyRun* g_run = nullptr;
int g_safePoints = 0;
void CountSafePoint() { ++g_safePoints; }

INT_PTR Notify(FDINOTIFICATIONTYPE type, PFDINOTIFICATION note) {
    CopyRun& run = *g_run;
    switch (type) {
        case fdintCABINET_INFO: run.seen.push_back("info:" + std::string(note->psz3)); return 0;
        case fdintCOPY_FILE: {
            const std::string name = note->psz1;
            run.seen.push_back("copy:" + name + ":" + std::to_string(note->cb));
            if (name == run.abortAt) return -1;
            if (name == run.skip) return 0;
            return ::open((run.target + "/" + name).c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        }
        case fdintCLOSE_FILE_INFO:
            run.seen.push_back("close:" + std::string(note->psz1));
            ::close(int(note->hf));
            return TRUE;
        default: return 0;
    }
}

TEST(Fdi, TestsAndExtractsGcabCabinets) {
    dero::testing::TempFolder temp("fdi");
    const std::string out = temp / "out";
    ::mkdir(out.c_str(), 0755);
    dero::testing::WriteFile(temp / "src/a.txt", std::string(70000, 'a') + "end");
    dero::testing::WriteFile(temp / "src/empty.bin", "");
    dero::testing::WriteFile(temp / "src/b.txt", "bee");
    dero::testing::WriteFile(temp / "notcab.cab", std::string(100, 'x'));
    const std::string cab = temp / "set.cab";
    ASSERT_EQ(0, std::system(("cd " + temp.path() + "/src && gcab -c -z " + cab + " a.txt empty.bin b.txt").c_str()));

    ERF erf{};
    HFDI fdi = FDICreate(Alloc, Free, Open, Read, Write, Close, Seek, cpu80386, &erf);
    ASSERT_NE(fdi, nullptr);

    FDICABINETINFO info{};
    INT_PTR hf = ::open(cab.c_str(), O_RDONLY);
    EXPECT_TRUE(FDIIsCabinet(fdi, hf, &info));
    EXPECT_EQ(info.cFiles, 3);
    EXPECT_EQ(info.cFolders, 1);
    EXPECT_EQ(info.cbCabinet, static_cast<long>(std::filesystem::file_size(cab)));
    EXPECT_FALSE(info.hasnext);
    ::close(int(hf));
    hf = ::open((temp / "notcab.cab").c_str(), O_RDONLY);
    EXPECT_FALSE(FDIIsCabinet(fdi, hf, &info));
    ::close(int(hf));

    CopyRun run{out, {}, "empty.bin", ""};
    g_run = &run;
    std::string folder = temp.path() + "/";
    std::string name = "set.cab";
    platform::win::SetSafePointHook(CountSafePoint);
    ASSERT_TRUE(FDICopy(fdi, name.data(), folder.data(), 0, Notify, nullptr, nullptr));
    platform::win::SetSafePointHook(nullptr);
    EXPECT_EQ(g_safePoints, 2);  // between the three members
    EXPECT_EQ(run.seen, (std::vector<std::string>{"info:" + folder, "copy:a.txt:70003", "close:a.txt",
                                                  "copy:empty.bin:0", "copy:b.txt:3", "close:b.txt"}));
    EXPECT_EQ(dero::testing::ReadFile(out + "/a.txt"), std::string(70000, 'a') + "end");
    EXPECT_EQ(dero::testing::ReadFile(out + "/b.txt"), "bee");
    EXPECT_FALSE(std::filesystem::exists(out + "/empty.bin"));

    // -1 from a notification ends the copy with a user abort; a missing cabinet is not found.
    run = CopyRun{out, {}, "", "empty.bin"};
    EXPECT_FALSE(FDICopy(fdi, name.data(), folder.data(), 0, Notify, nullptr, nullptr));
    EXPECT_TRUE(erf.fError);
    EXPECT_EQ(erf.erfOper, FDIERROR_USER_ABORT);
    std::string missing = "missing.cab";
    EXPECT_FALSE(FDICopy(fdi, missing.data(), folder.data(), 0, Notify, nullptr, nullptr));
    EXPECT_EQ(erf.erfOper, FDIERROR_CABINET_NOT_FOUND);
    std::string notcab = "notcab.cab";
    EXPECT_FALSE(FDICopy(fdi, notcab.data(), folder.data(), 0, Notify, nullptr, nullptr));
    EXPECT_EQ(erf.erfOper, FDIERROR_NOT_A_CABINET);
    EXPECT_TRUE(FDIDestroy(fdi));
    g_run = nullptr;
}

// A cabinet's members are read in blocks: a few reads and seeks of the caller's file for a thousand
// members, not several for each, and the caller's own handle left where the reading stopped.
TEST(Fdi, ReadsTheHeadersOfManyMembersInBlocks) {
    dero::testing::TempFolder temp("fdi");
    for (int i = 0; i < 1000; ++i)
        dero::testing::WriteFile(temp / ("src/member-with-a-longer-name-" + std::to_string(i) + ".txt"),
                                 std::to_string(i));
    const std::string cab = temp / "many.cab";
    ASSERT_EQ(0, std::system(("cd " + temp.path() + "/src && gcab -c -z " + cab + " *.txt").c_str()));
    ERF erf{};
    HFDI fdi = FDICreate(Alloc, Free, Open, Read, Write, Close, Seek, cpu80386, &erf);
    ASSERT_NE(fdi, nullptr);

    g_reads = g_seeks = 0;
    FDICABINETINFO info{};
    const int hf = ::open(cab.c_str(), O_RDONLY);
    ASSERT_TRUE(FDIIsCabinet(fdi, hf, &info));
    EXPECT_EQ(info.cFiles, 1000);
    EXPECT_LT(g_reads + g_seeks, 20);
    const off_t stopped = ::lseek(hf, 0, SEEK_CUR);
    EXPECT_GT(stopped, 36);
    EXPECT_LT(stopped, static_cast<off_t>(std::filesystem::file_size(cab)));
    ::close(hf);

    const std::string out = temp / "out";
    ::mkdir(out.c_str(), 0755);
    CopyRun run{out, {}, "", ""};
    g_run = &run;
    g_reads = g_seeks = 0;
    std::string folder = temp.path() + "/";
    std::string name = "many.cab";
    ASSERT_TRUE(FDICopy(fdi, name.data(), folder.data(), 0, Notify, nullptr, nullptr));
    EXPECT_LT(g_reads + g_seeks, 40);
    EXPECT_EQ(dero::testing::ReadFile(out + "/member-with-a-longer-name-999.txt"), "999");
    EXPECT_EQ(run.seen.size(), 1u + 2 * 1000);
    g_run = nullptr;
    EXPECT_TRUE(FDIDestroy(fdi));
}

}  // namespace
