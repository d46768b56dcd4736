// The panel's command model as a phone drives it: a sequence of panel commands ("config",
// "insert", "delete", "modify", or anything at all), named resources (small ones, and large
// ones up to past the store's bound) and the user's clicks, applied to one panel manager with
// a platform that gives every control a window and "decodes" pictures by their headers. After
// each step the panel must be within its bounds: controls, depth, windows, resource bytes.
//
// Input: records of one operation byte, a 24-bit little-endian length and that many bytes. The
// hostile panels (thousands of descriptions) come from a short record that repeats a part:
// "prefix \1 unit \1 suffix" with a 16-bit count, so that inputs stay small and quick to mutate.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "app/main_dlg_layout.h"
#include "panel/dui_ctrl.h"
#include "panel/panel_limits.h"
#include "panel/panel_manager.h"
#include "panel/picture_header.h"

namespace {

class View : public vl::IControlView {
 public:
  explicit View(vl::DUICtrl& control) : control_(control) {}
  bool Open(vl::ViewParent, const vl::PanelRect& rect) override {
    rect_ = rect;
    alive_ = true;
    control_.OnWindowCreated();
    return true;
  }
  bool IsAlive() const override { return alive_; }
  vl::PanelRect ClientRect() const override {
    return vl::PanelRect{0, 0, rect_.width(), rect_.height()};
  }
  void Move(const vl::PanelRect& rect) override { rect_ = rect; }
  void Show(bool shown) override { shown_ = shown; }
  bool IsShown() const override { return shown_; }
  void Repaint() override {}
  void Refresh() override {}
  vl::ViewParent ChildParent() override { return this; }

 private:
  vl::DUICtrl& control_;
  vl::PanelRect rect_;
  bool alive_ = false;
  bool shown_ = true;
};

class Picture : public vl::PanelPicture {
 public:
  Picture(int32_t w, int32_t h) : w_(w), h_(h) {}
  int32_t width() const override { return w_; }
  int32_t height() const override { return h_; }

 private:
  int32_t w_, h_;
};

class Platform : public vl::IPanelPlatform {
 public:
  std::unique_ptr<vl::IControlView> MakeView(vl::DUICtrl& control) override {
    return std::make_unique<View>(control);
  }
  // As the Windows platform: only a header of a decodable size; then the size fitted.
  std::unique_ptr<vl::PanelPicture> DecodePicture(const uint8_t* data, size_t size,
                                                  int32_t bound) override {
    vl::PictureSize s;
    if (!vl::ReadPictureSize(data, size, &s) || !vl::IsDecodablePictureSize(s)) return nullptr;
    const int64_t w = s.width > bound ? bound : s.width;
    const int64_t h = s.height > bound ? bound : s.height;
    return std::make_unique<Picture>(static_cast<int32_t>(w), static_cast<int32_t>(h));
  }
};

class Host : public vl::IPanelHost {
 public:
  void SetPanelWindow(vl::DUICtrl* root) override {
    if (root) root->Create(nullptr, vl::main_layout::kPanel);
  }
};

int Depth(const vl::DUICtrl* c) {
  int deepest = 0;
  for (const vl::DUICtrl* k : c->OwnedControls()) {
    const int d = Depth(k);
    if (d > deepest) deepest = d;
  }
  return deepest + 1;
}

void Check(vl::PanelManager& manager, Platform& platform) {
  if (manager.CountControls() > vl::kMaxPanelControls) __builtin_trap();
  if (manager.root() && Depth(manager.root()) > vl::kMaxPanelDepth) __builtin_trap();
  if (platform.windows().used() > vl::kMaxPanelWindows) __builtin_trap();
  if (manager.resources().used_bytes() > vl::kMaxResourceStoreBytes) __builtin_trap();
}

// A resource: a name up to the first NUL (at most 255 bytes), then the bytes; a "large" one
// repeats its bytes up to a size chosen by its first two bytes (up to 256 KiB: megabytes per run
// would slow the fuzzing down far more than they find; the store's bound is reached with many,
// and the panel_hostile_test covers pictures of megabytes).
void AddResource(vl::PanelManager& manager, const uint8_t* data, size_t size, bool large) {
  size_t name_end = 0;
  while (name_end < size && name_end < 255 && data[name_end] != 0) ++name_end;
  const std::string name(reinterpret_cast<const char*>(data), name_end);
  const uint8_t* bytes = data + (name_end < size ? name_end + 1 : size);
  size_t count = static_cast<size_t>(data + size - bytes);
  size_t total = count;
  if (large && count >= 2) {
    total = (static_cast<size_t>(bytes[0]) | static_cast<size_t>(bytes[1]) << 8) * 4u + count;
    bytes += 2;
    count -= 2;
  }
  std::unique_ptr<uint8_t[]> buffer(new uint8_t[total == 0 ? 1 : total]);  // filled below
  if (count == 0) {
    std::memset(buffer.get(), 0, total);
  } else {  // the bytes, then the filled part doubled until full
    size_t filled = count < total ? count : total;
    std::memcpy(buffer.get(), bytes, filled);
    while (filled < total) {
      const size_t n = filled < total - filled ? filled : total - filled;
      std::memcpy(buffer.get() + filled, buffer.get(), n);
      filled += n;
    }
  }
  manager.AddResource(name, std::move(buffer), static_cast<int32_t>(total));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  Platform platform;
  Host host;
  vl::PanelManager manager(&host, &platform);
  // Events queue for a connection that never comes; no sender thread is started.
  manager.outbox().SetThreadStarter([](std::function<void()>) { return false; });
  size_t at = 0;
  while (at + 4 <= size) {
    const uint8_t op = data[at];
    size_t length = static_cast<size_t>(data[at + 1]) | static_cast<size_t>(data[at + 2]) << 8 |
                    static_cast<size_t>(data[at + 3]) << 16;
    at += 4;
    if (length > size - at) length = size - at;
    const uint8_t* body = data + at;
    at += length;
    switch (op % 5) {
      case 0: {
        const std::string text(reinterpret_cast<const char*>(body), length);
        manager.ApplyCommand(text.c_str());  // stops at an embedded NUL, as the window does
        break;
      }
      case 4: {  // count, then "prefix \1 unit \1 suffix": the unit repeated
        if (length < 2) break;
        const size_t times = (body[0] | body[1] << 8) % 24000u;
        const std::string spec(reinterpret_cast<const char*>(body + 2), length - 2);
        const size_t a = spec.find('\1');
        const size_t b = a == std::string::npos ? a : spec.find('\1', a + 1);
        if (b == std::string::npos) break;
        std::string text = spec.substr(0, a);
        const std::string unit = spec.substr(a + 1, b - a - 1);
        if (unit.size() * times > (256u << 10)) break;  // kept small: runs stay quick
        for (size_t i = 0; i < times; ++i) text += unit;
        text += spec.substr(b + 1);
        manager.ApplyCommand(text.c_str());
        break;
      }
      case 1:
        AddResource(manager, body, length, false);
        break;
      case 2:  // large only for exactly 2: filling megabytes is slow, so mutations seldom ask
        AddResource(manager, body, length, op == 2);
        break;
      case 3:  // the user clicks every control with an id from the body (events queue)
        for (size_t i = 0; i + 1 < length; i += 2) {
          const int32_t id = static_cast<int32_t>(body[i] | body[i + 1] << 8);
          if (vl::DUICtrl* c = manager.FindControl(id, vl::RootSearch::kWithRoot))
            c->SendEvent("click");
        }
        break;
    }
    Check(manager, platform);
  }
  return 0;
}
