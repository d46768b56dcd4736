// The few libimobiledevice calls the transport needs, as a table of functions. The native
// build fills it from the linked library; the Windows build loads the library's DLL from the
// program directory at first use, and without it the table is unavailable (iPhones then
// simply fail to connect).
#pragma once

#include <cstdint>

namespace vl {

// Opaque handles of the library (idevice_t, idevice_connection_t, lockdownd_client_t).
using IosDevice = void*;
using IosConnection = void*;
using IosLockdown = void*;

// Every call returns the library's error code: 0 is success.
struct IosApi {
  int (*device_new)(IosDevice* device, const char* udid);
  int (*device_free)(IosDevice device);
  int (*connect)(IosDevice device, uint16_t port, IosConnection* connection);
  int (*disconnect)(IosConnection connection);
  int (*send)(IosConnection connection, const char* data, uint32_t length, uint32_t* sent);
  int (*receive_timeout)(IosConnection connection, char* data, uint32_t length, uint32_t* received,
                         unsigned int timeout_ms);
  int (*lockdown_new_with_handshake)(IosDevice device, IosLockdown* client, const char* label);
  int (*lockdown_free)(IosLockdown client);
  // The connection's socket, so that Close can wake a call blocked on it. May be null (older
  // libraries lack it): Close then waits for the blocked call to return by itself.
  int (*get_fd)(IosConnection connection, int* fd);
};

// The process-wide table, or nullptr when the library is not available.
const IosApi* GetIosApi();

}  // namespace vl
