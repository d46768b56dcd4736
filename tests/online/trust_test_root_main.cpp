// Adds the build tree's test root to the current user's trusted roots of the Wine prefix, for
// script tests whose programs then talk TLS to the loopback test server (test machines only).
#include "tests/online/online_test_support.h"

int main() {
  return vl::test::TrustTestRoot() ? 0 : 1;
}
