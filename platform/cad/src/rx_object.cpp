#include "platform/cad/rx_object.h"

#include "platform/cad/rx_dictionary.h"

AcRxClass::AcRxClass(const char* name, const char* dxfName, const AcRxClass* parent)
    : name_(name), dxfName_(dxfName), parent_(parent)
{
    platform::cad::ClassDictionary()->atPut(name, this);
}

bool AcRxClass::isDerivedFrom(const AcRxClass* other) const
{
    for (const AcRxClass* c = this; c != nullptr; c = c->parent_)
        if (c == other)
            return true;
    return false;
}

AcRxClass* AcRxObject::desc()
{
    static AcRxClass cls("AcRxObject", "", nullptr);
    return &cls;
}

AcRxClass* AcRxClass::desc()
{
    static AcRxClass cls("AcRxClass", "", AcRxObject::desc());
    return &cls;
}

[[maybe_unused]] static const AcRxClass* const dero_rx_filed_AcRxObject = AcRxObject::desc();
[[maybe_unused]] static const AcRxClass* const dero_rx_filed_AcRxClass = AcRxClass::desc();
