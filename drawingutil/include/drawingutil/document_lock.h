// The current document locked for writing for as long as the holder lives, as work started outside
// a command (a modeless dialog, a docked bar) must do before it changes the drawing.
#pragma once

#include "platform/cad/documents.h"

namespace drawingutil {

class DocumentLock {
public:
    DocumentLock() : document_(acDocManager != nullptr ? acDocManager->curDocument() : nullptr)
    {
        if (document_ != nullptr && acDocManager->lockDocument(document_) != Acad::eOk)
            document_ = nullptr;
    }
    ~DocumentLock()
    {
        if (document_ != nullptr)
            acDocManager->unlockDocument(document_);
    }
    DocumentLock(const DocumentLock&) = delete;
    DocumentLock& operator=(const DocumentLock&) = delete;

    // False when there was no document or the host refused the lock.
    bool locked() const { return document_ != nullptr; }

private:
    AcApDocument* document_;
};

}  // namespace drawingutil
