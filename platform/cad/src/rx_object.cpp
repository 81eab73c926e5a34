#include "platform/cad/rx_object.h"

#include <algorithm>
#include <iterator>

#include "platform/cad/rx_dictionary.h"

AcRxClass::AcRxClass(const char* name, const char* dxfName, const AcRxClass* parent)
    : name_(name), dxfName_(dxfName), parent_(parent)
{
    if (parent != nullptr) {
        depth_ = parent->depth_ + 1;
        std::copy(std::begin(parent->line_), std::end(parent->line_), std::begin(line_));
    }
    if (depth_ < kKeptDepth)
        line_[depth_] = this;
    platform::cad::ClassDictionary()->atPut(name, this);
}

bool AcRxClass::isDerivedFromDeep(const AcRxClass* other) const
{
    const AcRxClass* c = this;
    for (unsigned d = depth_; d > other->depth_; --d)
        c = c->parent_;
    return c == other;
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
