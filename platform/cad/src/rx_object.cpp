#include "platform/cad/rx_object.h"

AcRxClass::AcRxClass(const char* name, const char* dxfName, const AcRxClass* parent)
    : name_(name), dxfName_(dxfName), parent_(parent)
{
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
