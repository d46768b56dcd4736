#include "vcam/framework/base_filter.h"

#include <cstring>
#include <cwchar>
#include <new>

#include <evcode.h>

#include "common/win/com_ptr.h"
#include "vcam/framework/base_pin.h"
#include "vcam/framework/enum_pins.h"

namespace vl::vcam {

CBaseFilter::CBaseFilter(const wchar_t* object_name, IUnknown* outer, CCritSec* lock,
                         REFCLSID clsid)
    : CUnknown(object_name, outer), lock_(lock), clsid_(clsid) {}

CBaseFilter::~CBaseFilter() {
  delete[] name_;
  if (clock_ != nullptr) clock_->Release();
}

HRESULT STDMETHODCALLTYPE CBaseFilter::NonDelegatingQueryInterface(REFIID riid, void** ppv) {
  if (ppv == nullptr) return E_POINTER;
  if (riid == IID_IBaseFilter || riid == IID_IMediaFilter || riid == IID_IPersist)
    return GetInterface(static_cast<IBaseFilter*>(this), ppv);
  if (riid == IID_IAMovieSetup) return GetInterface(static_cast<IAMovieSetup*>(this), ppv);
  return CUnknown::NonDelegatingQueryInterface(riid, ppv);
}

STDMETHODIMP CBaseFilter::GetClassID(CLSID* clsid) {
  if (clsid == nullptr) return E_POINTER;
  *clsid = clsid_;
  return S_OK;
}

bool CBaseFilter::IsActive() {
  CAutoLock lock(lock_);
  return state_ != State_Stopped;
}

bool CBaseFilter::IsStopped() {
  CAutoLock lock(lock_);
  return state_ == State_Stopped;
}

STDMETHODIMP CBaseFilter::Stop() {
  CAutoLock lock(lock_);
  HRESULT result = S_OK;
  if (state_ != State_Stopped) {
    // Every pin gets its chance to stop; the first failure is reported.
    for (int i = 0; i < GetPinCount(); ++i) {
      CBasePin* pin = GetPin(i);
      if (pin == nullptr || !pin->IsConnected()) continue;
      const HRESULT hr = pin->Inactive();
      if (FAILED(hr) && SUCCEEDED(result)) result = hr;
    }
  }
  state_ = State_Stopped;
  return result;
}

STDMETHODIMP CBaseFilter::Pause() {
  CAutoLock lock(lock_);
  if (state_ == State_Stopped) {
    for (int i = 0; i < GetPinCount(); ++i) {
      CBasePin* pin = GetPin(i);
      if (pin == nullptr || !pin->IsConnected()) continue;
      const HRESULT hr = pin->Active();
      if (FAILED(hr)) return hr;
    }
  }
  state_ = State_Paused;
  return S_OK;
}

STDMETHODIMP CBaseFilter::Run(REFERENCE_TIME start) {
  CAutoLock lock(lock_);
  start_ = start;
  if (state_ == State_Stopped) {
    const HRESULT hr = Pause();
    if (FAILED(hr)) return hr;
  }
  if (state_ != State_Running) {
    for (int i = 0; i < GetPinCount(); ++i) {
      CBasePin* pin = GetPin(i);
      if (pin == nullptr || !pin->IsConnected()) continue;
      const HRESULT hr = pin->Run(start);
      if (FAILED(hr)) return hr;
    }
  }
  state_ = State_Running;
  return S_OK;
}

STDMETHODIMP CBaseFilter::GetState(DWORD, FILTER_STATE* state) {
  if (state == nullptr) return E_POINTER;
  CAutoLock lock(lock_);
  *state = state_;
  return S_OK;
}

STDMETHODIMP CBaseFilter::SetSyncSource(IReferenceClock* clock) {
  CAutoLock lock(lock_);
  if (clock != nullptr) clock->AddRef();
  if (clock_ != nullptr) clock_->Release();
  clock_ = clock;
  return S_OK;
}

STDMETHODIMP CBaseFilter::GetSyncSource(IReferenceClock** clock) {
  if (clock == nullptr) return E_POINTER;
  CAutoLock lock(lock_);
  *clock = clock_;
  if (clock_ != nullptr) clock_->AddRef();
  return S_OK;
}

STDMETHODIMP CBaseFilter::EnumPins(IEnumPins** pins) {
  if (pins == nullptr) return E_POINTER;
  auto* enumerator = new (std::nothrow) CEnumPins(this, nullptr);
  *pins = enumerator;
  if (enumerator == nullptr) return E_OUTOFMEMORY;
  enumerator->AddRef();
  return S_OK;
}

STDMETHODIMP CBaseFilter::FindPin(LPCWSTR id, IPin** pin) {
  if (id == nullptr || pin == nullptr) return E_POINTER;
  CAutoLock lock(lock_);
  for (int i = 0; i < GetPinCount(); ++i) {
    CBasePin* candidate = GetPin(i);
    if (candidate != nullptr && std::wcscmp(candidate->Name(), id) == 0) {
      *pin = candidate;
      candidate->AddRef();
      return S_OK;
    }
  }
  *pin = nullptr;
  return VFW_E_NOT_FOUND;
}

STDMETHODIMP CBaseFilter::QueryFilterInfo(FILTER_INFO* info) {
  if (info == nullptr) return E_POINTER;
  CAutoLock lock(lock_);
  info->achName[0] = L'\0';
  if (name_ != nullptr) {
    std::wcsncpy(info->achName, name_, MAX_FILTER_NAME - 1);
    info->achName[MAX_FILTER_NAME - 1] = L'\0';
  }
  info->pGraph = graph_;
  if (graph_ != nullptr) graph_->AddRef();
  return S_OK;
}

STDMETHODIMP CBaseFilter::JoinFilterGraph(IFilterGraph* graph, LPCWSTR name) {
  CAutoLock lock(lock_);
  graph_ = graph;
  event_sink_ = nullptr;
  if (graph != nullptr) {
    IMediaEventSink* sink = nullptr;
    if (SUCCEEDED(graph->QueryInterface(IID_IMediaEventSink, reinterpret_cast<void**>(&sink)))) {
      // Held without a reference: the graph outlives its membership.
      event_sink_ = sink;
      sink->Release();
    }
  }
  delete[] name_;
  name_ = nullptr;
  if (name != nullptr) {
    const size_t length = std::wcslen(name);
    name_ = new (std::nothrow) wchar_t[length + 1];
    if (name_ == nullptr) return E_OUTOFMEMORY;
    std::wmemcpy(name_, name, length + 1);
  }
  return S_OK;
}

STDMETHODIMP CBaseFilter::QueryVendorInfo(LPWSTR*) {
  return E_NOTIMPL;
}

HRESULT CBaseFilter::NotifyEvent(long code, LONG_PTR param1, LONG_PTR param2) {
  IMediaEventSink* sink = event_sink_;
  if (sink == nullptr) return E_NOTIMPL;
  // The graph expects the completing filter's IBaseFilter with EC_COMPLETE.
  if (code == EC_COMPLETE && param2 == 0)
    param2 = reinterpret_cast<LONG_PTR>(static_cast<IBaseFilter*>(this));
  return sink->Notify(code, param1, param2);
}

STDMETHODIMP CBaseFilter::Register() {
  const FilterSetup* setup = GetSetupData();
  if (setup == nullptr) return S_FALSE;
  vl::win::ComPtr<IFilterMapper> mapper;
  HRESULT hr = CoCreateInstance(CLSID_FilterMapper, nullptr, CLSCTX_INPROC_SERVER,
                                IID_IFilterMapper, mapper.put_void());
  if (FAILED(hr)) return hr;
  hr = mapper->RegisterFilter(*setup->clsid, setup->name, setup->merit);
  for (UINT p = 0; SUCCEEDED(hr) && p < setup->pin_count; ++p) {
    const REGFILTERPINS& pin = setup->pins[p];
    hr = mapper->RegisterPin(
        *setup->clsid, pin.strName, pin.bRendered, pin.bOutput, pin.bZero, pin.bMany,
        pin.clsConnectsToFilter ? *pin.clsConnectsToFilter : CLSID_NULL, pin.strConnectsToPin);
    for (UINT t = 0; SUCCEEDED(hr) && t < pin.nMediaTypes; ++t) {
      hr = mapper->RegisterPinType(*setup->clsid, pin.strName, *pin.lpMediaType[t].clsMajorType,
                                   *pin.lpMediaType[t].clsMinorType);
    }
  }
  if (hr == HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND)) hr = S_OK;
  return hr;
}

STDMETHODIMP CBaseFilter::Unregister() {
  const FilterSetup* setup = GetSetupData();
  if (setup == nullptr) return S_FALSE;
  vl::win::ComPtr<IFilterMapper> mapper;
  HRESULT hr = CoCreateInstance(CLSID_FilterMapper, nullptr, CLSCTX_INPROC_SERVER,
                                IID_IFilterMapper, mapper.put_void());
  if (FAILED(hr)) return hr;
  hr = mapper->UnregisterFilter(*setup->clsid);
  // Nothing to remove is as good as removed.
  if (hr == HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND)) hr = S_OK;
  return hr;
}

}  // namespace vl::vcam
