// The configuration endpoint, fixed when the program is built (VL_CONFIG_ENDPOINT): the product's
// host for the release, a loopback test server for the programs the tests build.
#include "online/online_context.h"

namespace vl {

const char* ConfigEndpoint() {
  return VL_CONFIG_ENDPOINT;
}

}  // namespace vl
