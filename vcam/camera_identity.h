// Identity of one camera build: each module (landscape, portrait) links exactly one table that
// defines kCameraIdentity; the rest of the camera code is shared.
#pragma once

#include <windows.h>

#include "vcam/camera_format.h"

struct CameraIdentity {
  const CLSID* clsid;
  const wchar_t* filter_name;  // the device's name in capture applications
  const wchar_t* pin_name;
  const char* fallback_file;  // in the user's picture folder, else in "res\" beside the module
  vl::vcam::CameraOrientation orientation;
};

extern const CameraIdentity kCameraIdentity;

// Class identifiers of the two builds.
extern "C" const CLSID CLSID_VelloriaLandscapeCamera;
extern "C" const CLSID CLSID_VelloriaPortraitCamera;
