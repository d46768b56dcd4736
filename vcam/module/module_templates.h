// The module's class template table (one camera) and the module-wide globals DllMain keeps.
#pragma once

#include <windows.h>

#include "vcam/framework/class_factory.h"

namespace vl::vcam {

extern const CFactoryTemplate g_templates[];
extern const int g_template_count;

extern HINSTANCE g_module_instance;
extern DWORD g_platform_id;

}  // namespace vl::vcam
