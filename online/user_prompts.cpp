#include "online/user_prompts.h"

#include "online/url_parts.h"

namespace vl {

bool OpenWebAddress(IUserPrompts& prompts, const std::string& url) {
  if (!IsWebAddress(url)) return false;
  return prompts.OpenWebPage(url);
}

}  // namespace vl
