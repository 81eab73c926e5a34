// The document object as programs create it: by class id through CoCreateInstance, on a thread
// that initialised COM, asking for IDomDocumentObject. The object holds one DomDocument and lives
// as long as references to it are held.
#pragma once

#include "platform/win/com.h"
#include "platform/xml/dom_document.h"

// The class of the system's XML document object (kDomDocumentClassId in text form).
constexpr CLSID CLSID_DOMDocument = {0x2933BF90, 0x7B36, 0x11D2, {0xB2, 0x0E, 0x00, 0xC0, 0x4F, 0x98, 0x3E, 0x60}};

// The interface through which a created object hands out its document.
constexpr IID IID_IDomDocumentObject = {0x2E9DB715, 0x421F, 0x4AB0, {0xAB, 0xB2, 0xDB, 0x37, 0x7E, 0x46, 0x82, 0xB7}};

struct IDomDocumentObject : IUnknown {
    // The object's document, valid while the object is.
    virtual platform::xml::DomDocument& Document() = 0;

protected:
    ~IDomDocumentObject() = default;
};
