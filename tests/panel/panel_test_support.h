// Stand-ins for the windowing system in the panel's native tests: views that record where each
// control's window was made, moved, shown and refreshed, a "decoder" of tiny text pictures, and
// a host that opens the root in the connected window's panel area.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "app/main_dlg_layout.h"
#include "panel/dui_ctrl.h"
#include "panel/i_panel_host.h"
#include "panel/panel_manager.h"
#include "panel/i_panel_platform.h"

namespace vl::test {

class FakeView;

// Everything the fake windows did, in order, for the tests to read.
struct ViewLog {
  std::vector<FakeView*> live;  // views whose window exists
  int opened = 0;
  int destroyed = 0;
  int refreshes = 0;
  int repaints = 0;
  int scroll_resets = 0;
};

class FakeView : public IControlView {
 public:
  FakeView(DUICtrl& control, ViewLog& log) : control_(control), log_(log) {}
  ~FakeView() override;

  bool Open(ViewParent parent, const PanelRect& rect) override;
  bool IsAlive() const override { return alive_; }
  PanelRect ClientRect() const override { return PanelRect{0, 0, rect_.width(), rect_.height()}; }
  void Move(const PanelRect& rect) override {
    rect_ = rect;
    ++moves_;
  }
  void Show(bool visible) override { visible_ = visible; }
  bool IsShown() const override { return visible_; }
  void Repaint() override { ++log_.repaints; }
  void Refresh() override { ++log_.refreshes; }
  ViewParent ChildParent() override { return this; }
  void ResetScroll() override { ++log_.scroll_resets; }
  void SetContentHeight(int32_t height) override { content_height_ = height; }

  DUICtrl& control() const { return control_; }
  FakeView* parent() const { return parent_; }
  const PanelRect& rect() const { return rect_; }
  bool visible() const { return visible_; }
  int moves() const { return moves_; }
  int32_t content_height() const { return content_height_; }

 private:
  DUICtrl& control_;
  ViewLog& log_;
  FakeView* parent_ = nullptr;
  PanelRect rect_;
  bool alive_ = false;
  bool visible_ = true;
  int moves_ = 0;
  int32_t content_height_ = -1;
};

// A picture "decoded" from the text "PIC WxH"; anything else does not decode.
class FakePicture : public PanelPicture {
 public:
  FakePicture(int32_t w, int32_t h) : w_(w), h_(h) {}
  int32_t width() const override { return w_; }
  int32_t height() const override { return h_; }

 private:
  int32_t w_, h_;
};

class FakePlatform : public IPanelPlatform {
 public:
  std::unique_ptr<IControlView> MakeView(DUICtrl& control) override {
    return std::make_unique<FakeView>(control, log);
  }
  std::unique_ptr<PanelPicture> DecodePicture(const uint8_t* data, size_t size,
                                              int32_t bound) override;
  // The live window of the control with that id (the first made), or null.
  FakeView* ViewOf(int32_t id) const;
  FakeView* ViewOf(const DUICtrl* control) const;
  // Windows of the live views, each counted as the class's real view makes them.
  int LiveWindows() const;
  ViewLog log;
  int decodes = 0;  // DecodePicture calls
};

// The main window's part: the root's window in the panel area of the 1080 x 648 window.
class FakeHost : public IPanelHost {
 public:
  void SetPanelWindow(DUICtrl* root) override {
    ++calls;
    if (root) root->Create(nullptr, main_layout::kPanel);
  }
  int calls = 0;
};

// A manager with the fake platform and host, for command tests.
struct PanelFixture {
  FakePlatform platform;
  FakeHost host;
  PanelManager manager{&host, &platform};

  void Apply(const std::string& text) { manager.ApplyCommand(text.c_str()); }
  DUICtrl* Find(int32_t id) const { return manager.FindControl(id, RootSearch::kWithRoot); }
  // Ids of a control's children in order.
  static std::vector<int32_t> Ids(const DUICtrl* c);
  // Adds a resource named `name` holding `text`.
  void Resource(const std::string& name, const std::string& text);
};

}  // namespace vl::test
