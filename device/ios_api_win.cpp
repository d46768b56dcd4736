// The Windows program reaches iPhones through its own client: Debian's sources of
// libimobiledevice cannot be built here, and a library beside the program would be one more
// thing a user's installation could lack.
#include "device/ios_api.h"
#include "device/ios_client.h"

namespace vl {

const IosApi* GetIosApi() {
  return IosClientApi();
}

}  // namespace vl
