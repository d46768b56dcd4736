// Enumerator of the media types a pin offers (its GetMediaType positions). A change of the
// pin's type version puts it out of sync until Reset.
#pragma once

#include <windows.h>
#include <strmif.h>

namespace vl::vcam {

class CBasePin;

class CEnumMediaTypes : public IEnumMediaTypes {
 public:
  // Holds a reference to `pin`; `other` (optional) is the enumerator to clone.
  CEnumMediaTypes(CBasePin* pin, const CEnumMediaTypes* other);
  virtual ~CEnumMediaTypes();
  CEnumMediaTypes(const CEnumMediaTypes&) = delete;
  CEnumMediaTypes& operator=(const CEnumMediaTypes&) = delete;

  STDMETHODIMP QueryInterface(REFIID riid, void** ppv) override;
  STDMETHODIMP_(ULONG) AddRef() override;
  STDMETHODIMP_(ULONG) Release() override;

  STDMETHODIMP Next(ULONG count, AM_MEDIA_TYPE** types, ULONG* fetched) override;
  STDMETHODIMP Skip(ULONG count) override;
  STDMETHODIMP Reset() override;
  STDMETHODIMP Clone(IEnumMediaTypes** clone) override;

 private:
  bool OutOfSync() const;

  volatile LONG ref_count_ = 0;
  CBasePin* const pin_;
  int position_ = 0;
  LONG version_;
};

}  // namespace vl::vcam
