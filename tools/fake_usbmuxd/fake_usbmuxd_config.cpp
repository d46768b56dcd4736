#include "tools/fake_usbmuxd/fake_usbmuxd_config.h"

#include <fstream>
#include <sstream>

namespace vl::fake_usbmuxd {

std::vector<Iphone> ParseIphones(const std::string& text) {
  std::vector<Iphone> phones;
  std::istringstream lines(text);
  for (std::string line; std::getline(lines, line);) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    const size_t hash = line.find('#');
    if (hash != std::string::npos) line.erase(hash);
    std::istringstream words(line);
    std::string what, udid;
    if (!(words >> what >> udid)) continue;
    if (what == "service") {
      unsigned port = 0, local = 0;
      if (!(words >> port >> local) || port > 65535 || local > 65535) continue;
      for (Iphone& p : phones)
        if (p.udid == udid) p.services[static_cast<uint16_t>(port)] = static_cast<uint16_t>(local);
      continue;
    }
    if (what != "device" && what != "refuse" && what != "unpaired") continue;
    Iphone phone;
    phone.udid = udid;
    phone.refuses_lockdown = what == "refuse";
    phone.paired = what != "unpaired";
    std::getline(words >> std::ws, phone.utf8_name);
    phone.has_name = !phone.utf8_name.empty();
    phones.push_back(phone);
  }
  return phones;
}

std::vector<Iphone> ReadIphonesFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return ParseIphones(text.str());
}

}  // namespace vl::fake_usbmuxd
