#include "setup/cabinet/drivers.h"

#include <atomic>
#include <functional>
#include <thread>

#include "cabinet_fixture.h"
#include "platform/ui/window_api.h"
#include "platform/win/fault_injection.h"
#include "setup/cabinet/extract.h"
#include "setup/cabinet/progress_messages.h"

namespace {

namespace fs = std::filesystem;
using dero::testing::WriteFile;

constexpr UINT kWorkerDone = WM_APP + 7;

struct Received {
    UINT msg;
    WPARAM wParam;
    std::u16string text;
};
std::vector<Received> g_received;  // written by the window's thread only

// A progress page in small: keeps each line and frees its text, as the pages do.
LRESULT PageProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == Setup::WM_CAB_INFO || msg == Setup::WM_CAB_ERROR) {
        auto* text = reinterpret_cast<WCHAR*>(lParam);
        g_received.push_back(Received{msg, wParam, text});
        delete[] text;
        return 0;
    }
    return DefWindowProcW(hwnd, msg, wParam, lParam);
}

class DriversTest : public cabtest::CabinetTest {
protected:
    void SetUp() override {
        CabinetTest::SetUp();
        static const bool registered = [] {
            WNDCLASSA wc;
            wc.lpfnWndProc = &PageProc;
            wc.lpszClassName = "cabpage";
            return RegisterClassA(&wc) != FALSE;
        }();
        ASSERT_TRUE(registered);
        window_ = CreateWindowExA(0, "cabpage", "page", 0, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
        ASSERT_TRUE(window_);
        g_received.clear();
    }
    void TearDown() override {
        DestroyWindow(window_);
        CabinetTest::TearDown();
    }

    // Runs work on a worker thread while this thread handles the page's messages.
    void OnWorker(const std::function<void()>& work) {
        std::atomic<bool> done{false};
        const HWND window = window_;
        std::thread worker([&] {
            work();
            done = true;
            PostMessageW(window, kWorkerDone, 0, 0);
        });
        MSG msg;
        while (!done && GetMessageW(&msg, nullptr, 0, 0)) DispatchMessageW(&msg);
        worker.join();
    }
    std::vector<std::pair<UINT, std::u16string>> Lines() const {
        std::vector<std::pair<UINT, std::u16string>> lines;
        for (const Received& r : g_received) {
            EXPECT_EQ(r.wParam, 0u);
            lines.emplace_back(r.msg, r.text);
        }
        return lines;
    }

    HWND window_ = nullptr;
};

TEST_F(DriversTest, MessageSequencesReachAWindowOfAnotherThread) {
    Write(R"("cabinets": [{"name": "data.cab"}], "files": [{"name": "a\\b.txt", "data": "bee"}, {"name": "c", "size": 70}])");
    Write(R"("cabinets": [{"name": "evil.cab"}], "files": [{"name": "..\\up.txt", "data": "x"}, {"name": "ok", "data": "y"}])");
    ASSERT_EQ(0, cabtest::Shell("/usr/bin/python3 " + cabtest::Tools() + "cab_encipher.py sekrit " + C("cabs/data.cab") +
                                " " + C("cabs/cryp.cab")));
    const std::u16string prepare = u"准备解压...";
    bool whole = false;

    OnWorker([&] { whole = Cabinet::ExtractCabinetFile(u"C:\\cabs\\data.cab", u"C:\\dest", window_, ""); });
    EXPECT_TRUE(whole);
    EXPECT_EQ(Lines(), (std::vector<std::pair<UINT, std::u16string>>{{1051, prepare}, {1051, u"成功解压所有文件"}}));
    EXPECT_EQ(dero::testing::ReadFile(C("dest/a/b.txt")), "bee");

    for (const char16_t* path : {u"C:\\cabs\\cryp.cab", u"C:\\cabs\\missing.cab"}) {
        g_received.clear();
        OnWorker([&] { whole = Cabinet::ExtractCabinetFile(path, u"C:\\dest2", window_, nullptr); });
        EXPECT_FALSE(whole);
        EXPECT_EQ(Lines(), (std::vector<std::pair<UINT, std::u16string>>{{1051, prepare},
                                                                         {1052, u"致命错误,文件不是cab格式"}}));
    }

    // A member refused on the way: the run is told, fatally, that the folder is partial.
    g_received.clear();
    OnWorker([&] { whole = Cabinet::ExtractCabinetFile(u"C:\\cabs\\evil.cab", u"C:\\in\\dest", window_, ""); });
    EXPECT_FALSE(whole);
    EXPECT_EQ(Lines(), (std::vector<std::pair<UINT, std::u16string>>{
                           {1051, prepare}, {1052, u"错误,部分文件未解压成功,数据可能已经损坏"}}));
    EXPECT_FALSE(fs::exists(C("in/up.txt")));
    EXPECT_TRUE(fs::exists(C("in/dest/ok")));

    // A thread already extracting cannot start another extraction.
    g_received.clear();
    OnWorker([&] {
        Cabinet::CExtract busy;
        ASSERT_TRUE(busy.OpenFdiContext());
        whole = Cabinet::ExtractCabinetFile(u"C:\\cabs\\data.cab", u"C:\\dest3", window_, "");
    });
    EXPECT_FALSE(whole);
    EXPECT_EQ(Lines(), (std::vector<std::pair<UINT, std::u16string>>{{1051, prepare},
                                                                     {1052, u"致命错误,启动解压进程失败"}}));
    EXPECT_FALSE(fs::exists(C("dest3")));
}

TEST_F(DriversTest, QueryCabinetInfoAndTextBlocks) {
    Write(R"("cabinets": [{"name": "data.cab"}], "files": [{"name": "a", "size": 10}, {"name": "b", "size": 20}])");
    std::uint32_t size = 7, second = 7, count = 7;
    EXPECT_EQ(Cabinet::QueryCabinetInfo(u"C:\\cabs\\data.cab", &size, &second, &count, ""), 1);
    EXPECT_EQ(size, fs::file_size(C("cabs/data.cab")));
    EXPECT_EQ(second, size);
    EXPECT_EQ(count, 2u);
    WriteFile(C("cabs/text.cab"), "not a cabinet at all");
    size = second = count = 7;
    EXPECT_EQ(Cabinet::QueryCabinetInfo(u"C:\\cabs\\text.cab", &size, &second, &count, ""), 0);
    EXPECT_EQ(size, 7u);
    EXPECT_EQ(second, 0u);
    EXPECT_EQ(count, 0u);
    EXPECT_EQ(Cabinet::QueryCabinetInfo(u"C:\\cabs\\data.cab", &size, &second, &count, "a key"), 0);

    for (WCHAR* block : {Setup::DuplicateWideString(static_cast<const WCHAR*>(nullptr)),
                         Setup::DuplicateWideString(u"")}) {
        EXPECT_EQ(block[0], 0);
        EXPECT_EQ(block[1], 0);
        delete[] block;
    }
    WCHAR* block = Setup::DuplicateWideString(u"地籍");
    EXPECT_EQ(std::u16string(block), u"地籍");
    EXPECT_EQ(block[3], 0);
    EXPECT_EQ(block[4], 0);
    delete[] block;
    // No window: the copy does not leak.
    EXPECT_EQ(Setup::SendProgressText(nullptr, Setup::WM_CAB_INFO, 0, u"lost"), 0);
}

TEST_F(DriversTest, AMissingDecompressorIsAFatalStart) {
    Write(R"("cabinets": [{"name": "data.cab"}], "files": [{"name": "a", "data": "x"}])");
    platform::win::ScopedFaults faults;
    for (const auto& [kind, name] :
         {std::pair{platform::win::FaultKind::Load, u"Cabinet.dll"}, {platform::win::FaultKind::Export, u"Cabinet.dll!FDICopy"}}) {
        platform::win::InjectFault(kind, name, ERROR_MOD_NOT_FOUND);
        {
            Cabinet::CExtract extract;
            extract.SetExtractorKey("", 0);
            EXPECT_FALSE(extract.OpenFdiContext());
            EXPECT_EQ(extract.Error().ownCode, Cabinet::kErrorNoDecompressor);
        }
        std::uint32_t size = 7, second = 7, count = 7;
        EXPECT_EQ(Cabinet::QueryCabinetInfo(u"C:\\cabs\\data.cab", &size, &second, &count, ""), 0);
        g_received.clear();
        bool whole = true;
        OnWorker([&] { whole = Cabinet::ExtractCabinetFile(u"C:\\cabs\\data.cab", u"C:\\dest", window_, ""); });
        EXPECT_FALSE(whole);
        EXPECT_EQ(Lines(), (std::vector<std::pair<UINT, std::u16string>>{{1051, u"准备解压..."},
                                                                         {1052, u"致命错误,启动解压进程失败"}}));
        EXPECT_FALSE(fs::exists(C("dest/a")));
        platform::win::ClearFaults();
    }
    // With the module back, the same thread extracts again.
    Cabinet::CExtract extract;
    extract.SetExtractorKey("", 0);
    EXPECT_TRUE(extract.OpenFdiContext());
}

}  // namespace
