// Enumerator of a filter's pins. It notices pins being added or removed (the filter's pin
// version) and never hands out the same pin twice between resets.
#pragma once

#include <vector>

#include <windows.h>
#include <strmif.h>

namespace vl::vcam {

class CBaseFilter;
class CBasePin;

class CEnumPins : public IEnumPins {
 public:
  // Holds a reference to `filter`; `other` (optional) is the enumerator to clone.
  CEnumPins(CBaseFilter* filter, const CEnumPins* other);
  virtual ~CEnumPins();
  CEnumPins(const CEnumPins&) = delete;
  CEnumPins& operator=(const CEnumPins&) = delete;

  STDMETHODIMP QueryInterface(REFIID riid, void** ppv) override;
  STDMETHODIMP_(ULONG) AddRef() override;
  STDMETHODIMP_(ULONG) Release() override;

  STDMETHODIMP Next(ULONG count, IPin** pins, ULONG* fetched) override;
  STDMETHODIMP Skip(ULONG count) override;
  STDMETHODIMP Reset() override;
  STDMETHODIMP Clone(IEnumPins** clone) override;

 private:
  bool OutOfSync() const;

  volatile LONG ref_count_ = 0;
  CBaseFilter* const filter_;
  int position_ = 0;
  LONG version_;
  std::vector<CBasePin*> handed_out_;
};

}  // namespace vl::vcam
