// Reference-counted COM objects with aggregation support, and the module-wide count of live
// objects that DllCanUnloadNow reads.
#pragma once

#include <windows.h>
#include <unknwn.h>

#include "vcam/framework/i_non_delegating_unknown.h"

namespace vl::vcam {

// Counts every live framework object of the module.
class CBaseObject {
 public:
  explicit CBaseObject(const wchar_t* name);
  virtual ~CBaseObject();
  CBaseObject(const CBaseObject&) = delete;
  CBaseObject& operator=(const CBaseObject&) = delete;

  static LONG ObjectsActive();

 private:
  const wchar_t* name_;
};

class CUnknown : public INonDelegatingUnknown, public CBaseObject {
 public:
  // `outer` is the controlling unknown when the object is aggregated, else null.
  CUnknown(const wchar_t* name, IUnknown* outer);
  ~CUnknown() override = default;

  HRESULT STDMETHODCALLTYPE NonDelegatingQueryInterface(REFIID riid, void** ppv) override;
  ULONG STDMETHODCALLTYPE NonDelegatingAddRef() override;
  ULONG STDMETHODCALLTYPE NonDelegatingRelease() override;

  // The unknown that public IUnknown calls go to: the outer one, or our own.
  IUnknown* GetOwner() const { return owner_; }

 protected:
  volatile LONG ref_count_ = 0;

 private:
  IUnknown* const owner_;
};

// Hands out `unknown` as the interface asked for, with a reference.
HRESULT GetInterface(IUnknown* unknown, void** ppv);

// The public IUnknown of a class deriving from CUnknown: delegates to the owner.
#define DECLARE_IUNKNOWN                                          \
  STDMETHODIMP QueryInterface(REFIID riid, void** ppv) override { \
    return GetOwner()->QueryInterface(riid, ppv);                 \
  }                                                               \
  STDMETHODIMP_(ULONG) AddRef() override {                        \
    return GetOwner()->AddRef();                                  \
  }                                                               \
  STDMETHODIMP_(ULONG) Release() override {                       \
    return GetOwner()->Release();                                 \
  }

}  // namespace vl::vcam
