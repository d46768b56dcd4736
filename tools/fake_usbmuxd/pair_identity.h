// The certificates of a pretend pairing between this computer and the fake's iPhones, made
// once per process with mbed TLS: one RSA key, a root certificate, the host certificate and the
// device certificate signed by it (all PEM), and the host's identifiers. The fake hands them out
// as the pair record and serves TLS lockdown sessions with the device certificate.
#pragma once

#include <string>

namespace vl::fake_usbmuxd {

struct PairIdentity {
  std::string host_id;
  std::string system_buid;
  std::string private_key;  // the one key of all three certificates
  std::string root_certificate;
  std::string host_certificate;
  std::string device_certificate;
};

// Made on first use (about a second), then shared.
const PairIdentity& GeneratedPairIdentity();

}  // namespace vl::fake_usbmuxd
