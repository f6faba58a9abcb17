// The root of the framework's class tree: run-time class information, kind-of queries
// and creation by class name.
#pragma once

#include <cstddef>

class CObject;
class CArchive;

struct CRuntimeClass {
    const char* m_lpszClassName;
    int m_nObjectSize;
    CObject* (*m_pfnCreateObject)(); // null when the class is not creatable by name
    const CRuntimeClass* m_pBaseClass;
    const CRuntimeClass* m_pNextClass; // registry of every class, newest first

    CObject* CreateObject() const;
    bool IsDerivedFrom(const CRuntimeClass* base) const;

    // Creates an object of the registered class with this name, or null when no creatable
    // class has it.
    static CObject* CreateObject(const char* className);
    static const CRuntimeClass* FromName(const char* className);
};

// Links a class into the registry at static-initialisation time.
struct AFX_CLASSINIT {
    explicit AFX_CLASSINIT(CRuntimeClass* newClass);
};

class CObject {
  public:
    // Virtual slot order: run-time class query, destructor, serialisation.
    virtual const CRuntimeClass* GetRuntimeClass() const;
    virtual ~CObject() = default;
    virtual void Serialize(CArchive&) {}

    bool IsKindOf(const CRuntimeClass* cls) const;

    static CRuntimeClass classCObject;

  protected:
    CObject() = default;
    CObject(const CObject&) = default;
    CObject& operator=(const CObject&) = default;
};

#define RUNTIME_CLASS(name) (&name::class##name)

#define DECLARE_DYNAMIC(name)                                                                      \
  public:                                                                                          \
    static CRuntimeClass class##name;                                                              \
    const CRuntimeClass* GetRuntimeClass() const override;

#define DECLARE_DYNCREATE(name)                                                                    \
    DECLARE_DYNAMIC(name)                                                                          \
    static CObject* CreateObject();

#define VC_IMPLEMENT_RUNTIMECLASS(name, base, create)                                              \
    CRuntimeClass name::class##name = {#name, static_cast<int>(sizeof(name)), create,              \
                                       RUNTIME_CLASS(base), nullptr};                              \
    static const AFX_CLASSINIT _init_##name(&name::class##name);                                   \
    const CRuntimeClass* name::GetRuntimeClass() const {                                           \
        return RUNTIME_CLASS(name);                                                                \
    }

#define IMPLEMENT_DYNAMIC(name, base) VC_IMPLEMENT_RUNTIMECLASS(name, base, nullptr)

#define IMPLEMENT_DYNCREATE(name, base)                                                            \
    CObject* name::CreateObject() {                                                                \
        return new name;                                                                           \
    }                                                                                              \
    VC_IMPLEMENT_RUNTIMECLASS(name, base, name::CreateObject)
