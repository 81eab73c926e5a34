// The document object in the class table, so that CoCreateInstance makes it by its class id.
#include "platform/xml/dom_document_object.h"

#include <atomic>
#include <memory>

namespace platform::xml {
namespace {

class DocumentObject final : public IDomDocumentObject {
public:
    explicit DocumentObject(std::unique_ptr<DomDocument> document) : document_(std::move(document)) {}

    HRESULT QueryInterface(REFIID iid, void** object) override {
        if (!object) return E_POINTER;
        *object = nullptr;
        if (!IsEqualIID(iid, IID_IUnknown) && !IsEqualIID(iid, IID_IDomDocumentObject)) return E_NOINTERFACE;
        *object = static_cast<IDomDocumentObject*>(this);
        AddRef();
        return S_OK;
    }
    ULONG AddRef() override { return ++references_; }
    ULONG Release() override {
        const ULONG left = --references_;
        if (left == 0) delete this;
        return left;
    }
    DomDocument& Document() override { return *document_; }

private:
    ~DocumentObject() = default;

    std::atomic<ULONG> references_{1};
    std::unique_ptr<DomDocument> document_;
};

HRESULT CreateDocumentObject(REFIID iid, void** object) {
    if (!object) return E_POINTER;
    *object = nullptr;
    // Creation failure made on purpose (FailDocumentCreation) answers as a missing class would.
    std::unique_ptr<DomDocument> document = CreateDomDocument();
    if (!document) return REGDB_E_CLASSNOTREG;
    auto* created = new DocumentObject(std::move(document));
    const HRESULT result = created->QueryInterface(iid, object);
    created->Release();
    return result;
}

const bool registered = [] {
    platform::win::RegisterComClass(CLSID_DOMDocument, &CreateDocumentObject);
    return true;
}();

}  // namespace
}  // namespace platform::xml
