#include "online/update_check.h"

#include "common/text_convert.h"
#include "online/user_prompts.h"
#include "online/version_number.h"

namespace vl {

void CheckForUpdate(const std::string& program_version, const std::string& offered_version,
                    const std::string& release_note, const std::string& url, bool notify,
                    IUserPrompts& prompts, IUpdateDownloadStarter& downloads) {
  if (offered_version.empty() || url.empty()) return;
  if (IsNewerVersion(program_version, offered_version)) {
    if (!prompts.AskYesNo(release_note, Utf8ToAnsi("Velloria软件更新提示"))) return;
    if (url.find(".exe") != std::string::npos)
      downloads.StartUpdateDownload(url);
    else
      OpenWebAddress(prompts, url);
  } else if (notify) {
    prompts.Inform(Utf8ToAnsi("未检查到有更新！"), Utf8ToAnsi("软件更新"));
  }
}

}  // namespace vl
