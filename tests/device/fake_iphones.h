// The iPhones of a test program under Wine: the fake mobile-device service runs on the Linux
// side around the test (its launcher, `fake_usbmuxd run`, says where through the environment),
// and the program's iPhone client is pointed at it. Tests attach iPhones by rewriting the
// fake's file (format in tools/fake_usbmuxd/fake_usbmuxd_config.h) and read what was asked in
// its log.
#pragma once

#include <string>

namespace vl::test {

class FakeIphones {
 public:
  // Points the iPhone client at the fake; without the launcher at a port where nothing
  // listens (see available()).
  FakeIphones();
  ~FakeIphones();
  FakeIphones(const FakeIphones&) = delete;
  FakeIphones& operator=(const FakeIphones&) = delete;

  bool available() const { return port_ != 0; }
  // Replaces the attached iPhones ("device UDID NAME" lines and the like).
  void Attach(const std::string& lines);
  // Every request line the fake logged so far.
  std::string Log() const;

 private:
  int port_ = 0;
  std::string config_;
  std::string log_;
};

}  // namespace vl::test
