#include "vcam/framework/enum_media_types.h"

#include <new>

#include "vcam/framework/base_pin.h"

namespace vl::vcam {

CEnumMediaTypes::CEnumMediaTypes(CBasePin* pin, const CEnumMediaTypes* other)
    : pin_(pin), version_(other ? other->version_ : pin->GetMediaTypeVersion()) {
  if (other != nullptr) position_ = other->position_;
  pin_->AddRef();
}

CEnumMediaTypes::~CEnumMediaTypes() {
  pin_->Release();
}

STDMETHODIMP CEnumMediaTypes::QueryInterface(REFIID riid, void** ppv) {
  if (ppv == nullptr) return E_POINTER;
  if (riid == IID_IEnumMediaTypes || riid == IID_IUnknown) {
    *ppv = static_cast<IEnumMediaTypes*>(this);
    AddRef();
    return S_OK;
  }
  *ppv = nullptr;
  return E_NOINTERFACE;
}

STDMETHODIMP_(ULONG) CEnumMediaTypes::AddRef() {
  return static_cast<ULONG>(InterlockedIncrement(&ref_count_));
}

STDMETHODIMP_(ULONG) CEnumMediaTypes::Release() {
  const LONG count = InterlockedDecrement(&ref_count_);
  if (count == 0) delete this;
  return static_cast<ULONG>(count);
}

bool CEnumMediaTypes::OutOfSync() const {
  return version_ != pin_->GetMediaTypeVersion();
}

STDMETHODIMP CEnumMediaTypes::Next(ULONG count, AM_MEDIA_TYPE** types, ULONG* fetched) {
  if (types == nullptr) return E_POINTER;
  if (count > 1 && fetched == nullptr) return E_INVALIDARG;
  if (fetched != nullptr) *fetched = 0;
  if (OutOfSync()) return VFW_E_ENUM_OUT_OF_SYNC;
  ULONG returned = 0;
  while (returned < count) {
    CMediaType mt;
    if (pin_->GetMediaType(position_, &mt) != S_OK) break;
    AM_MEDIA_TYPE* copy = CreateMediaType(&mt);
    if (copy == nullptr) break;
    ++position_;
    types[returned++] = copy;
  }
  if (fetched != nullptr) *fetched = returned;
  return returned == count ? S_OK : S_FALSE;
}

STDMETHODIMP CEnumMediaTypes::Skip(ULONG count) {
  if (OutOfSync()) return VFW_E_ENUM_OUT_OF_SYNC;
  while (count > 0) {
    CMediaType mt;
    if (pin_->GetMediaType(position_, &mt) != S_OK) return S_FALSE;
    ++position_;
    --count;
  }
  return S_OK;
}

STDMETHODIMP CEnumMediaTypes::Reset() {
  version_ = pin_->GetMediaTypeVersion();
  position_ = 0;
  return S_OK;
}

STDMETHODIMP CEnumMediaTypes::Clone(IEnumMediaTypes** clone) {
  if (clone == nullptr) return E_POINTER;
  *clone = nullptr;
  if (OutOfSync()) return VFW_E_ENUM_OUT_OF_SYNC;
  auto* copy = new (std::nothrow) CEnumMediaTypes(pin_, this);
  if (copy == nullptr) return E_OUTOFMEMORY;
  copy->AddRef();
  *clone = copy;
  return S_OK;
}

}  // namespace vl::vcam
