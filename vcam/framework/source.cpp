#include "vcam/framework/source.h"

#include <algorithm>
#include <new>

#include "vcam/framework/source_stream.h"

namespace vl::vcam {

CSource::CSource(const wchar_t* object_name, IUnknown* outer, REFCLSID clsid)
    : CBaseFilter(object_name, outer, &state_lock_, clsid) {}

CSource::~CSource() {
  // Each stream removes itself from the array as it goes.
  while (!streams_.empty()) delete streams_.back();
}

int CSource::GetPinCount() {
  CAutoLock lock(&state_lock_);
  return static_cast<int>(streams_.size());
}

CBasePin* CSource::GetPin(int index) {
  CAutoLock lock(&state_lock_);
  if (index < 0 || index >= static_cast<int>(streams_.size())) return nullptr;
  return streams_[static_cast<size_t>(index)];
}

HRESULT CSource::AddPin(CSourceStream* stream) {
  CAutoLock lock(&state_lock_);
  try {
    streams_.push_back(stream);
  } catch (const std::bad_alloc&) {
    return E_OUTOFMEMORY;
  }
  IncrementPinVersion();
  return S_OK;
}

HRESULT CSource::RemovePin(CSourceStream* stream) {
  CAutoLock lock(&state_lock_);
  auto it = std::find(streams_.begin(), streams_.end(), stream);
  if (it == streams_.end()) return S_FALSE;
  streams_.erase(it);
  IncrementPinVersion();
  return S_OK;
}

}  // namespace vl::vcam
