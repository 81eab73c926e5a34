#include "platform/cad/documents.h"

#include <algorithm>

#include "platform/cad/command_processor.h"
#include "platform/cad/command_stack.h"
#include "platform/cad/db_database.h"
#include "platform/cad/lisp_functions.h"
#include "platform/cad/rx_dynamic_linker.h"
#include "platform/text/format.h"
#include "platform/text/gbk.h"
#include "platform/ui/answer_source.h"
#include "platform/ui/resources.h"
#include "platform/win/path_mapping.h"

namespace {

std::string TitleOf(const std::string& fileName)
{
    std::size_t slash = platform::text::GbkFindLastSeparator(fileName);
    return slash == std::string::npos ? fileName : fileName.substr(slash + 1);
}

int RemoveLeftReactors(const void* module) { return acDocManager->removeReactorsOf(module); }

}  // namespace

AcAp::DocLockMode AcApDocument::lockMode(bool) const { return lockCount_ > 0 ? AcAp::kWrite : AcAp::kNone; }

AcApDocManager* acDocManagerPtr()
{
    static AcApDocManager* manager = [] {
        platform::cad::AddModuleCleanup(RemoveLeftReactors);
        return new AcApDocManager;
    }();
    return manager;
}

AcApDocument* curDoc() { return acDocManager->curDocument(); }

std::vector<AcApDocument*> AcApDocManager::documents() const
{
    std::vector<AcApDocument*> docs;
    for (auto& d : documents_)
        docs.push_back(d.get());
    return docs;
}

template <typename F>
void AcApDocManager::notify(F f)
{
    // A reactor may remove itself (or others) while it is told.
    std::vector<Reactor> snapshot = reactors_;
    for (const Reactor& r : snapshot) {
        bool still = std::any_of(reactors_.begin(), reactors_.end(), [&](const Reactor& x) { return x.reactor == r.reactor; });
        if (still) {
            platform::cad::CurrentModuleScope scope(r.owner);
            f(r.reactor);
        }
    }
}

void AcApDocManager::makeCurrent(AcApDocument* doc)
{
    current_ = doc;
    acdbHostApplicationServices()->setWorkingDatabase(doc != nullptr ? doc->database() : nullptr);
}

AcApDocument* AcApDocManager::adopt(std::unique_ptr<AcDbDatabase> database, std::string fileName)
{
    auto doc = std::make_unique<AcApDocument>();
    doc->database_ = std::move(database);
    doc->title_ = TitleOf(fileName);
    doc->fileName_ = std::move(fileName);
    AcApDocument* d = doc.get();
    documents_.push_back(std::move(doc));
    makeCurrent(d);
    platform::ui::AppendTranscript(platform::text::Format("document \"%s\" opened", d->fileName_));
    notify([&](AcApDocManagerReactor* r) { r->documentCreated(d); });
    // Every loaded module sets itself up in the new drawing, then the drawing becomes active.
    platform::cad::BroadcastModuleMessage(AcRx::kLoadDwgMsg);
    if (current_ == d)
        activateDocument(d);
    return d;
}

Acad::ErrorStatus AcApDocManager::appContextNewDocument(const char*)
{
    adopt(std::make_unique<AcDbDatabase>(true), platform::text::Format("Drawing%d.dwg", ++untitled_));
    return Acad::eOk;
}

Acad::ErrorStatus AcApDocManager::appContextOpenDocument(const char* pszDrawingName)
{
    if (pszDrawingName == nullptr || *pszDrawingName == '\0')
        return Acad::eInvalidInput;
    auto database = std::make_unique<AcDbDatabase>(false);
    Acad::ErrorStatus es = database->readDwgFile(pszDrawingName);
    if (es != Acad::eOk)
        return es;
    adopt(std::move(database), pszDrawingName);
    return Acad::eOk;
}

Acad::ErrorStatus AcApDocManager::activateDocument(AcApDocument* doc, bool)
{
    if (doc == nullptr || std::none_of(documents_.begin(), documents_.end(), [&](auto& d) { return d.get() == doc; }))
        return Acad::eInvalidInput;
    notify([&](AcApDocManagerReactor* r) { r->documentToBeActivated(doc); });
    makeCurrent(doc);
    notify([&](AcApDocManagerReactor* r) { r->documentBecameCurrent(doc); });
    notify([&](AcApDocManagerReactor* r) { r->documentActivated(doc); });
    return Acad::eOk;
}

Acad::ErrorStatus AcApDocManager::setCurDocument(AcApDocument* doc, AcAp::DocLockMode mode, bool activate)
{
    if (doc == nullptr || std::none_of(documents_.begin(), documents_.end(), [&](auto& d) { return d.get() == doc; }))
        return Acad::eInvalidInput;
    if (activate)
        return activateDocument(doc);
    makeCurrent(doc);
    if (mode != AcAp::kNone)
        lockDocument(doc, mode);
    return Acad::eOk;
}

Acad::ErrorStatus AcApDocManager::closeDocument(AcApDocument* doc)
{
    auto it = std::find_if(documents_.begin(), documents_.end(), [&](auto& d) { return d.get() == doc; });
    if (it == documents_.end())
        return Acad::eInvalidInput;
    AcApDocument* before = current_;
    makeCurrent(doc);
    notify([&](AcApDocManagerReactor* r) { r->documentToBeDestroyed(doc); });
    platform::cad::BroadcastModuleMessage(AcRx::kUnloadDwgMsg);
    platform::cad::ForgetDrawingFunctions(doc->database());
    platform::ui::AppendTranscript(platform::text::Format("document \"%s\" closed", doc->fileName_));
    // The closing document may have been erased from the list by a reactor: look it up again.
    it = std::find_if(documents_.begin(), documents_.end(), [&](auto& d) { return d.get() == doc; });
    std::unique_ptr<AcApDocument> closing = std::move(*it);
    documents_.erase(it);
    AcApDocument* next = before != doc ? before : (documents_.empty() ? nullptr : documents_.back().get());
    makeCurrent(nullptr);
    closing.reset();
    if (next != nullptr) {
        if (next != before)
            activateDocument(next);
        else
            makeCurrent(next);
    }
    return Acad::eOk;
}

Acad::ErrorStatus AcApDocManager::lockDocument(AcApDocument* doc, AcAp::DocLockMode, const char*, const char*, bool)
{
    if (doc == nullptr)
        return Acad::eInvalidInput;
    ++doc->lockCount_;
    return Acad::eOk;
}

Acad::ErrorStatus AcApDocManager::pushResourceHandle(HINSTANCE module)
{
    resourceStack_.push_back(platform::ui::CurrentResources());
    platform::ui::SetCurrentResources(module);
    return Acad::eOk;
}

Acad::ErrorStatus AcApDocManager::popResourceHandle()
{
    if (resourceStack_.empty())
        return Acad::eNotApplicable;
    platform::ui::SetCurrentResources(resourceStack_.back());
    resourceStack_.pop_back();
    return Acad::eOk;
}

Acad::ErrorStatus AcApDocManager::unlockDocument(AcApDocument* doc)
{
    if (doc == nullptr)
        return Acad::eInvalidInput;
    if (doc->lockCount_ == 0)
        return Acad::eNotApplicable;
    --doc->lockCount_;
    return Acad::eOk;
}

Acad::ErrorStatus AcApDocManager::saveDocumentAs(AcApDocument* doc, const char* fileName)
{
    if (doc == nullptr || fileName == nullptr || *fileName == '\0')
        return Acad::eInvalidInput;
    Acad::ErrorStatus es = doc->database()->saveAs(fileName);
    if (es == Acad::eOk) {
        doc->fileName_ = fileName;
        doc->title_ = TitleOf(fileName);
    }
    return es;
}

Acad::ErrorStatus AcApDocManager::openDrawingFile(const std::string& path)
{
    if (path.empty())
        return Acad::eInvalidInput;
    auto database = std::make_unique<AcDbDatabase>(false);
    std::string name;
    Acad::ErrorStatus es = platform::cad::ReadDrawingFile(*database, path, &name);
    if (es != Acad::eOk)
        return es;
    adopt(std::move(database), name);
    return Acad::eOk;
}

Acad::ErrorStatus AcApDocManager::saveDrawingFile(AcApDocument* doc, const std::string& path)
{
    if (doc == nullptr || path.empty())
        return Acad::eInvalidInput;
    Acad::ErrorStatus es = platform::cad::WriteDrawingFile(*doc->database(), path);
    if (es == Acad::eOk) {
        doc->fileName_ = platform::win::MapToWindowsA(path);
        doc->title_ = TitleOf(doc->fileName_);
    }
    return es;
}

void AcApDocManager::addReactor(AcApDocManagerReactor* reactor)
{
    if (reactor == nullptr ||
        std::any_of(reactors_.begin(), reactors_.end(), [&](const Reactor& r) { return r.reactor == reactor; }))
        return;
    reactors_.push_back({reactor, platform::cad::CurrentModule()});
}

void AcApDocManager::removeReactor(AcApDocManagerReactor* reactor)
{
    std::erase_if(reactors_, [&](const Reactor& r) { return r.reactor == reactor; });
}

int AcApDocManager::removeReactorsOf(const void* module)
{
    return static_cast<int>(std::erase_if(reactors_, [&](const Reactor& r) { return module != nullptr && r.owner == module; }));
}

Acad::ErrorStatus AcApDocManager::sendStringToExecute(AcApDocument*, const char* pszExecute, bool, bool, bool)
{
    if (pszExecute == nullptr)
        return Acad::eInvalidInput;
    platform::cad::PostCommandString(pszExecute);
    return Acad::eOk;
}

void AcApDocManager::closeAll()
{
    while (!documents_.empty())
        closeDocument(documents_.back().get());
}

namespace platform::cad {

void VisitDocumentsAsCurrent(const std::function<void()>& fn)
{
    AcApDocManager* manager = acDocManager;
    AcApDocument* before = manager->curDocument();
    for (AcApDocument* doc : manager->documents()) {
        manager->setCurDocument(doc);
        fn();
    }
    auto docs = manager->documents();
    if (before != nullptr && std::find(docs.begin(), docs.end(), before) != docs.end())
        manager->setCurDocument(before);
}

}  // namespace platform::cad
