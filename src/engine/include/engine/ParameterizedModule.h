#pragma once
// The base of every module of a parameter tree: the model's root, device, groups
// and controls, and the user-interface panels that mirror them. A module knows
// its parent, its first parameter id and its place among its siblings; ids are
// routed down to the module that owns them, value requests climb up to the root.
#include "kx/KXResult.h"
#include "kx/ParamValues.h"
#include "kx/RefCountedObject.h"
#include "kx/Variant.h"

#include <cstdint>

class LParameterizedModule : public virtual KX::LRefCountedObject {
public:
    ~LParameterizedModule() override = default;
    LParameterizedModule(const LParameterizedModule&) = delete;
    LParameterizedModule& operator=(const LParameterizedModule&) = delete;

    // Stores the three fields. Containers pass the ids on to their children.
    virtual void SetFirstParamID(LParameterizedModule* parent, int32_t firstId, int32_t index);
    virtual KX::ConstRCPtr<LParameterizedModule> GetModuleForParam(int32_t id) const;
    // The module that owns id; the base answers itself.
    virtual KX::RCPtr<LParameterizedModule> FindModuleForParam(int32_t id);
    virtual KX::KXRESULT SetParamValueLocal(const KX::ParamDescriptor& descriptor, const KX::Variant& value,
                                            bool fromDevice);
    virtual KX::Variant GetParamValueLocal(const KX::ParamDescriptor& descriptor);
    virtual KX::KXRESULT SetParamValueGlobal(const KX::ParamDescriptor& descriptor, const KX::Variant& value);
    virtual KX::Variant GetParamValueGlobal(const KX::ParamDescriptor& descriptor);
    virtual KX::Variant GetParamValueDefault(int32_t id);
    virtual void PropagateConfigurationError();
    virtual void PropagateTreeSignal();
    virtual bool IsParamSupported(uint32_t param);
    virtual void NotifyParent(uint32_t a, uint32_t b, uint32_t c, uint32_t d);
    virtual void NotifyRoot(uint32_t a, uint32_t b, uint32_t c, uint32_t d);
    virtual KX::KXRESULT SetCachedParamValue(const KX::ParamDescriptor& descriptor, const KX::Variant& value);
    virtual KX::Variant GetCachedParamValue(const KX::ParamDescriptor& descriptor);

    // The parent with a counted reference; null at the top of a tree.
    KX::RCPtr<LParameterizedModule> GetParentModule() const;
    // The topmost module reached through the parent links (this module when it has no parent).
    KX::RCPtr<LParameterizedModule> GetRootModule() const;

    LParameterizedModule* GetParent() const noexcept { return m_parent; }
    uint32_t GetOwnParamCount() const noexcept { return m_ownParamCount; }
    int32_t GetFirstParamID() const noexcept { return m_firstParamId; }
    int32_t GetIndex() const noexcept { return m_index; }

protected:
    explicit LParameterizedModule(uint32_t ownParamCount) noexcept : m_ownParamCount(ownParamCount) {}

    // The topmost module, without touching reference counts.
    const LParameterizedModule* FindTopModule() const noexcept;
    // This module's first id minus the first id of the topmost module, wrapping like
    // 32-bit unsigned arithmetic (an id below the root's becomes a very large number).
    uint32_t GetRelativeFirstParamID() const noexcept;
    // Throws the logic error of a misplaced module when its relative first id is not
    // in [place, place + count).
    void CheckPlace(int32_t place, int32_t count, const char* method, const char* sourcePath, int line) const;

    // Clears child's link to parent when it still points there: a parent that lets a child
    // go (destroyed or replacing it) leaves no dangling link in a child that lives on.
    static void ReleaseChildLink(LParameterizedModule* child, const LParameterizedModule* parent) noexcept
    {
        if (child && child->m_parent == parent)
            child->m_parent = nullptr;
    }

    // Climbing requests of the model classes: they keep the parent alive meanwhile.
    KX::KXRESULT SetParamValueGlobalHeld(const KX::ParamDescriptor& descriptor, const KX::Variant& value);
    KX::Variant GetParamValueGlobalHeld(const KX::ParamDescriptor& descriptor);

private:
    LParameterizedModule* m_parent = nullptr; // not owned
    uint32_t m_ownParamCount;
    int32_t m_firstParamId = 0;
    int32_t m_index = 0;
};

// Offset of id from first as the routing compares it: unsigned, so ids below first
// come out very large.
inline uint32_t RelativeParamID(int32_t id, int32_t first) noexcept
{
    return static_cast<uint32_t>(id) - static_cast<uint32_t>(first);
}

// first + offset with 32-bit wrap-around, as the ids of a tree placed near the end of
// the id range come out.
inline int32_t OffsetParamID(int32_t first, int32_t offset) noexcept
{
    return static_cast<int32_t>(static_cast<uint32_t>(first) + static_cast<uint32_t>(offset));
}
