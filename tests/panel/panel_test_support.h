// Stand-ins for the windowing system in the panel's native tests: views that record where each
// control's window was made, moved, shown and refreshed, a "decoder" of tiny text pictures, and a
// host that opens the root in the connected window's panel area.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "app/main_dlg_layout.h"
#include "panel/dui_ctrl.h"
#include "panel/i_panel_host.h"
#include "panel/i_panel_platform.h"
#include "panel/panel_manager.h"

namespace vl::test {

class FakeView;

// Everything the fake windows did, in order, for the tests to read.
struct ViewLog {
  std::vector<FakeView*> live;  // views whose window exists
  int repaints = 0;
  int scroll_resets = 0;
};

class FakeView : public IControlView {
 public:
  FakeView(DUICtrl& control, ViewLog& log) : control(control), log_(log) {}
  ~FakeView() override;

  bool Open(ViewParent parent, const PanelRect& rect) override;
  bool IsAlive() const override { return alive; }
  PanelRect ClientRect() const override { return PanelRect{0, 0, rect.width(), rect.height()}; }
  void Move(const PanelRect& to) override {
    rect = to;
    ++moves;
  }
  void Show(bool show) override { visible = show; }
  bool IsShown() const override { return visible; }
  void Repaint() override { ++log_.repaints; }
  void Refresh() override {}
  ViewParent ChildParent() override { return this; }
  void ResetScroll() override { ++log_.scroll_resets; }
  void SetContentHeight(int32_t height) override { content_height = height; }

  DUICtrl& control;
  FakeView* parent = nullptr;  // the view whose window holds this one
  PanelRect rect;
  bool alive = false;
  bool visible = true;
  int moves = 0;
  int32_t content_height = -1;

 private:
  ViewLog& log_;
};

// A picture "decoded" from the text "PIC WxH"; anything else does not decode.
struct FakePicture : PanelPicture {
  FakePicture(int32_t w, int32_t h) : w(w), h(h) {}
  int32_t width() const override { return w; }
  int32_t height() const override { return h; }
  int32_t w, h;
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

// Command texts. `<command name="name" parent_id="parent" pos_index="pos">ctrls</command>`: without
// parent_id for kNoParent, without pos_index when `pos` is empty.
constexpr int kNoParent = INT32_MIN;
std::string Command(const std::string& name, int parent, const std::string& ctrls,
                    const std::string& pos = "");
// `count` descriptions `<ctrl class="cls" id="..." attrs/>`, the ids counting up from `first_id`.
std::string Ctrls(const std::string& cls, int first_id, int count = 1,
                  const std::string& attrs = "");
// A config of the operation area `root` holding `inside`.
std::string Config(const std::string& inside, int root = 1);
// Ids of a control's children in order.
std::vector<int32_t> Ids(const DUICtrl* c);

// A manager with the fake platform and host, for command tests.
struct PanelFixture {
  FakePlatform platform;
  FakeHost host;
  PanelManager manager{&host, &platform};

  void Apply(const std::string& text) { manager.ApplyCommand(text.c_str()); }
  void Apply(const std::string& name, int parent, const std::string& ctrls,
             const std::string& pos = "") {
    Apply(Command(name, parent, ctrls, pos));
  }
  DUICtrl* Find(int32_t id) const { return manager.FindControl(id, RootSearch::kWithRoot); }
  template <typename T>
  T* Get(int32_t id) const {
    return static_cast<T*>(Find(id));
  }
  // Adds a resource named `name` holding `text`.
  void Resource(const std::string& name, const std::string& text);
};

}  // namespace vl::test
