// A loopback port that is bound but not listening: connecting to it is refused, and unlike a
// port that was merely free, it cannot become the source port of that very connect (Linux may
// pick a free destination port in the ephemeral range as source and connect the socket to
// itself).
#pragma once

#ifdef _WIN32
#ifndef _WINSOCKAPI_  // unless <windows.h> brought <winsock.h>, which declares all used here
#include <winsock2.h>
#endif
#else
#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#endif

#include <cstdint>

#include "device/socket_layer.h"

namespace vl::test {

class RefusingPort {
 public:
  RefusingPort() : s_(net::OpenTcpSocket()) {
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
#ifdef _WIN32
    int len = sizeof a;
#else
    socklen_t len = sizeof a;
#endif
    auto* address = reinterpret_cast<sockaddr*>(&a);
    if (bind(s_, address, sizeof a) == 0 && getsockname(s_, address, &len) == 0)
      port_ = ntohs(a.sin_port);
  }
  ~RefusingPort() {
    net::ShutdownAndClose(s_);
  }
  RefusingPort(const RefusingPort&) = delete;
  RefusingPort& operator=(const RefusingPort&) = delete;
  uint16_t port() const {
    return port_;
  }

 private:
  net::NativeSocket s_;
  uint16_t port_ = 0;
};

}  // namespace vl::test
