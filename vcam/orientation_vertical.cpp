// The portrait camera "Velloria(竖屏)": 720 x 1280, landscape pictures turned into it.
#include "vcam/camera_identity.h"

extern "C" const CLSID CLSID_VelloriaPortraitCamera = {
    0x1B914DED, 0x3DEF, 0x4AD0, {0xB1, 0x58, 0xEA, 0x0A, 0x7B, 0x34, 0xFC, 0x80}};

extern const CameraIdentity kCameraIdentity = {
    &CLSID_VelloriaPortraitCamera, L"Velloria(\u7AD6\u5C4F)", L"Serel Cam(V)", "default_v.jpg",
    vl::vcam::CameraOrientation::kPortrait};
