// Run-time classes: every host object knows its class, the class's DXF name and its parent, so
// product code can test "is a kind of" and cast without C++ RTTI.
#pragma once

class AcRxClass;

class AcRxObject {
public:
    virtual ~AcRxObject() = default;
    static AcRxClass* desc();
    static AcRxObject* cast(const AcRxObject* object) { return const_cast<AcRxObject*>(object); }
    virtual AcRxClass* isA() const { return desc(); }
    bool isKindOf(const AcRxClass* cls) const;
    // A non-resident copy with the same data, or null for classes that cannot be copied.
    virtual AcRxObject* clone() const { return nullptr; }
};

// A class is itself a host object: the host files every class under its name in the system
// registry's "ClassDictionary", where modules look classes up by name.
class AcRxClass : public AcRxObject {
public:
    AcRxClass(const char* name, const char* dxfName, const AcRxClass* parent);
    AcRxClass(const AcRxClass&) = delete;
    AcRxClass& operator=(const AcRxClass&) = delete;

    static AcRxClass* desc();
    static AcRxClass* cast(const AcRxObject* object)
    {
        return (object != nullptr && object->isKindOf(AcRxClass::desc()))
                   ? const_cast<AcRxClass*>(static_cast<const AcRxClass*>(object))
                   : nullptr;
    }
    AcRxClass* isA() const override { return AcRxClass::desc(); }

    const char* name() const { return name_; }
    const char* dxfName() const { return dxfName_; }
    AcRxClass* myParent() const { return const_cast<AcRxClass*>(parent_); }
    // True for this class and every class derived from it.
    bool isDerivedFrom(const AcRxClass* other) const
    {
        // A class's line of ancestors is kept by depth, so the test is one look at the other's
        // depth; only hierarchies deeper than the kept line walk up from there.
        if (other == nullptr || other->depth_ > depth_)
            return false;
        if (other->depth_ < kKeptDepth)
            return line_[other->depth_] == other;
        return isDerivedFromDeep(other);
    }

private:
    static constexpr unsigned kKeptDepth = 8;
    bool isDerivedFromDeep(const AcRxClass* other) const;

    const char* name_;
    const char* dxfName_;
    const AcRxClass* parent_;
    unsigned depth_ = 0;  // steps from the root class
    const AcRxClass* line_[kKeptDepth] = {};  // line_[d]: the ancestor (or this class) at depth d
};

inline bool AcRxObject::isKindOf(const AcRxClass* cls) const { return cls != nullptr && isA()->isDerivedFrom(cls); }

// Declares the class descriptor, the checked cast and the copy of a host class.
#define DERO_RX_DECLARE_MEMBERS(CLASS)                                                    \
public:                                                                                   \
    static AcRxClass* desc();                                                             \
    static CLASS* cast(const AcRxObject* object)                                          \
    {                                                                                     \
        return (object != nullptr && object->isKindOf(CLASS::desc()))                     \
                   ? const_cast<CLASS*>(static_cast<const CLASS*>(object))                \
                   : nullptr;                                                             \
    }                                                                                     \
    AcRxClass* isA() const override { return CLASS::desc(); }                             \
    AcRxObject* clone() const override { return new CLASS(*this); }

// The same for abstract classes, which cannot be copied.
#define DERO_RX_DECLARE_ABSTRACT_MEMBERS(CLASS)                                           \
public:                                                                                   \
    static AcRxClass* desc();                                                             \
    static CLASS* cast(const AcRxObject* object)                                          \
    {                                                                                     \
        return (object != nullptr && object->isKindOf(CLASS::desc()))                     \
                   ? const_cast<CLASS*>(static_cast<const CLASS*>(object))                \
                   : nullptr;                                                             \
    }                                                                                     \
    AcRxClass* isA() const override { return CLASS::desc(); }

// Defines the descriptor in one source file; the class is filed in the class dictionary when the
// library loads, as the host files its classes at start-up.
#define DERO_RX_DEFINE_MEMBERS(CLASS, DXFNAME, PARENT)                                    \
    AcRxClass* CLASS::desc()                                                              \
    {                                                                                     \
        static AcRxClass cls(#CLASS, DXFNAME, PARENT::desc());                            \
        return &cls;                                                                      \
    }                                                                                     \
    [[maybe_unused]] static const AcRxClass* const dero_rx_filed_##CLASS = CLASS::desc();
