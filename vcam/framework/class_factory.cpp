#include "vcam/framework/class_factory.h"

#include "vcam/framework/base_filter.h"

namespace vl::vcam {

namespace {
volatile LONG g_server_locks = 0;
}

CClassFactory::CClassFactory(const CFactoryTemplate* entry)
    : CBaseObject(L"Class factory"), entry_(entry) {}

LONG CClassFactory::ServerLocks() {
  return g_server_locks;
}

STDMETHODIMP CClassFactory::QueryInterface(REFIID riid, void** ppv) {
  if (ppv == nullptr) return E_POINTER;
  if (riid == IID_IUnknown || riid == IID_IClassFactory) {
    *ppv = static_cast<IClassFactory*>(this);
    AddRef();
    return S_OK;
  }
  *ppv = nullptr;
  return E_NOINTERFACE;
}

STDMETHODIMP_(ULONG) CClassFactory::AddRef() {
  return static_cast<ULONG>(InterlockedIncrement(&ref_count_));
}

STDMETHODIMP_(ULONG) CClassFactory::Release() {
  const LONG count = InterlockedDecrement(&ref_count_);
  if (count == 0) delete this;
  return static_cast<ULONG>(count);
}

STDMETHODIMP CClassFactory::CreateInstance(IUnknown* outer, REFIID riid, void** ppv) {
  if (ppv == nullptr) return E_POINTER;
  *ppv = nullptr;
  // An aggregating caller may only ask for the inner object's own IUnknown.
  if (outer != nullptr && riid != IID_IUnknown) return E_NOINTERFACE;
  HRESULT hr = S_OK;
  CUnknown* object = entry_->create(outer, &hr);
  if (object == nullptr) return FAILED(hr) ? hr : E_OUTOFMEMORY;
  if (FAILED(hr)) {
    delete object;
    return hr;
  }
  // A filter registers itself (IAMovieSetup) as its template says.
  if (auto* filter = dynamic_cast<CBaseFilter*>(object)) filter->SetSetupData(entry_->setup);
  object->NonDelegatingAddRef();
  hr = object->NonDelegatingQueryInterface(riid, ppv);
  object->NonDelegatingRelease();
  return hr;
}

STDMETHODIMP CClassFactory::LockServer(BOOL lock) {
  if (lock)
    InterlockedIncrement(&g_server_locks);
  else
    InterlockedDecrement(&g_server_locks);
  return S_OK;
}

}  // namespace vl::vcam
