// COM as the engine uses it: initialised for the length of one call, interfaces released at the
// end of their scope.
#pragma once

#include "platform/win/com.h"
#include "platform/xml/dom_document_object.h"

namespace Setup::detail {

// COM for the length of one engine call: the engine runs on the user-interface thread and on
// workers that may not have initialised it. A thread already initialised in the other model
// keeps its own (and can create objects as it is).
class ComScope {
public:
    ComScope() : result_(CoInitialize(nullptr)) {}
    ~ComScope() {
        if (SUCCEEDED(result_)) CoUninitialize();
    }
    ComScope(const ComScope&) = delete;
    ComScope& operator=(const ComScope&) = delete;

private:
    HRESULT result_;
};

// An interface pointer released at the end of its scope.
template <typename Interface>
class ComRef {
public:
    ComRef() = default;
    ~ComRef() {
        if (object_) object_->Release();
    }
    ComRef(const ComRef&) = delete;
    ComRef& operator=(const ComRef&) = delete;

    // Where a creating call puts the new pointer (any old one is released first).
    void** Receive() {
        if (object_) object_->Release();
        object_ = nullptr;
        return reinterpret_cast<void**>(&object_);
    }
    Interface* operator->() const { return object_; }
    explicit operator bool() const { return object_ != nullptr; }

private:
    Interface* object_ = nullptr;
};

// The system's XML document object, made by its class id for any server context.
inline bool CreateXmlDocument(ComRef<IDomDocumentObject>* object) {
    return SUCCEEDED(CoCreateInstance(CLSID_DOMDocument, nullptr, CLSCTX_ALL, IID_IDomDocumentObject,
                                      object->Receive()));
}

}  // namespace Setup::detail
