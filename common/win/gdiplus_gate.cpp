#include "common/win/gdiplus_gate.h"

#include <condition_variable>
#include <mutex>

namespace vl::win {
namespace {

struct Gate {
  std::mutex lock;
  std::condition_variable left;
  bool open = true;
  int inside = 0;
};

Gate& TheGate() {
  static auto* gate = new Gate;  // never destroyed: its users are never joined
  return *gate;
}

}  // namespace

GdiplusUse::GdiplusUse() {
  Gate& g = TheGate();
  std::lock_guard<std::mutex> hold(g.lock);
  entered_ = g.open;
  if (entered_) ++g.inside;
}

GdiplusUse::~GdiplusUse() {
  if (!entered_) return;
  Gate& g = TheGate();
  std::lock_guard<std::mutex> hold(g.lock);
  if (--g.inside == 0) g.left.notify_all();
}

void OpenGdiplusGate() {
  Gate& g = TheGate();
  std::lock_guard<std::mutex> hold(g.lock);
  g.open = true;
}

void CloseGdiplusGate() {
  Gate& g = TheGate();
  std::unique_lock<std::mutex> hold(g.lock);
  g.open = false;
  g.left.wait(hold, [&] { return g.inside == 0; });
}

}  // namespace vl::win
