// The IUnknown of an aggregated object that its outer object keeps (CUnknown implements it).
#pragma once

#include <windows.h>
#include <unknwn.h>

namespace vl::vcam {

// The IUnknown an aggregated object keeps for its outer object: never delegates.
struct INonDelegatingUnknown {
  virtual HRESULT STDMETHODCALLTYPE NonDelegatingQueryInterface(REFIID riid, void** ppv) = 0;
  virtual ULONG STDMETHODCALLTYPE NonDelegatingAddRef() = 0;
  virtual ULONG STDMETHODCALLTYPE NonDelegatingRelease() = 0;
};

}  // namespace vl::vcam
