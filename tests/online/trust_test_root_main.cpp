// Adds the build tree's test root to the current user's trusted roots of the Wine prefix, for
// script tests whose programs then talk TLS to the loopback test server (test machines only).
#include <cstdio>

#include "tests/online/online_test_support.h"

int main() {
  if (vl::test::TrustTestRoot()) return 0;
  std::fprintf(stderr, "could not add the test root\n");
  return 1;
}
