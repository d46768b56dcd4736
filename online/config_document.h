// The configuration endpoint's XML document: which values it carries, and how they reach the
// record and the settings file.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "online/settings_store.h"

namespace vl {

struct ConfigDocument {
  // Each present only when the root has a child element of that name (no text gives "").
  std::optional<std::string> tips_conn, app_name, app_url, open_debug_mode_url, adb_drive_url;
  std::optional<std::string> image_help_conn, image_help_vcam, image_help_hcam;
  // The <update> element: its absence means no update check and no picture refresh.
  bool has_update = false;
  std::string appupdate_version, appupdate_url, appupdate_msg;
};

// Parses the response body. Its texts come out in the ANSI code page, as the program shows and
// stores them: converted from UTF-8 when the document declares UTF-8 or nothing (XML's default),
// kept as they are when it declares GBK or GB2312. Nothing when it is not well-formed XML, has no
// root element or declares any other encoding; the root's own name plays no part.
std::optional<ConfigDocument> ParseConfigDocument(std::string_view body);

// Stores the present values in the record and the cached ones in the settings file: the
// connection tip (line breaks as "</br>"), product name and page, the two help links. Picture
// addresses and the update offer go to the record only.
void ApplyConfigDocument(const ConfigDocument& doc, ISettingsStore& settings);

// The request address: endpoint + "?ver=" + version + "&rand=" + seconds since 1970.
std::string ConfigRequestUrl(std::string_view endpoint, std::string_view version, long long now);

}  // namespace vl
