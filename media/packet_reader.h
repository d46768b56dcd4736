// Reading the phone's side of the stream from a byte source: the reply to our greeting and the
// packets, with the bound of each packet type. Panel commands and resources are handed to their
// sinks as they arrive. No writing here: the reader (BMTReader) owns the connection's writers.
#pragma once

#include <memory>

#include "device/i_byte_source.h"
#include "media/i_resource_store.h"
#include "media/i_stream_worker_listener.h"
#include "media/media_packet.h"
#include "media/stream_header.h"

namespace vl {

// Where panel commands and resources go; either may be null (dropped).
struct PacketSinks {
  IStreamWorkerListener* listener = nullptr;
  IResourceStore* resources = nullptr;
};

// The phone's reply after our greeting: the echoed greeting and the header document. False on
// a short read, another greeting, or a header longer than kMaxHeaderLength; `flags` is set only
// on success (an unparsable document gives zero flags).
bool ReadHandshakeReply(IByteSource& source, HeaderFlags* flags);

// The next packet, or null at end of stream, on a read error or time-out, when the announced
// length exceeds its type's bound (MaxPayloadLength) or when memory for the payload cannot be
// had. A payload that arrives short gives a packet without payload (length 0). Panel commands
// and resources are dispatched before returning; packets of other types than video, resource
// and panel come back without payload (length 0), their bytes read and dropped.
std::unique_ptr<MediaPacket> ReadStreamPacket(IByteSource& source, const PacketSinks& sinks);

}  // namespace vl
