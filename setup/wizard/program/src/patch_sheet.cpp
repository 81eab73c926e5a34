#include "setup/program/patch_sheet.h"

#include <array>
#include <map>

#include "platform/text/encoding.h"
#include "platform/ui/common_controls.h"
#include "platform/ui/dialog_manager.h"
#include "platform/ui/gdi.h"
#include "platform/ui/resources.h"
#include "platform/ui/window_api.h"
#include "platform/win/files.h"
#include "platform/win/registry.h"
#include "platform/win/threads.h"
#include "setup/cabinet/progress_messages.h"
#include "setup/engine/install_state.h"
#include "setup/engine/patch_engine.h"
#include "setup/engine/setup_xml.h"
#include "setup/wizard/backdrop.h"
#include "setup/wizard/globals.h"
#include "setup/wizard/page_support.h"

namespace Setup {

std::atomic<CWinThread*> g_patchWorker{nullptr};
std::vector<CADVer> g_patchDescriptions;

namespace {

constexpr DWORD_PTR kFirstObjectData = 0xFFFF;

std::string Gbk(std::u16string_view text) { return platform::text::Utf16ToGbk(text); }

char16_t Fold(char16_t c) { return c >= u'A' && c <= u'Z' ? static_cast<char16_t>(c - u'A' + u'a') : c; }

bool EqualNoCase(std::u16string_view a, std::u16string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (Fold(a[i]) != Fold(b[i])) return false;
    return true;
}

// Whether start begins text, over start's own length (an empty start begins anything).
bool StartsWith(std::u16string_view text, std::u16string_view start) {
    return start.size() <= text.size() && EqualNoCase(text.substr(0, start.size()), start);
}

// The matching passes' "begins": the target's text is not empty and begins the description's.
bool Begins(const std::u16string& target, const std::u16string& description) {
    return !target.empty() && StartsWith(description, target);
}

// A registry key opened for reading, closed with it.
class Key {
public:
    Key(HKEY parent, const std::u16string& path) {
        if (RegOpenKeyExW(parent, path.c_str(), 0, KEY_READ, &key_) != ERROR_SUCCESS) key_ = nullptr;
    }
    ~Key() {
        if (key_) RegCloseKey(key_);
    }
    Key(const Key&) = delete;
    Key& operator=(const Key&) = delete;
    explicit operator bool() const { return key_ != nullptr; }

    std::vector<std::u16string> Subkeys() const {
        std::vector<std::u16string> names;
        for (DWORD i = 0; key_; ++i) {
            std::array<char16_t, 256> name{};
            DWORD length = static_cast<DWORD>(name.size());
            if (RegEnumKeyExW(key_, i, name.data(), &length, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
            names.emplace_back(name.data(), length);
        }
        return names;
    }
    std::u16string Text(const char16_t* name) const {
        if (!key_) return {};
        std::array<char16_t, 2048> value{};
        DWORD size = static_cast<DWORD>(value.size() * sizeof(char16_t) - sizeof(char16_t));
        DWORD type = 0;
        if (RegQueryValueExW(key_, name, nullptr, &type, reinterpret_cast<BYTE*>(value.data()), &size) != ERROR_SUCCESS)
            return {};
        return value.data();
    }

private:
    HKEY key_ = nullptr;
};

std::u16string ParentOf(std::u16string folder) {
    while (!folder.empty() && folder.back() == u'\\') folder.pop_back();
    const auto slash = folder.rfind(u'\\');
    return slash == std::u16string::npos ? std::u16string() : folder.substr(0, slash);
}

// The product folder of a profile: the parent that most of its support folders share (two at
// least; the first one seen wins a tie).
std::u16string SharedParent(const std::u16string& folders) {
    std::vector<std::pair<std::u16string, int>> parents;
    std::size_t from = 0;
    while (from <= folders.size()) {
        std::size_t semicolon = folders.find(u';', from);
        if (semicolon == std::u16string::npos) semicolon = folders.size();
        const std::u16string parent = ParentOf(folders.substr(from, semicolon - from));
        from = semicolon + 1;
        if (parent.empty()) continue;
        auto known = std::find_if(parents.begin(), parents.end(), [&](const auto& p) { return EqualNoCase(p.first, parent); });
        if (known == parents.end()) parents.emplace_back(parent, 1);
        else ++known->second;
    }
    std::u16string best;
    int count = 1;
    for (const auto& [parent, n] : parents) {
        if (n > count) {
            best = parent;
            count = n;
        }
    }
    return best;
}

void ReadProfileEntries(std::vector<ConfigItem>& entries) {
    const std::u16string root = u"software\\Autodesk";
    Key autodesk(HKEY_LOCAL_MACHINE, root);
    for (const std::u16string& product : autodesk.Subkeys()) {
        Key productKey(HKEY_LOCAL_MACHINE, root + u"\\" + product);
        for (const std::u16string& release : productKey.Subkeys()) {
            const std::u16string releasePath = root + u"\\" + product + u"\\" + release;
            Key releaseKey(HKEY_LOCAL_MACHINE, releasePath);
            for (const std::u16string& language : releaseKey.Subkeys()) {
                Key installation(HKEY_LOCAL_MACHINE, releasePath + u"\\" + language);
                ConfigItem host;
                host.texts[0] = release;
                host.texts[4] = installation.Text(u"AcadLocation");
                host.texts[5] = installation.Text(u"ProductName");
                const std::u16string profiles = releasePath + u"\\" + language + u"\\Profiles";
                Key profilesKey(HKEY_CURRENT_USER, profiles);
                for (const std::u16string& profile : profilesKey.Subkeys()) {
                    Key general(HKEY_CURRENT_USER, profiles + u"\\" + profile + u"\\General");
                    if (!general) continue;
                    ConfigItem entry = host;
                    entry.texts[1] = profile;
                    entry.texts[2] = SharedParent(general.Text(u"ACAD"));
                    entries.push_back(std::move(entry));
                }
            }
        }
    }
}

void ReadProductEntries(const std::vector<ConfigItem>& profiles, std::vector<ConfigItem>& entries) {
    const std::u16string root = u"software\\Quorvane\\install";
    Key records(HKEY_CURRENT_USER, root);
    for (const std::u16string& name : records.Subkeys()) {
        Key record(HKEY_CURRENT_USER, root + u"\\" + name);
        ConfigItem entry;
        entry.texts[1] = record.Text(u"configname");
        entry.texts[2] = record.Text(u"installfolder");
        entry.texts[3] = root + u"\\" + name;
        const std::u16string product = record.Text(u"product");
        entry.texts[6] = product.empty() ? name : product;
        // The host comes from the profile the record names.
        const std::u16string registerPath = record.Text(u"register");
        for (const ConfigItem& profile : profiles) {
            if (EqualNoCase(profile.texts[1], entry.texts[1]) &&
                Gbk(registerPath).find("\\" + Gbk(profile.texts[0]) + "\\") != std::string::npos) {
                entry.texts[0] = profile.texts[0];
                entry.texts[4] = profile.texts[4];
                entry.texts[5] = profile.texts[5];
                break;
            }
        }
        entries.push_back(std::move(entry));
    }
}

// Kept when each of its three texts finds some description that it begins, or whose text is
// too short to say.
void KeepApplicable(std::vector<ConfigItem>& entries, const std::vector<CADVer>& descriptions, std::size_t cadver,
                    std::size_t product, std::size_t profile) {
    auto found = [&](auto test) { return std::any_of(descriptions.begin(), descriptions.end(), test); };
    for (std::size_t i = entries.size(); i-- > 0;) {
        const ConfigItem& e = entries[i];
        const bool keep =
            found([&](const CADVer& d) { return d.cadVersion.size() < cadver || StartsWith(d.cadVersion, e.texts[0]); }) &&
            found([&](const CADVer& d) { return d.profileName.size() < profile || StartsWith(d.profileName, e.texts[1]); }) &&
            found([&](const CADVer& d) { return d.product.size() < product || StartsWith(d.product, e.texts[6]); });
        if (!keep) entries.erase(entries.begin() + static_cast<std::ptrdiff_t>(i));
    }
}

void AddResources() {
    static const bool added = [] {
        using platform::ui::Control;
        using platform::ui::ControlKind;
        HINSTANCE m = SetupResources();
        platform::ui::DialogTemplate targets =
            page::PageDialog(IDD_PATCH_TARGETS, 143,
                             {Control(IDC_PATCH_TREE, ControlKind::TreeView, "", 7, 7, 303, 129,
                                      TVS_CHECKBOXES | TVS_HASBUTTONS | TVS_HASLINES | TVS_LINESATROOT)});
        platform::ui::AddDialog(m, targets);
        platform::ui::DialogTemplate install = page::PageDialog(
            IDD_PATCH_INSTALL, 143,
            {Control(1005, ControlKind::Static, "正在安装...", 7, 7, 300, 10),
             Control(1000, ControlKind::Progress, "", 7, 20, 303, 12),
             Control(IDC_PATCH_DETAILS, ControlKind::PushButton, "显示详细信息", 240, 38, 70, 14),
             Control(1011, ControlKind::ListBox, "", 7, 56, 303, 80)});
        install.controls[3].hidden = true;
        platform::ui::AddDialog(m, install);
        return true;
    }();
    (void)added;
}

using page::SetButtons;
using page::SheetItem;
using page::TakeText;

}  // namespace

// The tree.

BEGIN_MESSAGE_MAP(CPatchTree, CTreeCtrl)
ON_WM_LBUTTONDOWN()
ON_WM_DESTROY()
END_MESSAGE_MAP()

// The items' objects go with the window, which the sheet destroys before this object.
void CPatchTree::OnDestroy() {
    FreeItemData(nullptr);
    Default();
}

CPatchTree::~CPatchTree() {
    if (m_hWnd && ::IsWindow(m_hWnd)) FreeItemData(nullptr);
}

void CPatchTree::FreeItemData(HTREEITEM item) {
    const HTREEITEM start = item ? item : GetRootItem();
    auto free = [&](HTREEITEM node) {
        const DWORD_PTR data = GetItemData(node);
        if (data > kFirstObjectData) {
            delete reinterpret_cast<ConfigItem*>(data);
            SetItemData(node, 0);
        }
    };
    // Depth first over the subtree (over every root when item is null).
    auto walk = [&](auto& self, HTREEITEM node) -> void {
        for (HTREEITEM child = GetChildItem(node); child; child = GetNextSiblingItem(child)) self(self, child);
        free(node);
    };
    if (item) {
        walk(walk, start);
        return;
    }
    for (HTREEITEM root = start; root; root = GetNextSiblingItem(root)) walk(walk, root);
}

void CPatchTree::DeleteItemAndData(HTREEITEM item) {
    FreeItemData(item);
    DeleteItem(item);
}

void CPatchTree::DeleteAllItemsAndData() {
    FreeItemData(nullptr);
    DeleteAllItems();
}

void CPatchTree::Fill() {
    DeleteAllItemsAndData();
    profileEntries.clear();
    productEntries.clear();
    ReadProfileEntries(profileEntries);
    ReadProductEntries(profileEntries, productEntries);
    LoadSetupXml();
    descriptions = g_packageProfiles;
    KeepApplicable(profileEntries, descriptions, 3, 2, 2);
    KeepApplicable(productEntries, descriptions, 3, 3, 2);

    const HTREEITEM root = InsertItem("setup list");
    auto add = [&](HTREEITEM parent, const ConfigItem& entry, const std::u16string& label, bool checked) {
        const HTREEITEM item = InsertItem(Gbk(label).c_str(), parent);
        SetItemData(item, reinterpret_cast<DWORD_PTR>(new ConfigItem(entry)));
        SetCheck(item, checked ? TRUE : FALSE);
    };
    if (!profileEntries.empty()) {
        const HTREEITEM group = InsertItem("AutoCAD configs", root);
        for (const ConfigItem& e : profileEntries) add(group, e, e.texts[1] + u" (" + e.texts[5] + u")", false);
        Expand(group, TVE_EXPAND);
    }
    if (!productEntries.empty()) {
        const HTREEITEM group = InsertItem("Product of Dero", root);
        for (const ConfigItem& e : productEntries) add(group, e, e.texts[6] + u" (" + e.texts[2] + u")", true);
        Expand(group, TVE_EXPAND);
    }
    Expand(root, TVE_EXPAND);
}

void CPatchTree::OnLButtonDown(UINT, CPoint point) {
    UINT flags = 0;
    const HTREEITEM item = HitTest(point, &flags);
    // Checking an item checks everything below it too.
    if (item && flags == TVHT_ONITEMSTATEICON && !GetCheck(item)) {
        auto walk = [&](auto& self, HTREEITEM node) -> void {
            for (HTREEITEM child = GetChildItem(node); child; child = GetNextSiblingItem(child)) {
                SetCheck(child, TRUE);
                self(self, child);
            }
        };
        walk(walk, item);
    }
    Default();
}

int CollectCheckedTargets(CPatchTree& tree, std::vector<ConfigItem>& targets) {
    targets.clear();
    auto walk = [&](auto& self, HTREEITEM node) -> void {
        const DWORD_PTR data = tree.GetItemData(node);
        if (data > kFirstObjectData && tree.GetCheck(node)) targets.push_back(*reinterpret_cast<ConfigItem*>(data));
        for (HTREEITEM child = tree.GetChildItem(node); child; child = tree.GetNextSiblingItem(child)) self(self, child);
    };
    for (HTREEITEM root = tree.GetRootItem(); root; root = tree.GetNextSiblingItem(root)) walk(walk, root);
    // One folder is patched once.
    for (std::size_t i = 0; i < targets.size(); ++i) {
        for (std::size_t j = targets.size(); j-- > i + 1;)
            if (EqualNoCase(targets[j].texts[2], targets[i].texts[2])) targets.erase(targets.begin() + static_cast<std::ptrdiff_t>(j));
    }
    return static_cast<int>(targets.size());
}

std::vector<CADVer> MatchPatchTargets(std::vector<CADVer>& descriptions, std::vector<ConfigItem>& targets) {
    std::vector<CADVer> matched;
    auto fits = [](int pass, const CADVer& d, const ConfigItem& t) {
        const auto& x = t.texts;
        switch (pass) {
            case 1:
                return d.cadVersion.size() > 2 && d.profileName.size() > 1 && d.product.size() > 2 && Begins(x[6], d.product) &&
                       Begins(x[0], d.cadVersion) && Begins(x[1], d.profileName);
            case 2:
                return d.cadVersion.size() > 2 && d.product.size() > 2 && Begins(x[6], d.product) && Begins(x[0], d.cadVersion);
            case 3:
                return d.cadVersion.size() > 2 && d.profileName.size() > 1 && Begins(x[0], d.cadVersion) &&
                       Begins(x[1], d.profileName);
            case 4:
                return d.profileName.size() > 1 && d.product.size() > 2 && Begins(x[6], d.product) && Begins(x[1], d.profileName);
            default: {
                const std::size_t n = std::min(d.product.size(), x[6].size());
                if (n == 0 || !EqualNoCase(std::u16string_view(d.product).substr(0, n), std::u16string_view(x[6]).substr(0, n)))
                    return false;
                if (!d.cadVersion.empty() && !x[0].empty() && !StartsWith(d.cadVersion, x[0])) return false;
                if (!d.profileName.empty() && !x[1].empty() && !StartsWith(d.profileName, x[1])) return false;
                return true;
            }
        }
    };
    for (int pass = 1; pass <= 5; ++pass) {
        for (std::size_t i = descriptions.size(); i-- > 0;) {
            for (std::size_t j = 0; j < targets.size(); ++j) {
                if (!fits(pass, descriptions[i], targets[j])) continue;
                CADVer copy = descriptions[i];
                copy.installFolder = targets[j].texts[2];
                copy.recordPath = targets[j].texts[3];
                matched.push_back(std::move(copy));
                targets.erase(targets.begin() + static_cast<std::ptrdiff_t>(j));
                descriptions.erase(descriptions.begin() + static_cast<std::ptrdiff_t>(i));
                break;
            }
        }
    }
    return matched;
}

// The target page.

BEGIN_MESSAGE_MAP(CBeginPatchPage, CPropertyPage)
ON_WM_SIZE()
END_MESSAGE_MAP()

BOOL CBeginPatchPage::OnInitDialog() {
    CPropertyPage::OnInitDialog();
    tree.SubclassDlgItem(IDC_PATCH_TREE, this);
    tree.Fill();
    return TRUE;
}

BOOL CBeginPatchPage::OnSetActive() {
    BOOL shown = CPropertyPage::OnSetActive();
    SetButtons(this, PSWIZB_NEXT);
    ::ShowWindow(SheetItem(this, ID_WIZBACK), SW_HIDE);
    ::SetWindowTextA(SheetItem(this, ID_WIZNEXT), "开始");
    return shown;
}

BOOL CBeginPatchPage::OnKillActive() {
    auto* sheet = static_cast<CPatchSheet*>(GetSheet());
    if (CollectCheckedTargets(tree, sheet->targets) == 0) {
        ::MessageBoxA(m_hWnd, "必须先选择安装项才能继续", "", MB_OK);
        return FALSE;
    }
    return CPropertyPage::OnKillActive();
}

void CBeginPatchPage::OnSize(UINT, int cx, int cy) {
    if (tree.m_hWnd) ::MoveWindow(tree.m_hWnd, 0, 0, cx, cy, TRUE);
}

// The install page.

BEGIN_MESSAGE_MAP(CInstallPatchPage, CPropertyPage)
ON_MESSAGE(WM_PATCH_POSITION, OnPosition)
ON_MESSAGE(WM_PATCH_RANGE, OnRange)
ON_MESSAGE(WM_PATCH_REGISTERING, OnRegistering)
ON_MESSAGE(WM_PATCH_FINISHED, OnFinished)
ON_MESSAGE(WM_CAB_INFO, OnCabinetLine)
ON_MESSAGE(WM_CAB_ERROR, OnCabinetLine)
ON_BN_CLICKED(IDC_PATCH_DETAILS, OnDetails)
END_MESSAGE_MAP()

CPatchSheet* CInstallPatchPage::Sheet() const { return static_cast<CPatchSheet*>(GetSheet()); }

BOOL CInstallPatchPage::OnSetActive() {
    SetButtons(this, PSWIZB_FINISH);
    LoadSetupXml();
    g_patchDescriptions = g_packageProfiles;
    std::vector<ConfigItem> targets = Sheet()->targets;
    std::vector<CADVer> descriptions = g_patchDescriptions;
    matched = MatchPatchTargets(descriptions, targets);
    BOOL shown = CPropertyPage::OnSetActive();
    HWND finish = SheetItem(this, ID_WIZFINISH);
    HWND cancel = SheetItem(this, IDCANCEL);
    RECT place{};
    ::GetWindowRect(cancel, &place);
    POINT corner{place.left, place.top};
    ::ScreenToClient(GetParent()->m_hWnd, &corner);
    ::MoveWindow(finish, corner.x, corner.y, place.right - place.left, place.bottom - place.top, TRUE);
    ::SetWindowTextA(finish, "取消");
    ::ShowWindow(cancel, SW_HIDE);
    g_progressWindow.store(m_hWnd);
    g_patchWorker = AfxBeginThread(&PatchWorkerProc, this);
    return shown;
}

bool CInstallPatchPage::StopAndRollBack(const char* question, bool suspendFirst) {
    CWinThread* worker = g_patchWorker.load();
    if (!worker) return false;
    if (suspendFirst) worker->SuspendThread();
    if (::MessageBoxA(m_hWnd, question, "", MB_OKCANCEL) != IDOK) {
        if (suspendFirst) worker->ResumeThread();
        return false;
    }
    // The worker stops at its next safe point; the rollback then finds what it left.
    if (g_patchWorker.load() == worker) {
        TerminateThread(worker->m_hThread, 0);
        g_patchWorker = nullptr;
    }
    ::EnableWindow(SheetItem(this, ID_WIZFINISH), FALSE);
    rollingBack = true;
    g_progressWindow.store(m_hWnd);
    g_patchWorker = AfxBeginThread(&PatchRollbackProc, this);
    return true;
}

BOOL CInstallPatchPage::OnWizardFinish() {
    if (Sheet()->finished) return TRUE;
    // Once registering began there is no way back: the end of the run is waited for.
    if (registering || rollingBack) return FALSE;
    if (!g_patchWorker.load()) return TRUE;
    StopAndRollBack("确定要取消安装吗?", false);
    return FALSE;
}

void CInstallPatchPage::AddDetail(const std::u16string& text, bool select) {
    const std::string gbk = Gbk(text);
    const LRESULT index = ::SendDlgItemMessageA(m_hWnd, 1011, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(gbk.c_str()));
    if (select && index >= 0) ::SendDlgItemMessageA(m_hWnd, 1011, LB_SETCURSEL, static_cast<WPARAM>(index), 0);
}

LRESULT CInstallPatchPage::OnPosition(WPARAM wParam, LPARAM lParam) {
    bool none = false;
    const std::u16string text = TakeText(lParam, &none);
    if (page::ShowPositionLine(m_hWnd, text, none)) AddDetail(text, true);
    page::MoveProgressBar(m_hWnd, wParam, lower, upper);
    return 0;
}

LRESULT CInstallPatchPage::OnRange(WPARAM wParam, LPARAM lParam) {
    page::SetProgressRange(m_hWnd, wParam, lParam, &lower, &upper);
    return 0;
}

LRESULT CInstallPatchPage::OnRegistering(WPARAM, LPARAM lParam) {
    AddDetail(TakeText(lParam), false);
    registering = true;
    ::EnableWindow(SheetItem(this, IDCANCEL), FALSE);
    ::EnableWindow(SheetItem(this, ID_WIZFINISH), FALSE);
    return 0;
}

LRESULT CInstallPatchPage::OnFinished(WPARAM wParam, LPARAM lParam) {
    const std::u16string text = TakeText(lParam);
    SetButtons(this, PSWIZB_BACK | PSWIZB_FINISH);
    AddDetail(text, false);
    page::ShowRunEnd(this, text, wParam ? lower : upper);
    HWND finish = SheetItem(this, ID_WIZFINISH);
    ::ShowWindow(finish, SW_SHOW);
    ::EnableWindow(finish, TRUE);
    ::SetWindowTextA(finish, "完成(&F)");
    registering = false;
    rollingBack = false;
    Sheet()->finished = 1;
    return 0;
}

LRESULT CInstallPatchPage::OnCabinetLine(WPARAM, LPARAM lParam) {
    TakeText(lParam);
    return 0;
}

void CInstallPatchPage::OnDetails() {
    HWND list = ::GetDlgItem(m_hWnd, 1011);
    const bool show = !::IsWindowVisible(list);
    ::ShowWindow(list, show ? SW_SHOW : SW_HIDE);
    ::SetDlgItemTextA(m_hWnd, IDC_PATCH_DETAILS, show ? "隐藏详细信息" : "显示详细信息");
}

// The workers.

namespace {

// Runs one step of the engine (the patch, or undoing it) on the page's targets; the page hears of
// it through its messages.
UINT RunPatchStep(LPVOID param, void (PatchEngine::*step)()) {
    auto* page = static_cast<CInstallPatchPage*>(param);
    try {
        PatchEngine engine;
        engine.targets = page->matched;
        if (!g_programFolder.empty()) engine.programFolder = g_programFolder;
        g_progressWindow.store(page->m_hWnd);
        (engine.*step)();
    } catch (...) {
    }
    g_patchWorker = nullptr;
    return 0;
}

}  // namespace

UINT PatchWorkerProc(LPVOID param) { return RunPatchStep(param, &PatchEngine::RunPatchInstall); }

UINT PatchRollbackProc(LPVOID param) { return RunPatchStep(param, &PatchEngine::RollbackPatch); }

// The sheet.

BEGIN_MESSAGE_MAP(CPatchSheet, CPropertySheet)
ON_WM_CLOSE()
ON_WM_SYSCOMMAND()
ON_COMMAND(IDCANCEL, OnCancelCommand)
END_MESSAGE_MAP()

CPatchSheet::CPatchSheet(LPCWSTR caption, CWnd* parent) : CPropertySheet(caption, parent) {
    AddResources();
    if (g_useHeader == 1) {
        page::SetPageHeader(targetPage, "选择路径", "选择补丁路径");
        page::SetPageHeader(installPage, "安装补丁", "安装补丁到本地");
        page::UseWizardPictures(*this);
    }
    AddPage(&targetPage);
    AddPage(&installPage);
    finished = 0;
}

BOOL CPatchSheet::OnInitDialog() {
    BOOL result = CPropertySheet::OnInitDialog();
    ::SetWindowTextW(m_hWnd, g_wizardTitle.c_str());
    if (CWnd* backdrop = GetParent()) {
        constexpr UINT flags = RDW_INVALIDATE | RDW_UPDATENOW | RDW_ERASE | RDW_ALLCHILDREN;
        ::RedrawWindow(backdrop->m_hWnd, nullptr, nullptr, flags);
    }
    return result;
}

void CPatchSheet::OnPatchClose() {
    if (!finished && g_patchWorker.load()) {
        // After the registering step, and while a rollback runs, the end is waited for.
        if (installPage.registering || installPage.rollingBack) return;
        installPage.StopAndRollBack("确定要停止安装吗?", true);
        return;
    }
    EndDialog(IDCANCEL);
}

void CPatchSheet::OnClose() { OnPatchClose(); }
void CPatchSheet::OnCancelCommand() { OnPatchClose(); }

void CPatchSheet::OnSysCommand(UINT id, LPARAM lParam) {
    if ((id & 0xFFF0) == SC_CLOSE) {
        OnPatchClose();
        return;
    }
    CPropertySheet::OnSysCommand(id, lParam);
}

}  // namespace Setup
