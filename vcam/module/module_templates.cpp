#include "vcam/module/module_templates.h"

#include <uuids.h>

#include "vcam/camera_identity.h"
#include "vcam/vcam.h"

namespace vl::vcam {

namespace {

// The filter mapper entry: one output pin of any video type.
const REGPINTYPES kPinTypes[] = {{&MEDIATYPE_Video, &MEDIASUBTYPE_NULL}};
const REGFILTERPINS kPins[] = {
    {const_cast<LPWSTR>(L"Output"), FALSE, TRUE, FALSE, FALSE, &CLSID_NULL, nullptr, 1, kPinTypes}};
// MERIT_DO_NOT_USE: intelligent connect never picks a camera on its own.
constexpr DWORD kMerit = 0x200000;

const FilterSetup kFilterSetup = {kCameraIdentity.clsid, kCameraIdentity.filter_name, kMerit, 1,
                                  kPins};

}  // namespace

const CFactoryTemplate g_templates[] = {
    {kCameraIdentity.filter_name, kCameraIdentity.clsid, &CVCam::CreateInstance, nullptr,
     &kFilterSetup},
};
const int g_template_count = sizeof(g_templates) / sizeof(g_templates[0]);

HINSTANCE g_module_instance = nullptr;
DWORD g_platform_id = VER_PLATFORM_WIN32_WINDOWS;

}  // namespace vl::vcam
