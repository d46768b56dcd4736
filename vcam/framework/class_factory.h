// The class factory handed out by DllGetClassObject, and the template table entry describing one
// creatable class of the module.
#pragma once

#include <windows.h>
#include <unknwn.h>

#include "vcam/framework/movie_setup.h"
#include "vcam/framework/unknown.h"

namespace vl::vcam {

struct CFactoryTemplate {
  const wchar_t* name;
  const CLSID* clsid;
  // Creates the object (aggregated by `outer` when given); sets *result on failure.
  CUnknown* (*create)(IUnknown* outer, HRESULT* result);
  // Told when the module loads (TRUE) and unloads (FALSE); may be null.
  void (*initialize)(BOOL loading, const CLSID* clsid);
  const FilterSetup* setup;
};

// A live factory counts as an object of the module: a client holding one keeps the module
// loaded, as the factory's code lives there.
class CClassFactory : public IClassFactory, public CBaseObject {
 public:
  explicit CClassFactory(const CFactoryTemplate* entry);

  STDMETHODIMP QueryInterface(REFIID riid, void** ppv) override;
  STDMETHODIMP_(ULONG) AddRef() override;
  STDMETHODIMP_(ULONG) Release() override;
  STDMETHODIMP CreateInstance(IUnknown* outer, REFIID riid, void** ppv) override;
  STDMETHODIMP LockServer(BOOL lock) override;

  static LONG ServerLocks();

 private:
  volatile LONG ref_count_ = 0;
  const CFactoryTemplate* const entry_;
};

}  // namespace vl::vcam
