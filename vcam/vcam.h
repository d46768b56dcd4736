// The camera filter: a source filter with one CVCamStream pin. Stream configuration and pin
// category queries on the filter are answered by the pin.
#pragma once

#include "vcam/camera_identity.h"
#include "vcam/framework/source.h"

namespace vl::vcam {

class CVCam : public CSource {
 public:
  // Creation function of the module's class template.
  static CUnknown* CreateInstance(IUnknown* outer, HRESULT* result);

  DECLARE_IUNKNOWN
  HRESULT STDMETHODCALLTYPE NonDelegatingQueryInterface(REFIID riid, void** ppv) override;

 private:
  CVCam(IUnknown* outer, HRESULT* result, const CameraIdentity& identity);
};

}  // namespace vl::vcam
