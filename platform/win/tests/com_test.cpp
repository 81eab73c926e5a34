#include "platform/win/com.h"

#include <thread>

#include "platform/text/encoding.h"
#include "platform/win/fault_injection.h"
#include "platform/win/shell_link.h"
#include "temp_root.h"

namespace {

class ComTest : public TempRoot {
protected:
    void TearDown() override {
        while (platform::win::ComInitializations() > 0)
            CoUninitialize();
        TempRoot::TearDown();
    }
};

constexpr CLSID kNobody = {0x12345678, 0x1, 0x2, {3, 4, 5, 6, 7, 8, 9, 10}};

template <typename Interface>
Interface* NewLink(REFIID iid) {
    void* object = nullptr;
    EXPECT_EQ(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, iid, &object), S_OK);
    return static_cast<Interface*>(object);
}

std::u16string Field(IShellLinkW* link, HRESULT (IShellLinkW::*get)(LPWSTR, int)) {
    WCHAR buffer[MAX_PATH];
    EXPECT_EQ((link->*get)(buffer, MAX_PATH), S_OK);
    return buffer;
}

}  // namespace

TEST_F(ComTest, ApartmentsClassTableAndStrings) {
    void* object = reinterpret_cast<void*>(1);
    EXPECT_EQ(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW, &object),
              CO_E_NOTINITIALIZED);
    EXPECT_EQ(object, nullptr);
    EXPECT_EQ(CoInitialize(nullptr), S_OK);
    EXPECT_EQ(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED), S_FALSE);
    EXPECT_EQ(CoInitializeEx(nullptr, COINIT_MULTITHREADED), RPC_E_CHANGED_MODE);
    EXPECT_EQ(platform::win::ComInitializations(), 2);
    std::thread([] {
        EXPECT_EQ(platform::win::ComInitializations(), 0);
        EXPECT_EQ(CoInitializeEx(nullptr, COINIT_MULTITHREADED), S_OK);
        CoUninitialize();
    }).join();

    EXPECT_EQ(CoCreateInstance(kNobody, nullptr, CLSCTX_ALL, IID_IUnknown, &object), REGDB_E_CLASSNOTREG);
    IUnknown* outer = NewLink<IUnknown>(IID_IUnknown);
    EXPECT_EQ(CoCreateInstance(CLSID_ShellLink, outer, CLSCTX_ALL, IID_IUnknown, &object),
              CLASS_E_NOAGGREGATION);
    EXPECT_EQ(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_ALL, kNobody, &object), E_NOINTERFACE);
    EXPECT_EQ(object, nullptr);
    // Both interfaces are one object: it ends with its last reference.
    IPersistFile* file = nullptr;
    ASSERT_EQ(outer->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file)), S_OK);
    EXPECT_EQ(outer->Release(), 1u);
    EXPECT_EQ(file->Release(), 0u);

    CoUninitialize();
    CoUninitialize();
    CoUninitialize();  // one too many changes nothing
    EXPECT_EQ(platform::win::ComInitializations(), 0);

    const char16_t withZero[] = {u'地', 0, u'籍'};
    BSTR text = SysAllocStringLen(withZero, 3);
    EXPECT_EQ(SysStringLen(text), 3u);
    EXPECT_EQ(SysStringByteLen(text), 6u);
    EXPECT_EQ(text[2], u'籍');
    EXPECT_EQ(text[3], 0);
    SysFreeString(text);
    text = SysAllocString(u"界址点");
    EXPECT_EQ(std::u16string(text), u"界址点");
    EXPECT_EQ(SysStringLen(text), 3u);
    SysFreeString(text);
    EXPECT_EQ(SysAllocString(nullptr), nullptr);
    EXPECT_EQ(SysStringLen(nullptr), 0u);
    SysFreeString(nullptr);
}

TEST_F(ComTest, ShellLinksSaveAsTextAndReadBackFieldForField) {
    ASSERT_EQ(CoInitialize(nullptr), S_OK);
    std::filesystem::create_directories(root() + "/c/Desktop");
    const char16_t* path = u"C:\\Desktop\\地籍 2009.lnk";

    IShellLinkW* link = NewLink<IShellLinkW>(IID_IShellLinkW);
    ASSERT_NE(link, nullptr);
    link->SetPath(u"C:\\Program Files\\ZWCAD 2009\\ZWCAD.EXE");
    link->SetArguments(u"/p 地籍 /nologo acad.dwt");
    link->SetWorkingDirectory(u"C:\\Program Files\\Dero\\system");
    link->SetDescription(u"100% 地籍\nsecond line");
    link->SetIconLocation(u"C:\\Program Files\\Dero\\dero.ico", 2);
    link->SetShowCmd(3);
    link->SetHotkey(0x0644);
    IPersistFile* file = nullptr;
    ASSERT_EQ(link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file)), S_OK);
    EXPECT_EQ(file->IsDirty(), S_OK);
    ASSERT_EQ(file->Save(path, TRUE), S_OK);
    EXPECT_EQ(file->IsDirty(), S_FALSE);
    const std::string saved = ReadFile(root() + platform::text::Utf16ToUtf8(u"/c/Desktop/地籍 2009.lnk"));
    EXPECT_NE(saved.find("\r\nTarget=C:\\Program Files\\ZWCAD 2009\\ZWCAD.EXE\r\n"), std::string::npos)
        << saved;
    EXPECT_NE(saved.find("Description=100%25 " + platform::text::Utf16ToUtf8(u"地籍") + "%0Asecond line\r\n"),
              std::string::npos)
        << saved;
    file->Release();
    link->Release();

    IPersistFile* reader = NewLink<IPersistFile>(IID_IPersistFile);
    ASSERT_EQ(reader->Load(u"c:\\desktop\\地籍 2009.LNK", STGM_READ), S_OK);
    IShellLinkW* loaded = nullptr;
    ASSERT_EQ(reader->QueryInterface(IID_IShellLinkW, reinterpret_cast<void**>(&loaded)), S_OK);
    WCHAR target[MAX_PATH];
    WIN32_FIND_DATAW found;
    EXPECT_EQ(loaded->GetPath(target, MAX_PATH, &found, 0), S_OK);
    EXPECT_EQ(std::u16string(target), u"C:\\Program Files\\ZWCAD 2009\\ZWCAD.EXE");
    EXPECT_EQ(std::u16string(found.cFileName), u"ZWCAD.EXE");
    EXPECT_EQ(Field(loaded, &IShellLinkW::GetArguments), u"/p 地籍 /nologo acad.dwt");
    EXPECT_EQ(Field(loaded, &IShellLinkW::GetWorkingDirectory), u"C:\\Program Files\\Dero\\system");
    EXPECT_EQ(Field(loaded, &IShellLinkW::GetDescription), u"100% 地籍\nsecond line");
    int index = 0, show = 0;
    WORD hotkey = 0;
    EXPECT_EQ(loaded->GetIconLocation(target, MAX_PATH, &index), S_OK);
    EXPECT_EQ(std::u16string(target), u"C:\\Program Files\\Dero\\dero.ico");
    EXPECT_EQ(index, 2);
    loaded->GetShowCmd(&show);
    loaded->GetHotkey(&hotkey);
    EXPECT_EQ(show, 3);
    EXPECT_EQ(hotkey, 0x0644);
    WCHAR cut[6];
    EXPECT_EQ(loaded->GetArguments(cut, 6), S_OK);
    EXPECT_EQ(std::u16string(cut), u"/p 地籍");

    // Saving again to the file it came from replaces it.
    loaded->SetArguments(u"/p other");
    ASSERT_EQ(reader->Save(nullptr, FALSE), S_OK);
    const std::string again = ReadFile(root() + platform::text::Utf16ToUtf8(u"/c/Desktop/地籍 2009.lnk"));
    EXPECT_NE(again.find("\r\nArguments=/p other\r\n"), std::string::npos);
    EXPECT_EQ(again.find(platform::text::Utf16ToUtf8(u"/p 地籍")), std::string::npos);
    EXPECT_EQ(std::count(again.begin(), again.end(), '['), 1);
    LPOLESTR current = nullptr;
    ASSERT_EQ(reader->GetCurFile(&current), S_OK);
    EXPECT_EQ(std::u16string(current), u"c:\\desktop\\地籍 2009.LNK");
    CoTaskMemFree(current);

    // What is not a link of ours, or not there, leaves the object as it was.
    WriteFile(root() + "/c/Desktop/other.lnk", std::string("L\0\0\0binary", 10));
    EXPECT_EQ(reader->Load(u"C:\\Desktop\\other.lnk", STGM_READ), E_FAIL);
    EXPECT_EQ(reader->Load(u"C:\\Desktop\\none.lnk", STGM_READ), STG_E_FILENOTFOUND);
    EXPECT_EQ(Field(loaded, &IShellLinkW::GetArguments), u"/p other");

    // A failed save leaves no half link; a read-only one is refused and kept.
    {
        platform::win::ScopedFaults faults;
        platform::win::InjectFault(platform::win::FaultKind::Write, u"*\\broken.lnk", ERROR_DISK_FULL);
        EXPECT_EQ(reader->Save(u"C:\\Desktop\\broken.lnk", FALSE), HRESULT_FROM_WIN32(ERROR_DISK_FULL));
        EXPECT_FALSE(std::filesystem::exists(root() + "/c/Desktop/broken.lnk"));
    }
    ASSERT_TRUE(SetFileAttributesW(u"C:\\Desktop\\other.lnk", FILE_ATTRIBUTE_READONLY));
    EXPECT_EQ(reader->Save(u"C:\\Desktop\\other.lnk", FALSE), E_ACCESSDENIED);
    EXPECT_EQ(ReadFile(root() + "/c/Desktop/other.lnk"), std::string("L\0\0\0binary", 10));
    loaded->Release();
    reader->Release();
}
