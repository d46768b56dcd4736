// The product's web pages, which the dialogs open when the configuration names none.
#pragma once

namespace vl {

// The iPhone connection help.
inline constexpr char kIosHelpPageUrl[] =
    "http://www.velloria.com.cn/serel/app/pc_site/serel_camera/live.php#ios";
// The product's home page.
inline constexpr char kProductHomePageUrl[] = "http://www.velloria.com.cn/serel_camera/";
// A debug-mode help address on this search host is a search query the phone model completes.
inline constexpr char kSearchHost[] = "baidu.com";

}  // namespace vl
