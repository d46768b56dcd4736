// What the online services need from the program that hosts them: its prompts, its settings
// file, the main window's hand-overs (0x467, 0x468), the configuration endpoint, the program's
// directory and version. Set once at start by the main window; tests set their own.
#pragma once

#include <functional>
#include <memory>
#include <string>

#include "online/settings_store.h"
#include "online/update_check.h"
#include "online/user_prompts.h"

namespace vl {

struct OnlineContext {
  IUserPrompts* prompts = nullptr;
  ISettingsStore* settings = nullptr;
  IUpdateDownloadStarter* downloads = nullptr;  // the main window's background download
  std::function<void()> help_picture_changed;   // the preview reloads its placeholder
  std::string config_endpoint;                  // "http://host/serelpartner/config.php"
  std::string program_directory;                // with its trailing backslash
  std::string picture_directory;                // the per-user help pictures, with its backslash
  std::string program_version;                  // "a.b.c.d"; empty when unreadable
  // What the pointers above point into, when the host owns it: a fetch thread holds it with its
  // copy of the context, so the objects stay while the thread may use them, even after the
  // main window is gone (the thread is never joined).
  std::shared_ptr<const void> keep_alive;
  bool complete() const { return prompts && settings && downloads && !config_endpoint.empty(); }
};

void SetOnlineContext(OnlineContext context);
OnlineContext GetOnlineContext();

// The configuration endpoint this program was built with (a build-time setting, see
// config_endpoint.cpp).
const char* ConfigEndpoint();

}  // namespace vl
