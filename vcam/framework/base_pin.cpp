#include "vcam/framework/base_pin.h"

#include <cstring>
#include <cwchar>
#include <new>

#include "vcam/framework/base_filter.h"
#include "vcam/framework/enum_media_types.h"

namespace vl::vcam {

namespace {

// Failures of a single type try that only mean "not this type".
bool IsTypeRefusal(HRESULT hr) {
  return hr == E_FAIL || hr == E_INVALIDARG || hr == VFW_E_TYPE_NOT_ACCEPTED;
}

}  // namespace

CBasePin::CBasePin(const wchar_t* object_name, CBaseFilter* filter, CCritSec* lock, HRESULT* result,
                   const wchar_t* name, PIN_DIRECTION direction)
    : CUnknown(object_name, nullptr),
      filter_(filter),
      lock_(lock),
      name_(name),
      direction_(direction) {}

CBasePin::~CBasePin() {
  if (connected_ != nullptr) connected_->Release();
}

HRESULT STDMETHODCALLTYPE CBasePin::NonDelegatingQueryInterface(REFIID riid, void** ppv) {
  if (ppv == nullptr) return E_POINTER;
  if (riid == IID_IPin) return GetInterface(static_cast<IPin*>(this), ppv);
  if (riid == IID_IQualityControl) return GetInterface(static_cast<IQualityControl*>(this), ppv);
  return CUnknown::NonDelegatingQueryInterface(riid, ppv);
}

ULONG STDMETHODCALLTYPE CBasePin::NonDelegatingAddRef() {
  return filter_->AddRef();
}

ULONG STDMETHODCALLTYPE CBasePin::NonDelegatingRelease() {
  return filter_->Release();
}

STDMETHODIMP CBasePin::Connect(IPin* receive_pin, const AM_MEDIA_TYPE* mt) {
  if (receive_pin == nullptr) return E_POINTER;
  CAutoLock lock(lock_);
  if (connected_ != nullptr) return VFW_E_ALREADY_CONNECTED;
  // Pins may not reconnect while the filter streams.
  if (!filter_->IsStopped()) return VFW_E_NOT_STOPPED;
  if (mt == nullptr) return AgreeMediaType(receive_pin, nullptr);
  const CMediaType requested(*mt);
  return AgreeMediaType(receive_pin, &requested);
}

HRESULT CBasePin::AgreeMediaType(IPin* receive_pin, const CMediaType* mt) {
  if (mt != nullptr && !mt->IsPartiallySpecified()) return AttemptConnection(receive_pin, mt);

  // The receiving pin's preferences first, then ours (ours first when the pin prefers them).
  HRESULT failure = VFW_E_NO_ACCEPTABLE_TYPES;
  const bool own_first = PrefersOwnTypes();
  for (int round = 0; round < 2; ++round) {
    IEnumMediaTypes* types = nullptr;
    const bool theirs = (round == 0) != own_first;
    const HRESULT enum_hr = theirs ? receive_pin->EnumMediaTypes(&types) : EnumMediaTypes(&types);
    if (FAILED(enum_hr) || types == nullptr) continue;
    const HRESULT hr = TryMediaTypes(receive_pin, mt, types);
    types->Release();
    if (SUCCEEDED(hr)) return S_OK;
    if (!IsTypeRefusal(hr) && hr != VFW_E_NO_ACCEPTABLE_TYPES) failure = hr;
  }
  return failure;
}

HRESULT CBasePin::TryMediaTypes(IPin* receive_pin, const CMediaType* partial,
                                IEnumMediaTypes* types) {
  HRESULT failure = VFW_E_NO_ACCEPTABLE_TYPES;
  if (FAILED(types->Reset())) return failure;
  for (;;) {
    AM_MEDIA_TYPE* next = nullptr;
    ULONG fetched = 0;
    if (types->Next(1, &next, &fetched) != S_OK || fetched != 1 || next == nullptr) break;
    const CMediaType candidate(*next);
    DeleteMediaType(next);
    if (partial != nullptr && !candidate.MatchesPartial(partial)) continue;
    const HRESULT hr = AttemptConnection(receive_pin, &candidate);
    if (SUCCEEDED(hr)) return hr;
    if (!IsTypeRefusal(hr) && failure == VFW_E_NO_ACCEPTABLE_TYPES) failure = hr;
  }
  return failure;
}

HRESULT CBasePin::AttemptConnection(IPin* receive_pin, const CMediaType* mt) {
  HRESULT hr = CheckConnect(receive_pin);
  if (FAILED(hr)) {
    BreakConnect();
    return hr;
  }
  const CMediaType previous(mt_);
  hr = CheckMediaType(mt);
  if (hr == S_OK) {
    connected_ = receive_pin;
    connected_->AddRef();
    hr = SetMediaType(mt);
    if (SUCCEEDED(hr)) {
      hr = receive_pin->ReceiveConnection(static_cast<IPin*>(this), mt);
      if (SUCCEEDED(hr)) {
        hr = CompleteConnect(receive_pin);
        if (SUCCEEDED(hr)) return S_OK;
        receive_pin->Disconnect();
      }
    }
  } else if (SUCCEEDED(hr)) {
    hr = VFW_E_TYPE_NOT_ACCEPTED;
  }
  DropConnection(&previous);
  return hr;
}

void CBasePin::DropConnection(const CMediaType* previous) {
  BreakConnect();
  if (connected_ != nullptr) {
    connected_->Release();
    connected_ = nullptr;
  }
  if (previous != nullptr && previous->IsValid()) SetMediaType(previous);
}

HRESULT CBasePin::CheckConnect(IPin* pin) {
  PIN_DIRECTION other;
  const HRESULT hr = pin->QueryDirection(&other);
  if (FAILED(hr)) return hr;
  return other == direction_ ? VFW_E_INVALID_DIRECTION : S_OK;
}

STDMETHODIMP CBasePin::ReceiveConnection(IPin* connector, const AM_MEDIA_TYPE* mt) {
  if (connector == nullptr || mt == nullptr) return E_POINTER;
  CAutoLock lock(lock_);
  if (connected_ != nullptr) return VFW_E_ALREADY_CONNECTED;
  if (!filter_->IsStopped()) return VFW_E_NOT_STOPPED;
  HRESULT hr = CheckConnect(connector);
  if (FAILED(hr)) {
    BreakConnect();
    return hr;
  }
  const CMediaType proposed(*mt);
  hr = CheckMediaType(&proposed);
  if (hr != S_OK) {
    BreakConnect();
    return SUCCEEDED(hr) ? VFW_E_TYPE_NOT_ACCEPTED : hr;
  }
  const CMediaType previous(mt_);
  connected_ = connector;
  connected_->AddRef();
  hr = SetMediaType(&proposed);
  if (SUCCEEDED(hr)) hr = CompleteConnect(connector);
  if (FAILED(hr)) DropConnection(&previous);
  return hr;
}

STDMETHODIMP CBasePin::Disconnect() {
  CAutoLock lock(lock_);
  if (!filter_->IsStopped()) return VFW_E_NOT_STOPPED;
  if (connected_ == nullptr) return S_FALSE;
  DropConnection();
  return S_OK;
}

STDMETHODIMP CBasePin::ConnectedTo(IPin** pin) {
  if (pin == nullptr) return E_POINTER;
  CAutoLock lock(lock_);
  *pin = connected_;
  if (connected_ == nullptr) return VFW_E_NOT_CONNECTED;
  connected_->AddRef();
  return S_OK;
}

STDMETHODIMP CBasePin::ConnectionMediaType(AM_MEDIA_TYPE* mt) {
  if (mt == nullptr) return E_POINTER;
  CAutoLock lock(lock_);
  if (connected_ == nullptr) {
    std::memset(mt, 0, sizeof(*mt));
    return VFW_E_NOT_CONNECTED;
  }
  return CopyMediaType(mt, &mt_);
}

STDMETHODIMP CBasePin::QueryPinInfo(PIN_INFO* info) {
  if (info == nullptr) return E_POINTER;
  info->pFilter = static_cast<IBaseFilter*>(filter_);
  info->pFilter->AddRef();
  info->dir = direction_;
  std::wcsncpy(info->achName, name_ ? name_ : L"", MAX_PIN_NAME - 1);
  info->achName[MAX_PIN_NAME - 1] = L'\0';
  return S_OK;
}

STDMETHODIMP CBasePin::QueryDirection(PIN_DIRECTION* direction) {
  if (direction == nullptr) return E_POINTER;
  *direction = direction_;
  return S_OK;
}

STDMETHODIMP CBasePin::QueryId(LPWSTR* id) {
  if (id == nullptr) return E_POINTER;
  const size_t bytes = (std::wcslen(name_ ? name_ : L"") + 1) * sizeof(wchar_t);
  *id = static_cast<wchar_t*>(CoTaskMemAlloc(bytes));
  if (*id == nullptr) return E_OUTOFMEMORY;
  std::memcpy(*id, name_ ? name_ : L"", bytes);
  return S_OK;
}

STDMETHODIMP CBasePin::QueryAccept(const AM_MEDIA_TYPE* mt) {
  if (mt == nullptr) return E_POINTER;
  const CMediaType proposed(*mt);
  return CheckMediaType(&proposed) == S_OK ? S_OK : S_FALSE;
}

STDMETHODIMP CBasePin::EnumMediaTypes(IEnumMediaTypes** types) {
  if (types == nullptr) return E_POINTER;
  auto* enumerator = new (std::nothrow) CEnumMediaTypes(this, nullptr);
  *types = enumerator;
  if (enumerator == nullptr) return E_OUTOFMEMORY;
  enumerator->AddRef();
  return S_OK;
}

STDMETHODIMP CBasePin::QueryInternalConnections(IPin**, ULONG*) {
  return E_NOTIMPL;
}

STDMETHODIMP CBasePin::NewSegment(REFERENCE_TIME start, REFERENCE_TIME stop, double rate) {
  segment_start_ = start;
  segment_stop_ = stop;
  segment_rate_ = rate;
  return S_OK;
}

STDMETHODIMP CBasePin::SetSink(IQualityControl* sink) {
  // Not reference-counted: the sink is the graph or an upstream filter, which outlive the pin's
  // use of it, and a reference could form a cycle.
  CAutoLock lock(lock_);
  quality_sink_ = sink;
  return S_OK;
}

HRESULT CBasePin::SetMediaType(const CMediaType* mt) {
  mt_ = *mt;
  return S_OK;
}

}  // namespace vl::vcam
