// Documents: the open drawings of the host, one of them current, and the document manager that
// opens, activates, locks and closes them and tells its reactors. The current document's database
// is the working database.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/cad/acad_status.h"
#include "platform/win/win_types.h"

class AcDbDatabase;
class AcApDocument;

namespace AcAp {
enum DocLockMode {
    kNone = 0x00,
    kAutoWrite = 0x01,
    kNotLocked = 0x02,
    kWrite = 0x04,
    kProtectedAutoWrite = 0x14,
    kRead = 0x20,
    kXWrite = 0x40,
};
}  // namespace AcAp

class AcApDocument {
public:
    AcDbDatabase* database() const { return database_.get(); }
    // The drawing's file (Windows form, GBK); "DrawingN.dwg" for a new drawing never saved.
    const char* fileName() const { return fileName_.c_str(); }
    const char* docTitle() const { return title_.c_str(); }
    AcAp::DocLockMode lockMode(bool bIncludeMyLocks = false) const;
    AcAp::DocLockMode myLockMode() const { return lockCount_ > 0 ? AcAp::kWrite : AcAp::kNone; }
    bool isReadOnly() const { return false; }

private:
    friend class AcApDocManager;
    std::unique_ptr<AcDbDatabase> database_;
    std::string fileName_, title_;
    int lockCount_ = 0;
};

class AcApDocManagerReactor {
public:
    virtual ~AcApDocManagerReactor() = default;
    virtual void documentCreated(AcApDocument*) {}
    virtual void documentToBeDestroyed(AcApDocument*) {}
    virtual void documentToBeActivated(AcApDocument*) {}
    virtual void documentActivated(AcApDocument*) {}
    virtual void documentBecameCurrent(AcApDocument*) {}
    virtual void documentLockModeChanged(AcApDocument*, AcAp::DocLockMode /*myPreviousMode*/,
                                         AcAp::DocLockMode /*myCurrentMode*/, AcAp::DocLockMode /*currentMode*/,
                                         const char* /*pGlobalCmdName*/)
    {
    }
};

class AcApDocManager {
public:
    AcApDocManager() = default;
    AcApDocManager(const AcApDocManager&) = delete;
    AcApDocManager& operator=(const AcApDocManager&) = delete;

    AcApDocument* curDocument() const { return current_; }
    AcApDocument* mdiActiveDocument() const { return current_; }
    int documentCount() const { return static_cast<int>(documents_.size()); }
    // Open documents in the order they were opened.
    std::vector<AcApDocument*> documents() const;

    // A new drawing (the template is not used: new drawings start from the host's defaults),
    // made current and activated.
    Acad::ErrorStatus appContextNewDocument(const char* pszTemplateName);
    // Opens a drawing file and makes it current. On failure nothing changes and
    // platform::cad::LastDrawingFileError() says why.
    Acad::ErrorStatus appContextOpenDocument(const char* pszDrawingName);
    Acad::ErrorStatus activateDocument(AcApDocument* pAcTargetDocument, bool bPassiveSwitch = false);
    Acad::ErrorStatus setCurDocument(AcApDocument* pDoc, AcAp::DocLockMode = AcAp::kNone, bool activate = false);
    // Closes the document; another becomes current (the last opened).
    Acad::ErrorStatus closeDocument(AcApDocument* pAcTargetDocument);
    // Locks nest; eNotApplicable when unlocking a document that is not locked.
    Acad::ErrorStatus lockDocument(AcApDocument* pDoc, AcAp::DocLockMode = AcAp::kWrite,
                                   const char* pGlobalCmdName = nullptr, const char* pLocalCmdName = nullptr,
                                   bool prompt = true);
    Acad::ErrorStatus unlockDocument(AcApDocument* pDoc);
    // Saves the document's drawing under a name; the document takes that name.
    Acad::ErrorStatus saveDocumentAs(AcApDocument* pDoc, const char* fileName);

    void addReactor(AcApDocManagerReactor* reactor);
    void removeReactor(AcApDocManagerReactor* reactor);

    // Posts a command string to the command line; it runs once the running command or
    // notification has returned to the host's command loop.
    Acad::ErrorStatus sendStringToExecute(AcApDocument* pAcTargetDocument, const char* pszExecute,
                                          bool bActivate = true, bool bWrapUpInactiveDoc = false,
                                          bool bEchoString = true);

    // Host side, for the files named on the host's command line (Linux paths, UTF-8): opens the
    // drawing and makes it current, or saves the document's drawing, as the two calls above do.
    // The document goes by the path's Windows form (see platform::cad::ReadDrawingFile).
    Acad::ErrorStatus openDrawingFile(const std::string& path);
    Acad::ErrorStatus saveDrawingFile(AcApDocument* pDoc, const std::string& path);

    // Makes a module's resources the current ones until the matching pop, which brings back
    // those current at the push; pops without a push are refused.
    Acad::ErrorStatus pushResourceHandle(HINSTANCE module);
    Acad::ErrorStatus popResourceHandle();

    // Host side: closes every document (the host's end).
    void closeAll();
    // Removes the reactors a module added and left behind.
    int removeReactorsOf(const void* module);

private:
    struct Reactor {
        AcApDocManagerReactor* reactor;
        const void* owner;
    };
    AcApDocument* adopt(std::unique_ptr<AcDbDatabase> database, std::string fileName);
    void makeCurrent(AcApDocument* doc);
    template <typename F>
    void notify(F f);

    std::vector<std::unique_ptr<AcApDocument>> documents_;
    AcApDocument* current_ = nullptr;
    std::vector<Reactor> reactors_;
    int untitled_ = 0;
    std::vector<HINSTANCE> resourceStack_;
};

AcApDocManager* acDocManagerPtr();
#define acDocManager acDocManagerPtr()

// The current document (null before the first one exists).
AcApDocument* curDoc();

namespace platform::cad {
// Runs fn once for every open document with that document current (and its database the working
// one); the document current before is current again afterwards.
void VisitDocumentsAsCurrent(const std::function<void()>& fn);
}  // namespace platform::cad
