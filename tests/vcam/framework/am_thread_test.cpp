// The worker thread with its synchronous command channel.
#include "vcam/framework/am_thread.h"

#include <gtest/gtest.h>

namespace vl::vcam {
namespace {

// A worker that echoes commands until told 99, and ends without a reply on 98.
class EchoThread : public CAMThread {
 protected:
  DWORD ThreadProc() override {
    for (;;) {
      const DWORD command = GetRequest();
      if (command == 98) return 0;
      Reply(command + 1000);
      if (command == 99) return 0;
    }
  }
};

TEST(CAMThreadTest, CommandsAreAnsweredAndADeadWorkerDoesNotHang) {
  EchoThread thread;
  EXPECT_EQ(thread.CallWorker(1), static_cast<DWORD>(E_FAIL));
  ASSERT_TRUE(thread.Create());
  EXPECT_FALSE(thread.Create());
  EXPECT_EQ(thread.CallWorker(5), 1005u);
  EXPECT_EQ(thread.CallWorker(6), 1006u);
  // The worker leaves without replying: the caller gets E_FAIL instead of waiting for ever.
  EXPECT_EQ(thread.CallWorker(98), static_cast<DWORD>(E_FAIL));
  thread.Close();
  EXPECT_FALSE(thread.ThreadExists());
  ASSERT_TRUE(thread.Create());
  EXPECT_EQ(thread.CallWorker(99), 1099u);
  thread.Close();
}

}  // namespace
}  // namespace vl::vcam
