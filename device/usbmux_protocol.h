// The messages of the mobile-device service (usbmuxd on Linux, Apple's service on Windows at
// 127.0.0.1:27015): a 16-byte little-endian header (total length, version 1, message type 8 =
// property list, tag) and an XML property list. Building requests and reading replies, with
// no I/O: replies are untrusted, so every size is checked against the bounds below.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "device/property_list.h"

namespace vl::usbmux {

inline constexpr uint16_t kDefaultServicePort = 27015;
// The lockdown service of every iPhone.
inline constexpr uint16_t kLockdownPort = 62078;

inline constexpr size_t kHeaderSize = 16;
inline constexpr uint32_t kVersionPlist = 1;
inline constexpr uint32_t kMessagePlist = 8;
// The largest reply accepted: a device list or a pair record with its certificates is a few
// kilobytes.
inline constexpr uint32_t kMaxMessageBytes = 1u << 20;
// Devices beyond this many in one list are ignored.
inline constexpr size_t kMaxDevices = 64;
inline constexpr size_t kMaxUdidBytes = 64;
// A certificate or private key (PEM) of a pair record, or an identifier in it.
inline constexpr size_t kMaxPairItemBytes = 16 * 1024;
inline constexpr size_t kMaxPairRecordBytes = 256 * 1024;

// Result codes of "Result" replies.
inline constexpr uint64_t kResultOk = 0;

struct Header {
  uint32_t length = 0;  // header and body
  uint32_t version = 0;
  uint32_t message = 0;
  uint32_t tag = 0;
};

Header DecodeHeader(const uint8_t (&bytes)[kHeaderSize]);
// The body length a reply header announces, or nothing when it is not a property-list reply
// to the request with `tag`, or announces more than kMaxMessageBytes.
std::optional<size_t> ReplyBodySize(const Header& header, uint32_t tag);

// Whole request messages, header included.
std::string ListDevicesRequest(uint32_t tag);
std::string ReadPairRecordRequest(uint32_t tag, const std::string& udid);
std::string ReadBuidRequest(uint32_t tag);
// The port travels in network byte order inside the integer.
std::string ConnectRequest(uint32_t tag, uint32_t device_id, uint16_t port);

struct AttachedDevice {
  uint32_t device_id = 0;
  std::string udid;
};

// UDIDs are used as identifiers and file-system-safe keys: letters, digits and '-', at most
// kMaxUdidBytes.
bool IsPlausibleUdid(const std::string& udid);

// The USB devices of a ListDevices reply in the service's order: entries without a plausible
// UDID or a device number, network entries and repeated UDIDs are left out; at most
// kMaxDevices.
std::vector<AttachedDevice> ParseDeviceList(plist::Node reply);
// The number of a "Result" reply; nothing for any other reply.
std::optional<uint64_t> ParseResult(plist::Node reply);

// What the host keeps from pairing with a device.
struct PairRecord {
  std::string host_id;
  std::string system_buid;       // may be empty: the service's BUID is asked then
  std::string host_certificate;  // PEM
  std::string host_private_key;  // PEM
};
// The pair record inside a ReadPairRecord reply (its PairRecordData, XML or binary); nothing
// when the device was never paired with this computer or the record lacks a HostID.
std::optional<PairRecord> ParsePairRecordReply(plist::Node reply);
std::optional<std::string> ParseBuidReply(plist::Node reply);

}  // namespace vl::usbmux
