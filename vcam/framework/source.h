// A source filter: a filter that owns an array of output streams, each adding itself when it is
// constructed.
#pragma once

#include <vector>

#include "vcam/framework/base_filter.h"

namespace vl::vcam {

class CSourceStream;

class CSource : public CBaseFilter {
 public:
  CSource(const wchar_t* object_name, IUnknown* outer, REFCLSID clsid);
  ~CSource() override;

  int GetPinCount() override;
  CBasePin* GetPin(int index) override;

  // Called by the streams' constructors and destructors.
  HRESULT AddPin(CSourceStream* stream);
  HRESULT RemovePin(CSourceStream* stream);

 protected:
  CCritSec state_lock_;
  std::vector<CSourceStream*> streams_;
};

}  // namespace vl::vcam
