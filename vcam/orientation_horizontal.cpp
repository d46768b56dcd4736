// The landscape camera "Velloria(横屏)": 1280 x 720, portrait pictures turned into it.
#include "vcam/camera_identity.h"

extern "C" const CLSID CLSID_VelloriaLandscapeCamera = {
    0x8E14549A, 0xDB61, 0x4309, {0xAF, 0xA1, 0x35, 0x78, 0xE9, 0x27, 0xE9, 0x34}};

extern const CameraIdentity kCameraIdentity = {
    &CLSID_VelloriaLandscapeCamera, L"Velloria(\u6A2A\u5C4F)", L"Serel Cam(H)", "default_h.jpg",
    vl::vcam::CameraOrientation::kLandscape};
