// Web addresses as the online services use them: split into scheme, host, port and the request
// path, and the test that decides whether an address may be handed to the shell.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace vl {

struct UrlParts {
  bool secure = false;  // https: TLS on port 443 unless a port is written
  std::string host;     // without the port
  uint16_t port = 80;
  std::string path;  // from the first "/" on, query included, fragment dropped
};

// Splits "[scheme://]host[:port]/path[?query][#fragment]". The scheme, when written, must be
// http or https (any case). Fails (returns false, `out` untouched) when the host or the path is
// missing, the port is not a number from 1 to 65535, or the host holds characters no host name
// has (blanks, controls, "@", "\\", "?", "#", quotes, angle brackets).
bool SplitUrl(std::string_view url, UrlParts* out);

// True for an address that starts with "http://" or "https://" (any case), splits cleanly and
// holds no blank, quote or control character anywhere. Only such addresses are opened with the
// shell: anything else (a file, a UNC path, another scheme) could start a local program, and a
// quote or blank could end the address on the browser's command line and add options to it.
bool IsWebAddress(std::string_view url);

// Words to append to a search address's query: ASCII letters, digits and "-._~" stay, bytes of
// the ANSI code page's characters (0x80 and above) stay, everything else becomes "%XX".
std::string EncodeQueryWords(std::string_view words);

}  // namespace vl
