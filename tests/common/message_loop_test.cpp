// The message loop offers every message to the filters before translating it, and resumes idle
// processing after every message except the four that arrive continually.
#include "common/win/message_loop.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "common/win/window_impl.h"

namespace vl::win {
namespace {

// Records what reaches the window procedure and the idle handler, in one timeline.
struct Timeline {
  std::vector<std::string> events;
};

class RecordingWindow : public CWindowImpl<RecordingWindow> {
 public:
  explicit RecordingWindow(Timeline* t) : t_(t) {}

  BEGIN_MSG_MAP(RecordingWindow)
  MESSAGE_HANDLER(WM_KEYDOWN, OnKeyDown)
  MESSAGE_HANDLER(WM_CHAR, OnChar)
  MESSAGE_HANDLER(WM_TIMER, OnTimer)
  MESSAGE_HANDLER(WM_APP, OnApp)
  MESSAGE_HANDLER(WM_MOUSEMOVE, OnContinual)
  MESSAGE_HANDLER(WM_NCMOUSEMOVE, OnContinual)
  MESSAGE_HANDLER(WM_PAINT, OnContinual)
  MESSAGE_HANDLER(0x0118, OnContinual)
  END_MSG_MAP()

 private:
  LRESULT OnKeyDown(UINT, WPARAM, LPARAM, BOOL&) {
    t_->events.push_back("keydown");
    return 0;
  }
  LRESULT OnChar(UINT, WPARAM w, LPARAM, BOOL&) {
    t_->events.push_back("char:" + std::string(1, static_cast<char>(w)));
    return 0;
  }
  LRESULT OnApp(UINT, WPARAM, LPARAM, BOOL&) {
    t_->events.push_back("app");
    return 0;
  }
  // A continual message: ask for a timer so the loop has something to wake up for.
  LRESULT OnContinual(UINT msg, WPARAM, LPARAM, BOOL&) {
    if (msg == WM_PAINT) {
      PAINTSTRUCT ps;
      BeginPaint(m_hWnd, &ps);
      EndPaint(m_hWnd, &ps);
    }
    t_->events.push_back("continual");
    SetTimer(1, 50);
    return 0;
  }
  LRESULT OnTimer(UINT, WPARAM, LPARAM, BOOL&) {
    KillTimer(1);
    t_->events.push_back("timer");
    return 0;
  }
  Timeline* t_;
};

// Idle handler that drives a script: each idle pass posts the next message and then declares
// idle work done, so the loop only calls it again when idle processing is switched back on.
class ScriptedIdle : public CIdleHandler {
 public:
  ScriptedIdle(Timeline* t, HWND wnd, std::vector<UINT> script)
      : t_(t), wnd_(wnd), script_(std::move(script)) {}
  BOOL OnIdle() override {
    t_->events.push_back("idle");
    if (next_ < script_.size()) {
      const UINT msg = script_[next_++];
      PostMessageA(wnd_, msg, msg == WM_KEYDOWN ? 'A' : 0, msg == WM_KEYDOWN ? 0x1E0001 : 0);
    } else {
      PostQuitMessage(7);
    }
    return FALSE;
  }

 private:
  Timeline* t_;
  HWND wnd_;
  std::vector<UINT> script_;
  size_t next_ = 0;
};

class KeyFilter : public CMessageFilter {
 public:
  KeyFilter(Timeline* t, bool consume) : t_(t), consume_(consume) {}
  BOOL PreTranslateMessage(MSG* msg) override {
    if (msg->message == WM_KEYDOWN) t_->events.push_back(consume_ ? "filter:eat" : "filter");
    return consume_ && msg->message == WM_KEYDOWN;
  }

 private:
  Timeline* t_;
  bool consume_;
};

class MessageLoopTest : public ::testing::Test {
 protected:
  void SetUp() override {
    RECT rc{0, 0, 100, 100};
    ASSERT_TRUE(window_.Create(nullptr, rc, "loop test", WS_POPUP));
  }
  int Run(const std::vector<UINT>& script, CMessageFilter* filter = nullptr) {
    CMessageLoop loop;
    ScriptedIdle idle(&timeline_, window_, script);
    loop.AddIdleHandler(&idle);
    if (filter) loop.AddMessageFilter(filter);
    return loop.Run();
  }
  Timeline timeline_;
  RecordingWindow window_{&timeline_};
};

using Events = std::vector<std::string>;

TEST_F(MessageLoopTest, ReturnsTheQuitCodeAndIdlesAfterOrdinaryMessages) {
  EXPECT_EQ(Run({WM_APP, WM_APP}), 7);
  EXPECT_EQ(timeline_.events, (Events{"idle", "app", "idle", "app", "idle"}));
}

TEST_F(MessageLoopTest, FilterSeesMessagesBeforeTranslationAndMayConsumeThem) {
  KeyFilter pass(&timeline_, false);
  Run({WM_KEYDOWN}, &pass);
  // Translation turned the key into a character after the filter let it through.
  EXPECT_EQ(timeline_.events, (Events{"idle", "filter", "keydown", "char:a", "idle"}));
  // A consumed message is neither translated nor dispatched.
  timeline_.events.clear();
  KeyFilter eat(&timeline_, true);
  Run({WM_KEYDOWN}, &eat);
  EXPECT_EQ(timeline_.events, (Events{"idle", "filter:eat", "idle"}));
}

class ContinualMessageTest : public MessageLoopTest, public ::testing::WithParamInterface<UINT> {};

TEST_P(ContinualMessageTest, DoesNotResumeIdleProcessing) {
  Run({GetParam()});
  // No idle pass between the continual message and the timer it started.
  EXPECT_EQ(timeline_.events, (Events{"idle", "continual", "timer", "idle"}));
}

INSTANTIATE_TEST_SUITE_P(FourMessages, ContinualMessageTest,
                         ::testing::Values(WM_MOUSEMOVE, WM_NCMOUSEMOVE, WM_PAINT, 0x0118u));

TEST_F(MessageLoopTest, HandlerRemovedDuringItsOwnCallIsNotCalledAgain) {
  CMessageLoop loop;
  struct SelfRemoving : CIdleHandler {
    CMessageLoop* loop;
    int calls = 0;
    BOOL OnIdle() override {
      ++calls;
      loop->RemoveIdleHandler(this);
      PostQuitMessage(0);
      return TRUE;
    }
  } handler;
  handler.loop = &loop;
  loop.AddIdleHandler(&handler);
  loop.Run();
  EXPECT_EQ(handler.calls, 1);
}

}  // namespace
}  // namespace vl::win
