// A DirectShow pin: connection and media type negotiation, pin identity, segment data.
// Concrete pins supply CheckMediaType and GetMediaType, and may override SetMediaType.
#pragma once

#include <windows.h>
#include <strmif.h>

#include "vcam/framework/critical_section.h"
#include "vcam/framework/media_type.h"
#include "vcam/framework/unknown.h"

namespace vl::vcam {

class CBaseFilter;

class CBasePin : public CUnknown, public IPin, public IQualityControl {
 public:
  // `lock` is the filter's state lock; `name` must outlive the pin.
  CBasePin(const wchar_t* object_name, CBaseFilter* filter, CCritSec* lock, HRESULT* result,
           const wchar_t* name, PIN_DIRECTION direction);
  ~CBasePin() override;

  DECLARE_IUNKNOWN
  HRESULT STDMETHODCALLTYPE NonDelegatingQueryInterface(REFIID riid, void** ppv) override;
  // A pin lives as long as its filter: its references are the filter's.
  ULONG STDMETHODCALLTYPE NonDelegatingAddRef() override;
  ULONG STDMETHODCALLTYPE NonDelegatingRelease() override;

  // IPin
  STDMETHODIMP Connect(IPin* receive_pin, const AM_MEDIA_TYPE* mt) override;
  STDMETHODIMP ReceiveConnection(IPin* connector, const AM_MEDIA_TYPE* mt) override;
  STDMETHODIMP Disconnect() override;
  STDMETHODIMP ConnectedTo(IPin** pin) override;
  STDMETHODIMP ConnectionMediaType(AM_MEDIA_TYPE* mt) override;
  STDMETHODIMP QueryPinInfo(PIN_INFO* info) override;
  STDMETHODIMP QueryDirection(PIN_DIRECTION* direction) override;
  STDMETHODIMP QueryId(LPWSTR* id) override;
  STDMETHODIMP QueryAccept(const AM_MEDIA_TYPE* mt) override;
  STDMETHODIMP EnumMediaTypes(IEnumMediaTypes** types) override;
  STDMETHODIMP QueryInternalConnections(IPin** pins, ULONG* count) override;
  STDMETHODIMP NewSegment(REFERENCE_TIME start, REFERENCE_TIME stop, double rate) override;
  // IQualityControl (Notify is the concrete pin's)
  STDMETHODIMP SetSink(IQualityControl* sink) override;

  // Negotiation, supplied by the concrete pin.
  virtual HRESULT CheckMediaType(const CMediaType* mt) = 0;
  // S_OK with the type at `position`; VFW_S_NO_MORE_ITEMS past the end.
  virtual HRESULT GetMediaType(int position, CMediaType* mt) = 0;
  virtual HRESULT SetMediaType(const CMediaType* mt);

  // State changes of the filter (called under the state lock).
  virtual HRESULT Active() { return S_OK; }
  virtual HRESULT Inactive() { return S_OK; }
  virtual HRESULT Run(REFERENCE_TIME) { return S_OK; }

  bool IsConnected() const { return connected_ != nullptr; }
  IPin* GetConnected() const { return connected_; }
  const wchar_t* Name() const { return name_; }
  CBaseFilter* Filter() const { return filter_; }
  LONG GetMediaTypeVersion() const { return type_version_; }
  void IncrementTypeVersion() { InterlockedIncrement(&type_version_); }

 protected:
  // Hooks around a connection: checks before any type is tried, completion after the peer
  // accepted, and the undoing of a connection (also of a failed one).
  virtual HRESULT CheckConnect(IPin* pin);
  virtual HRESULT CompleteConnect(IPin* receive_pin) { return S_OK; }
  virtual HRESULT BreakConnect() { return S_OK; }
  // True: a connection tries this pin's own types before the receiving pin's (a pin whose
  // format was chosen by the application).
  virtual bool PrefersOwnTypes() { return false; }

  CBaseFilter* const filter_;
  CCritSec* const lock_;
  CMediaType mt_;
  IPin* connected_ = nullptr;
  IQualityControl* quality_sink_ = nullptr;
  REFERENCE_TIME segment_start_ = 0;
  REFERENCE_TIME segment_stop_ = MAXLONGLONG;
  double segment_rate_ = 1.0;

 private:
  HRESULT AgreeMediaType(IPin* receive_pin, const CMediaType* mt);
  HRESULT TryMediaTypes(IPin* receive_pin, const CMediaType* partial, IEnumMediaTypes* types);
  HRESULT AttemptConnection(IPin* receive_pin, const CMediaType* mt);
  // Breaks a connection that did not complete and puts back the type the pin had before.
  void DropConnection(const CMediaType* previous = nullptr);

  const wchar_t* const name_;
  const PIN_DIRECTION direction_;
  volatile LONG type_version_ = 1;
};

}  // namespace vl::vcam
