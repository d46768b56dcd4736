// The libimobiledevice table from the linked library (native build).
#include "device/ios_api.h"

#include <libimobiledevice/libimobiledevice.h>
#include <libimobiledevice/lockdown.h>

#include <cstdlib>

namespace vl {
namespace {

int GetDeviceList(char*** udids, int* count) {
  return idevice_get_device_list(udids, count);
}
int DeviceListFree(char** udids) {
  return idevice_device_list_free(udids);
}
int DeviceNew(IosDevice* device, const char* udid) {
  idevice_t d = nullptr;
  const int r = idevice_new(&d, udid);
  *device = d;
  return r;
}
int DeviceFree(IosDevice device) {
  return idevice_free(static_cast<idevice_t>(device));
}
int Connect(IosDevice device, uint16_t port, IosConnection* connection) {
  idevice_connection_t c = nullptr;
  const int r = idevice_connect(static_cast<idevice_t>(device), port, &c);
  *connection = c;
  return r;
}
int Disconnect(IosConnection c) {
  return idevice_disconnect(static_cast<idevice_connection_t>(c));
}
int Send(IosConnection c, const char* data, uint32_t length, uint32_t* sent) {
  return idevice_connection_send(static_cast<idevice_connection_t>(c), data, length, sent);
}
int ReceiveTimeout(IosConnection c, char* data, uint32_t length, uint32_t* received,
                   unsigned int timeout_ms) {
  return idevice_connection_receive_timeout(static_cast<idevice_connection_t>(c), data, length,
                                            received, timeout_ms);
}
int LockdownNew(IosDevice device, IosLockdown* client, const char* label) {
  lockdownd_client_t l = nullptr;
  const int r = lockdownd_client_new_with_handshake(static_cast<idevice_t>(device), &l, label);
  *client = l;
  return r;
}
int LockdownFree(IosLockdown client) {
  return lockdownd_client_free(static_cast<lockdownd_client_t>(client));
}
int LockdownGetDeviceName(IosLockdown client, char** name) {
  return lockdownd_get_device_name(static_cast<lockdownd_client_t>(client), name);
}
// This library version documents that the caller frees the name; linked natively, the
// library and the program share one C heap.
void FreeString(char* text) {
  std::free(text);
}
int ConnectionGetFd(IosConnection c, int* fd) {
  return idevice_connection_get_fd(static_cast<idevice_connection_t>(c), fd);
}

const IosApi kApi = {GetDeviceList,
                     DeviceListFree,
                     DeviceNew,
                     DeviceFree,
                     Connect,
                     Disconnect,
                     Send,
                     ReceiveTimeout,
                     LockdownNew,
                     LockdownFree,
                     LockdownGetDeviceName,
                     FreeString,
                     ConnectionGetFd};

}  // namespace

const IosApi* GetIosApi() {
  return &kApi;
}

}  // namespace vl
