#include "vcam/framework/enum_pins.h"

#include <algorithm>
#include <new>

#include "vcam/framework/base_filter.h"
#include "vcam/framework/base_pin.h"

namespace vl::vcam {

CEnumPins::CEnumPins(CBaseFilter* filter, const CEnumPins* other)
    : filter_(filter), version_(other ? other->version_ : filter->GetPinVersion()) {
  if (other != nullptr) {
    position_ = other->position_;
    handed_out_ = other->handed_out_;
  }
  filter_->AddRef();
}

CEnumPins::~CEnumPins() {
  filter_->Release();
}

STDMETHODIMP CEnumPins::QueryInterface(REFIID riid, void** ppv) {
  if (ppv == nullptr) return E_POINTER;
  if (riid == IID_IEnumPins || riid == IID_IUnknown) {
    *ppv = static_cast<IEnumPins*>(this);
    AddRef();
    return S_OK;
  }
  *ppv = nullptr;
  return E_NOINTERFACE;
}

STDMETHODIMP_(ULONG) CEnumPins::AddRef() {
  return static_cast<ULONG>(InterlockedIncrement(&ref_count_));
}

STDMETHODIMP_(ULONG) CEnumPins::Release() {
  const LONG count = InterlockedDecrement(&ref_count_);
  if (count == 0) delete this;
  return static_cast<ULONG>(count);
}

bool CEnumPins::OutOfSync() const {
  return version_ != filter_->GetPinVersion();
}

STDMETHODIMP CEnumPins::Next(ULONG count, IPin** pins, ULONG* fetched) {
  if (pins == nullptr) return E_POINTER;
  if (count > 1 && fetched == nullptr) return E_INVALIDARG;
  if (fetched != nullptr) *fetched = 0;
  if (OutOfSync()) {
    // Start over on the new pin set, skipping the pins this enumerator has already given.
    position_ = 0;
    version_ = filter_->GetPinVersion();
  }
  ULONG returned = 0;
  const int pin_count = filter_->GetPinCount();
  while (returned < count && position_ < pin_count) {
    CBasePin* pin = filter_->GetPin(position_++);
    if (pin == nullptr) break;
    if (std::find(handed_out_.begin(), handed_out_.end(), pin) != handed_out_.end()) continue;
    try {
      handed_out_.push_back(pin);
    } catch (const std::bad_alloc&) {
      break;
    }
    pin->AddRef();
    pins[returned++] = pin;
  }
  if (fetched != nullptr) *fetched = returned;
  return returned == count ? S_OK : S_FALSE;
}

STDMETHODIMP CEnumPins::Skip(ULONG count) {
  if (OutOfSync()) return VFW_E_ENUM_OUT_OF_SYNC;
  const int pin_count = filter_->GetPinCount();
  const int left = pin_count - position_;
  if (count > static_cast<ULONG>(left > 0 ? left : 0)) {
    position_ = pin_count;
    return S_FALSE;
  }
  position_ += static_cast<int>(count);
  return S_OK;
}

STDMETHODIMP CEnumPins::Reset() {
  version_ = filter_->GetPinVersion();
  position_ = 0;
  handed_out_.clear();
  return S_OK;
}

STDMETHODIMP CEnumPins::Clone(IEnumPins** clone) {
  if (clone == nullptr) return E_POINTER;
  *clone = nullptr;
  if (OutOfSync()) return VFW_E_ENUM_OUT_OF_SYNC;
  auto* copy = new (std::nothrow) CEnumPins(filter_, this);
  if (copy == nullptr) return E_OUTOFMEMORY;
  copy->AddRef();
  *clone = copy;
  return S_OK;
}

}  // namespace vl::vcam
