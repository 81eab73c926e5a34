// The patch wizard: a tree of the AutoCAD profiles and the installed copies the patch applies
// to, then the patch engine on a worker thread with progress, cancel and rollback.
#pragma once

#include <atomic>
#include <string>
#include <vector>

#include "platform/ui/afx_controls.h"
#include "platform/ui/afx_property_sheet.h"
#include "platform/ui/afx_thread.h"
#include "setup/engine/install_records.h"

namespace Setup {

constexpr UINT IDD_PATCH_TARGETS = 146;
constexpr UINT IDD_PATCH_INSTALL = 147;
constexpr int IDC_PATCH_TREE = 1019;
constexpr int IDC_PATCH_DETAILS = 1021;

// The texts of a patch target (ConfigItem): 0 host version key, 1 profile name, 2 product
// folder, 3 install-record path, 4 host folder, 5 host product name, 6 product.
class CPatchTree : public CTreeCtrl {
public:
    ~CPatchTree() override;
    // Reads the hosts' profiles, the product's install records and "setup.xml", and shows the
    // entries the patch applies to; installed copies are checked.
    void Fill();
    void FreeItemData(HTREEITEM item);
    void DeleteItemAndData(HTREEITEM item);
    void DeleteAllItemsAndData();

    std::vector<ConfigItem> profileEntries;
    std::vector<ConfigItem> productEntries;
    std::vector<CADVer> descriptions;

protected:
    void OnLButtonDown(UINT flags, CPoint point);
    void OnDestroy();
    DECLARE_MESSAGE_MAP()
};

class CPatchSheet;

class CBeginPatchPage : public CPropertyPage {
public:
    CBeginPatchPage() : CPropertyPage(IDD_PATCH_TARGETS) {}
    BOOL OnInitDialog() override;
    BOOL OnSetActive() override;
    BOOL OnKillActive() override;
    CPatchTree tree;

protected:
    void OnSize(UINT type, int cx, int cy);
    DECLARE_MESSAGE_MAP()
};

class CInstallPatchPage : public CPropertyPage {
public:
    CInstallPatchPage() : CPropertyPage(IDD_PATCH_INSTALL) {}
    BOOL OnSetActive() override;
    BOOL OnWizardFinish() override;
    // Asks, and on OK stops the worker and rolls back; false when the user chose to go on.
    bool StopAndRollBack(const char* question, bool suspendFirst);

    std::vector<CADVer> matched;
    bool registering = false;
    bool rollingBack = false;
    int lower = 0;
    int upper = 100;

protected:
    LRESULT OnPosition(WPARAM, LPARAM);
    LRESULT OnRange(WPARAM, LPARAM);
    LRESULT OnRegistering(WPARAM, LPARAM);
    LRESULT OnFinished(WPARAM, LPARAM);
    LRESULT OnCabinetLine(WPARAM, LPARAM);
    void OnDetails();
    void AddDetail(const std::u16string& text, bool select);
    CPatchSheet* Sheet() const;
    DECLARE_MESSAGE_MAP()
};

class CPatchSheet : public CPropertySheet {
public:
    explicit CPatchSheet(LPCWSTR caption, CWnd* parent = nullptr);
    BOOL OnInitDialog() override;

    int finished = 0;
    std::vector<ConfigItem> targets;
    CBeginPatchPage targetPage;
    CInstallPatchPage installPage;

    void OnPatchClose();

protected:
    void OnClose();
    void OnSysCommand(UINT id, LPARAM lParam);
    void OnCancelCommand();
    DECLARE_MESSAGE_MAP()
};

// Copies of the checked entries of the tree, each product folder once; the count.
int CollectCheckedTargets(CPatchTree& tree, std::vector<ConfigItem>& targets);
// The descriptions matched to the targets in five passes, from the most exact to the loosest;
// both lists lose what was matched.
std::vector<CADVer> MatchPatchTargets(std::vector<CADVer>& descriptions, std::vector<ConfigItem>& targets);

// The patch worker (null when none runs) and the descriptions it patches.
extern std::atomic<CWinThread*> g_patchWorker;
extern std::vector<CADVer> g_patchDescriptions;
UINT PatchWorkerProc(LPVOID page);
UINT PatchRollbackProc(LPVOID page);

}  // namespace Setup
