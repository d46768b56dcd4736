// Deciding on an offered update: ask the user, then hand an installer address to the main
// window's background download or open any other address in the browser.
#pragma once

#include <string>

#include "online/i_update_download_starter.h"
#include "online/i_user_prompts.h"

namespace vl {

// Runs on the configuration thread and blocks it while a box is open. Nothing when the offered
// version or the address is empty. A newer version asks "Velloria软件更新提示" with the release
// note; Yes downloads an address holding ".exe" in the background and opens any other web
// address in the browser. An offer that is not newer says "未检查到有更新！" only when `notify`.
void CheckForUpdate(const std::string& program_version, const std::string& offered_version,
                    const std::string& release_note, const std::string& url, bool notify,
                    IUserPrompts& prompts, IUpdateDownloadStarter& downloads);

}  // namespace vl
