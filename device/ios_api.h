// The libimobiledevice calls the device scan and the transport need, as a table of functions.
// The native build fills it from the linked library; the Windows program fills it with its own
// client (ios_client.h), which the native build also has, so both are tested side by side.
#pragma once

#include <cstdint>

namespace vl {

// Opaque handles of the table's implementation (libimobiledevice's idevice_t,
// idevice_connection_t and lockdownd_client_t, or the client's own).
using IosDevice = void*;
using IosConnection = void*;
using IosLockdown = void*;

// The lockdown client label of this program, for the scan and the transport alike.
constexpr char kIosClientLabel[] = "lumaroo";

// Every call returns the library's error code: 0 is success.
struct IosApi {
  // The UDIDs of attached devices; the array is released with device_list_free.
  int (*get_device_list)(char*** udids, int* count);
  int (*device_list_free)(char** udids);
  int (*device_new)(IosDevice* device, const char* udid);
  int (*device_free)(IosDevice device);
  int (*connect)(IosDevice device, uint16_t port, IosConnection* connection);
  int (*disconnect)(IosConnection connection);
  int (*send)(IosConnection connection, const char* data, uint32_t length, uint32_t* sent);
  int (*receive_timeout)(IosConnection connection, char* data, uint32_t length, uint32_t* received,
                         unsigned int timeout_ms);
  int (*lockdown_new_with_handshake)(IosDevice device, IosLockdown* client, const char* label);
  int (*lockdown_free)(IosLockdown client);
  // The user's name of the device (UTF-8), released with free_string.
  int (*lockdown_get_device_name)(IosLockdown client, char** name);
  // Releases a string the library allocated, on the library's own heap. Null when the
  // library build offers none: such strings are then left allocated rather than freed on the
  // wrong heap.
  void (*free_string)(char* text);
  // The socket under a service connection; null when the library lacks it. Used only to wake a
  // thread blocked in receive_timeout (shutdown), never to read or close.
  int (*connection_get_fd)(IosConnection connection, int* fd);
};

// The process's table: libimobiledevice natively, the program's own client on Windows.
const IosApi* GetIosApi();

}  // namespace vl
