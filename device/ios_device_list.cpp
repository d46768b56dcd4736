#include "device/ios_device_list.h"

#include <memory>

#include "common/text_convert.h"

namespace vl {
namespace {

// A string of the library's, released on the library's own heap.
struct LibraryString {
  const IosApi* ios;
  char* text = nullptr;
  ~LibraryString() {
    if (text && ios->free_string) ios->free_string(text);
  }
};

}  // namespace

void ListIphones(const IosApi* ios, const std::function<void(DeviceEntry)>& add) {
  if (!ios) return;
  char** udids = nullptr;
  int count = 0;
  if (ios->get_device_list(&udids, &count) != 0 || !udids) return;
  for (int i = 0; i < count && udids[i]; ++i) {
    IosDevice device = nullptr;
    if (ios->device_new(&device, udids[i]) != 0 || !device) continue;
    IosLockdown lockdown = nullptr;
    if (ios->lockdown_new_with_handshake(device, &lockdown, kIosClientLabel) != 0 || !lockdown) {
      ios->device_free(device);
      continue;
    }
    DeviceEntry entry;
    entry.kind = kDeviceKindIos;
    entry.identifier = udids[i];
    {
      LibraryString name{ios};
      // A device that gives no name is listed with an empty one.
      if (ios->lockdown_get_device_name(lockdown, &name.text) == 0 && name.text)
        entry.display_name = Utf8ToAnsi(name.text);
    }
    add(std::move(entry));
    ios->lockdown_free(lockdown);
    ios->device_free(device);
  }
  ios->device_list_free(udids);
}

}  // namespace vl
