#include "platform/cad/rx_dictionary.h"

#include "platform/cad/command_stack.h"
#include "platform/cad/rx_dynamic_linker.h"
#include "platform/text/gbk.h"

DERO_RX_DEFINE_MEMBERS(AcRxDictionary, "", AcRxObject)

AcRxDictionary::~AcRxDictionary()
{
    if (deleteObjects_)
        for (auto& [key, object] : entries_)
            delete object;
}

AcRxObject* AcRxDictionary::at(const char* key) const
{
    if (key == nullptr)
        return nullptr;
    auto it = entries_.find(platform::text::GbkToUpper(key));
    return it == entries_.end() ? nullptr : it->second;
}

AcRxObject* AcRxDictionary::atPut(const char* key, AcRxObject* object)
{
    if (key == nullptr)
        return object;
    AcRxObject*& slot = entries_[platform::text::GbkToUpper(key)];
    AcRxObject* old = slot;
    slot = object;
    return old;
}

AcRxObject* AcRxDictionary::remove(const char* key)
{
    if (key == nullptr)
        return nullptr;
    auto it = entries_.find(platform::text::GbkToUpper(key));
    if (it == entries_.end())
        return nullptr;
    AcRxObject* object = it->second;
    entries_.erase(it);
    return object;
}

AcRxDictionary* acrxSysRegistry()
{
    // Built on first use and kept for the life of the process: plug-ins may still look entries
    // up from static destructors.
    static AcRxDictionary* registry = [] {
        auto* r = new AcRxDictionary;
        r->atPut(ACRX_DYNAMIC_LINKER, new AcRxDynamicLinker);
        r->atPut(ACRX_COMMAND_DOCK, new AcEdCommandStack);
        r->atPut(ACRX_CLASS_DICTIONARY, platform::cad::ClassDictionary());
        return r;
    }();
    return registry;
}

namespace platform::cad {

AcRxDictionary* ClassDictionary()
{
    // Kept for the life of the process, like the registry that holds it; the classes it lists are
    // static objects and are not its to delete.
    static AcRxDictionary* classes = new AcRxDictionary(false);
    return classes;
}

}  // namespace platform::cad
