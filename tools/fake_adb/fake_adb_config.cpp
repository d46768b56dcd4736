#include "tools/fake_adb/fake_adb_config.h"

#include <sstream>

namespace vl::fake_adb {
namespace {

// The rest of the line after n blank-separated words (blanks after the n-th word skipped).
std::string RestAfterWords(const std::string& line, int n) {
  size_t pos = 0;
  for (int i = 0; i < n; ++i) {
    pos = line.find_first_not_of(" \t", pos);
    if (pos == std::string::npos) return {};
    pos = line.find_first_of(" \t", pos);
    if (pos == std::string::npos) return {};
  }
  if (pos < line.size()) ++pos;  // exactly one separating blank: the value may start with blanks
  return line.substr(pos);
}

}  // namespace

Device* Config::Find(const std::string& serial) {
  for (Device& d : devices) {
    if (d.serial == serial) return &d;
  }
  return nullptr;
}

Config ParseConfig(const std::string& text, std::string& error) {
  Config c;
  std::istringstream in(text);
  std::string line;
  while (std::getline(in, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    std::istringstream words(line);
    std::string directive;
    if (!(words >> directive) || directive[0] == '#') continue;
    if (directive == "device") {
      Device d;
      words >> d.serial >> d.state;
      if (!d.serial.empty()) c.devices.push_back(d);
    } else if (directive == "prop") {
      std::string serial, key;
      words >> serial >> key;
      if (Device* d = c.Find(serial)) d->props.emplace_back(key, RestAfterWords(line, 3));
    } else if (directive == "banner") {
      c.banner.push_back(RestAfterWords(line, 1));
    } else if (directive == "fail") {
      std::string command;
      words >> command;
      c.fail[command] = RestAfterWords(line, 2);
    } else if (directive == "hang") {
      std::string command;
      words >> command;
      c.hang.push_back(command);
    } else if (directive == "eol") {
      std::string v;
      words >> v;
      c.eol = v == "lf" ? "\n" : "\r\n";
    } else if (directive == "log") {
      c.log_path = RestAfterWords(line, 1);
    } else {
      error += "unknown directive: " + directive + "\n";
    }
  }
  return c;
}

}  // namespace vl::fake_adb
