// What the phone simulator saw on one connection.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "tools/phonesim/packet_checker.h"

namespace vl::phonesim {

struct ReceivedPacket {
  CheckedPacket packet;
  double seconds = 0;  // since the handshake's acknowledgement arrived
};

struct SessionReport {
  std::string greeting;  // the bytes the PC sent as greeting
  bool greeting_ok = false;
  bool ack_received = false;
  uint32_t ack_value = 0xFFFFFFFF;
  std::vector<ReceivedPacket> packets;
  int protocol_errors = 0;
  bool pc_closed = false;  // the PC ended the connection
  bool finished = false;   // the session is over
  int64_t bytes_sent = 0;
  int steps_done = 0;  // steps performed so far

  int heartbeats() const;
  int events() const;
};

}  // namespace vl::phonesim
