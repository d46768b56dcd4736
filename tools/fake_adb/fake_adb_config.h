// Configuration of the fake adb used by the tests: which phones it reports, what their
// properties are, and which commands fail or hang. Read from "fake_adb.conf" beside the
// executable, one directive per line ('#' starts a comment):
//
//   device SERIAL STATE          a phone as "adb devices" lists it (device, unauthorized,
//                                offline, ...), in listing order
//   prop SERIAL KEY [VALUE...]   a getprop entry of that phone (value may be empty or spaced)
//   banner TEXT                  a line printed before "List of devices attached"
//   fail COMMAND [TEXT...]       devices|shell|forward: print TEXT (or a default error) and
//                                exit with status 1
//   hang COMMAND                 that command never finishes
//   eol crlf|lf                  line ends of the output (default crlf, as adb on Windows)
//   log FILE                     append every command line ("cmd: ...") and input line
//                                ("stdin: ...") to FILE
#pragma once

#include <map>
#include <string>
#include <utility>
#include <vector>

namespace vl::fake_adb {

struct Device {
  std::string serial;
  std::string state;
  std::vector<std::pair<std::string, std::string>> props;  // in file order
};

struct Config {
  std::vector<Device> devices;
  std::vector<std::string> banner;
  std::map<std::string, std::string> fail;  // command -> text
  std::vector<std::string> hang;
  std::string eol = "\r\n";
  std::string log_path;

  Device* Find(const std::string& serial);
};

// Unknown directives are reported in `error` and ignored.
Config ParseConfig(const std::string& text, std::string& error);

}  // namespace vl::fake_adb
