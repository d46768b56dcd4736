// How code outside the stream (the panel's event sender) writes to the phone: through the
// current reader, and only once its handshake is complete.
#pragma once

#include <functional>

#include "media/media_packet.h"

namespace vl {

// Writes one packet to the phone; the result as BMTReader::SendPacket's.
using PacketWriter = std::function<int(const MediaPacket& packet)>;

// A writer that holds the current reader (a run ending meanwhile cannot free it under a write),
// or an empty one while no reader has completed its handshake.
PacketWriter ConnectedPacketWriter();

}  // namespace vl
