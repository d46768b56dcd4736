#include "vcam/framework/unknown.h"

namespace vl::vcam {

namespace {
volatile LONG g_live_objects = 0;
}

CBaseObject::CBaseObject(const wchar_t* name) : name_(name) {
  InterlockedIncrement(&g_live_objects);
}

CBaseObject::~CBaseObject() {
  InterlockedDecrement(&g_live_objects);
}

LONG CBaseObject::ObjectsActive() {
  return g_live_objects;
}

CUnknown::CUnknown(const wchar_t* name, IUnknown* outer)
    : CBaseObject(name),
      // The non-delegating interface has IUnknown's layout, so it can stand in as our own
      // controlling unknown when nobody aggregates us.
      owner_(outer ? outer
                   : reinterpret_cast<IUnknown*>(static_cast<INonDelegatingUnknown*>(this))) {}

HRESULT STDMETHODCALLTYPE CUnknown::NonDelegatingQueryInterface(REFIID riid, void** ppv) {
  if (ppv == nullptr) return E_POINTER;
  if (riid == IID_IUnknown) {
    return GetInterface(reinterpret_cast<IUnknown*>(static_cast<INonDelegatingUnknown*>(this)),
                        ppv);
  }
  *ppv = nullptr;
  return E_NOINTERFACE;
}

ULONG STDMETHODCALLTYPE CUnknown::NonDelegatingAddRef() {
  return static_cast<ULONG>(InterlockedIncrement(&ref_count_));
}

ULONG STDMETHODCALLTYPE CUnknown::NonDelegatingRelease() {
  const LONG count = InterlockedDecrement(&ref_count_);
  if (count == 0) {
    // Guard against a destructor that takes and drops a reference to itself.
    ref_count_ = 1;
    delete this;
    return 0;
  }
  return static_cast<ULONG>(count);
}

HRESULT GetInterface(IUnknown* unknown, void** ppv) {
  if (ppv == nullptr) return E_POINTER;
  *ppv = unknown;
  unknown->AddRef();
  return S_OK;
}

}  // namespace vl::vcam
