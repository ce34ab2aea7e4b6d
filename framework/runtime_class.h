#pragma once
// Run-time class information: each class that declares it can be asked its name and
// whether it derives from another. No dynamic creation.

struct CRuntimeClass {
  const char* m_lpszClassName;
  const CRuntimeClass* m_pBaseClass;

  // True when this class is `base` or derives from it.
  bool IsDerivedFrom(const CRuntimeClass* base) const noexcept {
    for (const CRuntimeClass* c = this; c; c = c->m_pBaseClass)
      if (c == base) return true;
    return false;
  }
};

#define RUNTIME_CLASS(class_name) (&class_name::class##class_name)

// In the class body: declares the class's run-time information and GetRuntimeClass.
#define DECLARE_DYNAMIC(class_name)                         \
public:                                                     \
  static const CRuntimeClass class##class_name;             \
  const CRuntimeClass* GetRuntimeClass() const override;

// In one source file: defines them, naming the base class's information.
#define IMPLEMENT_DYNAMIC(class_name, base_class_name)                                   \
  const CRuntimeClass class_name::class##class_name{#class_name,                         \
                                                    RUNTIME_CLASS(base_class_name)};     \
  const CRuntimeClass* class_name::GetRuntimeClass() const { return RUNTIME_CLASS(class_name); }

// Root of the classes with run-time information.
class CObject {
public:
  static const CRuntimeClass classCObject;
  virtual ~CObject() = default;
  virtual const CRuntimeClass* GetRuntimeClass() const { return &classCObject; }
  bool IsKindOf(const CRuntimeClass* c) const noexcept { return GetRuntimeClass()->IsDerivedFrom(c); }
};

inline const CRuntimeClass CObject::classCObject{"CObject", nullptr};
