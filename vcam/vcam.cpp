#include "vcam/vcam.h"

#include <new>

#include "vcam/vcam_stream.h"

namespace vl::vcam {

CUnknown* CVCam::CreateInstance(IUnknown* outer, HRESULT* result) {
  return new (std::nothrow) CVCam(outer, result, kCameraIdentity);
}

CVCam::CVCam(IUnknown* outer, HRESULT* result, const CameraIdentity& identity)
    : CSource(L"Velloria camera", outer, *identity.clsid) {
  CAutoLock lock(&state_lock_);
  // The stream adds itself to our pin array; the array owns it from then on.
  auto* stream = new (std::nothrow) CVCamStream(result, this, identity);
  if (stream == nullptr && result != nullptr) *result = E_OUTOFMEMORY;
}

HRESULT STDMETHODCALLTYPE CVCam::NonDelegatingQueryInterface(REFIID riid, void** ppv) {
  if (ppv == nullptr) return E_POINTER;
  if (riid == IID_IAMStreamConfig || riid == IID_IKsPropertySet) {
    CBasePin* pin = GetPin(0);
    if (pin == nullptr) {
      *ppv = nullptr;
      return E_NOINTERFACE;
    }
    return pin->QueryInterface(riid, ppv);
  }
  return CSource::NonDelegatingQueryInterface(riid, ppv);
}

}  // namespace vl::vcam
