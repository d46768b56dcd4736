// The libimobiledevice table loaded at run time from the program directory. The functions are
// declared here from the library's documented interface (all cdecl, errors as int, 0 = success).
#include "device/ios_api.h"

#include <windows.h>

#include <mutex>
#include <string>
#include <type_traits>

#include "common/win/module_path.h"

namespace vl {
namespace {

// The library's DLL names: current builds, then older ones.
const char* const kLibraryNames[] = {"libimobiledevice-1.0.dll", "libimobiledevice.dll"};

// Owns the loaded library for the life of the process.
class LoadedLibrary {
 public:
  LoadedLibrary() {
    const std::string dir = win::ModuleDirectoryOf(nullptr);
    for (const char* name : kLibraryNames) {
      module_ = LoadLibraryA((dir + name).c_str());
      if (module_) break;
    }
    if (!module_) return;
    bool all = true;
    auto find = [&](auto& slot, const char* symbol) {
      FARPROC p = GetProcAddress(module_, symbol);
      slot = reinterpret_cast<std::remove_reference_t<decltype(slot)>>(reinterpret_cast<void*>(p));
      return p != nullptr;
    };
    auto bind = [&](auto& slot, const char* symbol) {
      if (!find(slot, symbol)) all = false;
    };
    bind(api_.get_device_list, "idevice_get_device_list");
    bind(api_.device_list_free, "idevice_device_list_free");
    bind(api_.device_new, "idevice_new");
    bind(api_.device_free, "idevice_free");
    bind(api_.connect, "idevice_connect");
    bind(api_.disconnect, "idevice_disconnect");
    bind(api_.send, "idevice_connection_send");
    bind(api_.receive_timeout, "idevice_connection_receive_timeout");
    bind(api_.lockdown_new_with_handshake, "lockdownd_client_new_with_handshake");
    bind(api_.lockdown_free, "lockdownd_client_free");
    bind(api_.lockdown_get_device_name, "lockdownd_get_device_name");
    // Optional: the string release of the library's own heap (builds for .NET hosts export
    // it), and the socket of a connection.
    find(api_.free_string, "pinvoke_free_string");
    find(api_.connection_get_fd, "idevice_connection_get_fd");
    complete_ = all;
  }
  ~LoadedLibrary() {
    if (module_) FreeLibrary(module_);
  }
  LoadedLibrary(const LoadedLibrary&) = delete;
  LoadedLibrary& operator=(const LoadedLibrary&) = delete;

  const IosApi* api() const { return complete_ ? &api_ : nullptr; }

 private:
  HMODULE module_ = nullptr;
  IosApi api_{};
  bool complete_ = false;
};

}  // namespace

const IosApi* GetIosApi() {
  // Loaded once, on first use, thread-safely, and never unloaded: a scan or a connection may
  // still be inside the library on its own thread while the process ends.
  static LoadedLibrary* library = new LoadedLibrary;
  return library->api();
}

}  // namespace vl
