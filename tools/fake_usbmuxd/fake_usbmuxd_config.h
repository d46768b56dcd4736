// The pretend iPhones of the command-line fake usbmuxd, from a file the tests rewrite between
// scans (it is read at every connection). One directive per line, in listing order; '#' starts
// a comment:
//
//   device UDID [NAME...]       an iPhone; NAME (UTF-8, may hold blanks) is its device name,
//                               and without one its name query fails
//   refuse UDID                 an iPhone whose lockdown service drops the connection
//   unpaired UDID [NAME...]     an iPhone never trusted on this computer (no pair record)
//   service UDID PORT LOCAL     the iPhone's service PORT is proxied to 127.0.0.1:LOCAL
#pragma once

#include <string>
#include <vector>

#include "tools/fake_usbmuxd/fake_usbmuxd.h"

namespace vl::fake_usbmuxd {

// Unknown directives and malformed lines are left out.
std::vector<Iphone> ParseIphones(const std::string& text);
// The file's iPhones; none when it cannot be read.
std::vector<Iphone> ReadIphonesFile(const std::string& path);

}  // namespace vl::fake_usbmuxd
