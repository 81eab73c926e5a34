// The setup wizard: welcome, agreement, settings and progress pages on one wizard sheet, and the
// workers that install, update, uninstall, restore and roll back behind the progress page.
#pragma once

#include <string>
#include <vector>

#include "platform/ui/afx_property_sheet.h"
#include "platform/ui/afx_thread.h"
#include "setup/engine/install_records.h"
#include "setup/wizard/worker_threads.h"

namespace Setup {

constexpr UINT IDD_AGREEMENT = 129;
constexpr UINT IDD_PROGRESS = 130;
constexpr UINT IDD_SETTINGS = 131;
constexpr UINT IDD_WELCOME = 145;
constexpr int IDC_UPDATE_BUTTON = 3033;
constexpr int IDC_RERUN_BUTTON = 3037;
constexpr int kFirstTargetChoice = 100;
constexpr int kFirstCopyChoice = 150;

class CSetUpSheet;

class CWelcomePage : public CPropertyPage {
public:
    CWelcomePage() : CPropertyPage(IDD_WELCOME) {}
    BOOL OnSetActive() override;
};

class CBeginPage : public CPropertyPage {
public:
    CBeginPage() : CPropertyPage(IDD_AGREEMENT) {}
    BOOL OnInitDialog() override;
    BOOL OnSetActive() override;
    BOOL OnKillActive() override;

protected:
    void OnTimer(UINT_PTR id);
    void OnAgree();
    void OnDisagree();
    void EnableNext(bool on);
    DECLARE_MESSAGE_MAP()
};

class CSetingPage : public CPropertyPage {
public:
    CSetingPage() : CPropertyPage(IDD_SETTINGS) {}
    BOOL OnInitDialog() override;
    BOOL OnSetActive() override;
    BOOL OnKillActive() override;

    CADVer choice;
    std::u16string installPath;
    int freeMegabytes = 0;

protected:
    void BuildChoices();
    void OnChoice(UINT id);
    void OnBrowse();
    void OnPathChanged();
    void OnTimer(UINT_PTR id);
    void OnDestroy();
    void RenewFreeSpace();
    const CADVer* DescriptionOf(int id) const;
    bool RunningHostCheck();
    CSetUpSheet* Sheet() const;
    std::vector<HWND> buttons_;
    DECLARE_MESSAGE_MAP()
};

class CSetUpPage : public CPropertyPage {
public:
    CSetUpPage() : CPropertyPage(IDD_PROGRESS) {}
    BOOL OnInitDialog() override;
    BOOL OnSetActive() override;
    BOOL OnKillActive() override;
    BOOL OnWizardFinish() override;

    CWinThread* worker = nullptr;
    // Every worker the page started; the last one is waited for when the sheet closes.
    WorkerThreads workers;
    bool busy = false;
    bool updating = false;
    bool resumed = false;
    HWND updateButton = nullptr;
    HWND rerunButton = nullptr;
    RECT finishRect{};
    int lower = 0;
    int upper = 100;

protected:
    LRESULT OnStatus(WPARAM, LPARAM);
    LRESULT OnPosition(WPARAM, LPARAM);
    LRESULT OnError(WPARAM, LPARAM);
    LRESULT OnRange(WPARAM, LPARAM);
    LRESULT OnFinished(WPARAM, LPARAM);
    LRESULT OnRegistering(WPARAM, LPARAM);
    LRESULT OnCabinetInfo(WPARAM, LPARAM);
    void OnDetails();
    void OnUpdate();
    void OnDestroy();
    void AddDetail(const std::u16string& text);
    void Finished(WPARAM code, std::u16string text);
    CSetUpSheet* Sheet() const;
    DECLARE_MESSAGE_MAP()
};

class CSetUpSheet : public CPropertySheet {
public:
    explicit CSetUpSheet(LPCWSTR caption, CWnd* parent = nullptr);
    BOOL OnInitDialog() override;

    std::vector<CADVer> targets;
    std::vector<CADVer> installedCopies;
    std::u16string productLabel = u"Dero 9.1";
    CWelcomePage welcome;
    CBeginPage agreement;
    CSetingPage settings;
    CSetUpPage progress;
    std::u16string installPath;
    int finished = 0;
    int selfDelete = 0;
    int detected = 0;
    bool restartPending = false;
    bool hasPackage = false;

    void ReadHosts();
    void OnSetupCancel();

protected:
    void OnClose();
    void OnSysCommand(UINT id, LPARAM lParam);
    void OnCancelCommand();
    void OnHelpCommand();
    void OnRerun();
    void OnShowWindow(BOOL show, UINT status);
    DECLARE_MESSAGE_MAP()
};

// The worker procedures (parameter: non-null installs, null updates).
UINT SetupWorkerProc(LPVOID param);
UINT UninstallWorkerProc(LPVOID param);
UINT RestoreWorkerProc(LPVOID param);
UINT SetupRollbackProc(LPVOID param);

}  // namespace Setup
