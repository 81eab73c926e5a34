// The host's system registry: a dictionary of named service objects that product code looks up
// by name ("DynamicLinker", "ACAD_REGISTERED_COMMANDS") and tests by class before use.
#pragma once

#include <map>
#include <string>

#include "platform/cad/rx_object.h"

class AcRxDictionary : public AcRxObject {
    DERO_RX_DECLARE_ABSTRACT_MEMBERS(AcRxDictionary)

public:
    AcRxDictionary() = default;
    // A dictionary that does not own its objects (the class dictionary: classes are static).
    explicit AcRxDictionary(bool deleteObjects) : deleteObjects_(deleteObjects) {}
    AcRxDictionary(const AcRxDictionary&) = delete;
    AcRxDictionary& operator=(const AcRxDictionary&) = delete;
    ~AcRxDictionary() override;

    // The object filed under the key (without regard to case), or null.
    AcRxObject* at(const char* key) const;
    // Files the object under the key and returns the one it replaces (the caller then owns it).
    AcRxObject* atPut(const char* key, AcRxObject* object);
    // Takes the entry out and returns its object (the caller then owns it), or null.
    AcRxObject* remove(const char* key);
    bool has(const char* key) const { return at(key) != nullptr; }
    unsigned int numEntries() const { return static_cast<unsigned int>(entries_.size()); }

private:
    std::map<std::string, AcRxObject*> entries_;  // upper-cased key
    bool deleteObjects_ = true;
};

// Names of the host's own entries.
constexpr const char* ACRX_DYNAMIC_LINKER = "DynamicLinker";
constexpr const char* ACRX_COMMAND_DOCK = "ACAD_REGISTERED_COMMANDS";
constexpr const char* ACRX_CLASS_DICTIONARY = "ClassDictionary";

// The process-wide system registry. Its host entries exist from the first call on.
AcRxDictionary* acrxSysRegistry();

// Every run-time class by name ("AcEdCommandStack", "AcDbPolyline"...).
#define acrxClassDictionary (AcRxDictionary::cast(acrxSysRegistry()->at(ACRX_CLASS_DICTIONARY)))

namespace platform::cad {
// Host side: the class dictionary, which every class joins when it is made.
AcRxDictionary* ClassDictionary();
}  // namespace platform::cad
