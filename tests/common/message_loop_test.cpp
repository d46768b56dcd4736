// The message loop offers every message to the filters before translating it, and resumes idle
// processing after every message except the four that arrive continually.
#include "common/win/message_loop.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "common/win/window_impl.h"

namespace vl::win {
namespace {

using Events = std::vector<std::string>;

// Records what reaches the window procedure, in the timeline the idle handler also writes.
struct RecordingWindow : CWindowImpl<RecordingWindow> {
  explicit RecordingWindow(Events* t) : t_(t) {}

  BEGIN_MSG_MAP(RecordingWindow)
  MESSAGE_RANGE_HANDLER(WM_PAINT, WM_APP, OnMessage)
  END_MSG_MAP()
  LRESULT OnMessage(UINT msg, WPARAM w, LPARAM, BOOL& handled) {
    if (msg == WM_KEYDOWN || msg == WM_APP) {
      t_->push_back(msg == WM_APP ? "app" : "keydown");
    } else if (msg == WM_CHAR) {
      t_->push_back("char:" + std::string(1, static_cast<char>(w)));
    } else if (msg == WM_TIMER) {
      KillTimer(1);
      t_->push_back("timer");
    } else if (msg == WM_MOUSEMOVE || msg == WM_NCMOUSEMOVE || msg == WM_PAINT || msg == 0x0118) {
      // A continual message: ask for a timer so the loop has something to wake up for.
      if (msg == WM_PAINT) ValidateRect(m_hWnd, nullptr);
      t_->push_back("continual");
      SetTimer(1, 50);
    } else {
      handled = FALSE;
    }
    return 0;
  }
  Events* t_;
};

// Idle handler that drives a script: each idle pass posts the next message and then declares
// idle work done, so the loop only calls it again when idle processing is switched back on.
struct ScriptedIdle : CIdleHandler {
  ScriptedIdle(Events* t, HWND wnd, std::vector<UINT> script)
      : t_(t), wnd_(wnd), script_(std::move(script)) {}
  BOOL OnIdle() override {
    t_->push_back("idle");
    if (next_ < script_.size()) {
      const UINT msg = script_[next_++];
      PostMessageA(wnd_, msg, msg == WM_KEYDOWN ? 'A' : 0, msg == WM_KEYDOWN ? 0x1E0001 : 0);
    } else {
      PostQuitMessage(7);
    }
    return FALSE;
  }
  Events* t_;
  HWND wnd_;
  std::vector<UINT> script_;
  size_t next_ = 0;
};

struct KeyFilter : CMessageFilter {
  KeyFilter(Events* t, bool consume) : t_(t), consume_(consume) {}
  BOOL PreTranslateMessage(MSG* msg) override {
    if (msg->message == WM_KEYDOWN) t_->push_back(consume_ ? "filter:eat" : "filter");
    return consume_ && msg->message == WM_KEYDOWN;
  }
  Events* t_;
  bool consume_;
};

// The loop returns the quit code and idles after ordinary messages; a filter sees a message
// before translation turns a key into a character, and a message it consumes is neither
// translated nor dispatched. No idle pass comes between one of the four continual messages and
// the timer it started. A handler removed during its own call is not called again.
TEST(MessageLoopTest, FiltersComeFirstAndIdleResumesAfterAllButTheContinualMessages) {
  Events timeline;
  RecordingWindow window(&timeline);
  ASSERT_TRUE(window.Create(nullptr, RECT{0, 0, 100, 100}, "loop test", WS_POPUP));
  KeyFilter pass(&timeline, false), eat(&timeline, true);
  const struct {
    std::vector<UINT> script;
    CMessageFilter* filter;
    Events want;
  } cases[] = {
      {{WM_APP, WM_APP}, nullptr, {"idle", "app", "idle", "app", "idle"}},
      {{WM_KEYDOWN}, &pass, {"idle", "filter", "keydown", "char:a", "idle"}},
      {{WM_KEYDOWN}, &eat, {"idle", "filter:eat", "idle"}},
      {{WM_MOUSEMOVE}, nullptr, {"idle", "continual", "timer", "idle"}},
      {{WM_NCMOUSEMOVE}, nullptr, {"idle", "continual", "timer", "idle"}},
      {{WM_PAINT}, nullptr, {"idle", "continual", "timer", "idle"}},
      {{0x0118}, nullptr, {"idle", "continual", "timer", "idle"}},
  };
  for (const auto& c : cases) {
    timeline.clear();
    CMessageLoop loop;
    ScriptedIdle idle(&timeline, window, c.script);
    loop.AddIdleHandler(&idle);
    if (c.filter) loop.AddMessageFilter(c.filter);
    EXPECT_EQ(loop.Run(), 7);
    EXPECT_EQ(timeline, c.want) << std::hex << c.script[0];
  }
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
