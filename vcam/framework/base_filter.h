// A DirectShow filter: state machine (Stopped, Paused, Running), reference clock, graph
// membership and pin enumeration. Concrete filters supply their pins.
#pragma once

#include <windows.h>
#include <strmif.h>

#include "vcam/framework/critical_section.h"
#include "vcam/framework/movie_setup.h"
#include "vcam/framework/unknown.h"

namespace vl::vcam {

class CBasePin;

class CBaseFilter : public CUnknown, public IBaseFilter, public IAMovieSetup {
 public:
  // `lock` is the filter's state lock, shared with its pins; it must outlive the filter.
  CBaseFilter(const wchar_t* object_name, IUnknown* outer, CCritSec* lock, REFCLSID clsid);
  ~CBaseFilter() override;

  DECLARE_IUNKNOWN
  HRESULT STDMETHODCALLTYPE NonDelegatingQueryInterface(REFIID riid, void** ppv) override;

  // IPersist
  STDMETHODIMP GetClassID(CLSID* clsid) override;
  // IMediaFilter
  STDMETHODIMP Stop() override;
  STDMETHODIMP Pause() override;
  STDMETHODIMP Run(REFERENCE_TIME start) override;
  STDMETHODIMP GetState(DWORD timeout_ms, FILTER_STATE* state) override;
  STDMETHODIMP SetSyncSource(IReferenceClock* clock) override;
  STDMETHODIMP GetSyncSource(IReferenceClock** clock) override;
  // IBaseFilter
  STDMETHODIMP EnumPins(IEnumPins** pins) override;
  STDMETHODIMP FindPin(LPCWSTR id, IPin** pin) override;
  STDMETHODIMP QueryFilterInfo(FILTER_INFO* info) override;
  STDMETHODIMP JoinFilterGraph(IFilterGraph* graph, LPCWSTR name) override;
  STDMETHODIMP QueryVendorInfo(LPWSTR* info) override;
  // IAMovieSetup: the older filter mapper, with GetSetupData's description.
  STDMETHODIMP Register() override;
  STDMETHODIMP Unregister() override;

  virtual int GetPinCount() = 0;
  // The pin at `index` without a reference, or null.
  virtual CBasePin* GetPin(int index) = 0;
  // The setup data of the class factory's template that made the filter (null: none), which
  // Register and Unregister follow.
  virtual const FilterSetup* GetSetupData() { return setup_; }
  void SetSetupData(const FilterSetup* setup) { setup_ = setup; }

  CCritSec* StateLock() const { return lock_; }
  bool IsActive();
  bool IsStopped();
  LONG GetPinVersion() const { return pin_version_; }
  void IncrementPinVersion() { InterlockedIncrement(&pin_version_); }
  IFilterGraph* Graph() const { return graph_; }
  // The reference clock (no reference added); stable while the state lock is held.
  IReferenceClock* Clock() const { return clock_; }
  // Sends an event to the graph's event sink, if the filter is in a graph that has one.
  HRESULT NotifyEvent(long code, LONG_PTR param1, LONG_PTR param2);

 protected:
  FILTER_STATE state_ = State_Stopped;
  REFERENCE_TIME start_ = 0;
  IReferenceClock* clock_ = nullptr;

 private:
  CCritSec* const lock_;
  const CLSID clsid_;
  // The graph owns us: these are deliberately not reference-counted.
  IFilterGraph* graph_ = nullptr;
  IMediaEventSink* event_sink_ = nullptr;
  wchar_t* name_ = nullptr;
  const FilterSetup* setup_ = nullptr;
  volatile LONG pin_version_ = 1;
};

}  // namespace vl::vcam
