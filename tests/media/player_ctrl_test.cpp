// The preview window under Wine: publication to the shared section at every tick, letterboxed
// painting scaled once per picture, the placeholder, the help area and the draw handler. (The
// whole path, a phone's clip through the real worker and preview to the cameras, is
// main_dlg_test's.)
#include <gtest/gtest.h>

#include <windows.h>
#include <gdiplus.h>

#include <cstring>
#include <string>
#include <tuple>
#include <vector>

#include "common/module_directory.h"
#include "media/frame_geometry.h"
#include "media/frame_mapping_win.h"
#include "media/player_ctrl.h"
#include "media/smooth_scaler.h"
#include "tests/media/player_test_support.h"

namespace vl::test {
namespace {

class GdiplusSession : public ::testing::Environment {
 public:
  void SetUp() override {
    Gdiplus::GdiplusStartupInput input;
    Gdiplus::GdiplusStartup(&token_, &input, nullptr);
    // The placeholder is found as "res\default.png" beside the program: the repository's copy.
    SetApplicationDirectory(VL_APP_SOURCE_DIR "\\");
  }
  void TearDown() override { Gdiplus::GdiplusShutdown(token_); }

 private:
  ULONG_PTR token_ = 0;
};
const auto* const kGdiplus = ::testing::AddGlobalTestEnvironment(new GdiplusSession);

class PlayerCtrlTest : public ::testing::Test {
 protected:
  // One visible parent for the whole suite: without a window manager Wine waits two seconds
  // when it unmaps a top-level window.
  static void SetUpTestSuite() {
    parent_ = CreateWindowExA(WS_EX_TOOLWINDOW, "STATIC", "preview test", WS_POPUP | WS_VISIBLE, 0,
                              0, 727, 522, nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
  }
  static void TearDownTestSuite() { DestroyWindow(parent_); }
  void SetUp() override {
    ASSERT_NE(parent_, nullptr);
    player_.SetLinkOpener([this](const char* url) { opened_.push_back(url); });
  }
  void TearDown() override {
    player_.StopPolling();
    if (player_.IsWindow()) ::DestroyWindow(player_);
  }
  void Create() {
    RECT rc = {0, 0, 727, 522};
    ASSERT_NE(player_.Create(parent_, rc), nullptr);
  }
  void Tick() { SendMessageA(player_, WM_TIMER, PlayerCtrl::kPollTimer, 0); }
  void Repaint() {
    InvalidateRect(player_, nullptr, FALSE);
    UpdateWindow(player_);
  }

  static HWND parent_;
  PlayerCtrl player_;
  std::vector<std::string> opened_;
};

HWND PlayerCtrlTest::parent_ = nullptr;

// Every tick publishes the current picture to the section, also when no new one came (so a
// changed section is repaired). Letterboxed between black bars, every pixel of the picture is the
// smooth scaler's result unchanged, whatever bitmap formats the preview copies it through (a
// picture of busy bytes).
TEST_F(PlayerCtrlTest, TicksPublishThePictureAndPaintItSmoothlyScaledBetweenBlackBars) {
  std::unique_ptr<VideoFrame> picture;
  int polls = 0;
  player_.SetFrameSource([&] {
    ++polls;
    return picture.get();
  });
  Create();
  FrameMappingReader reader;
  // Where the letterboxed picture goes is PlanTest's.
  for (const auto& [pw, ph] : {std::pair{1280, 720}, {720, 1280}}) {
    picture = VideoFrame::Create(pw, ph);
    for (int64_t i = 0; i < picture->size(); ++i)
      picture->bits()[i] = static_cast<uint8_t>(i * 7 + i / 251);
    const int polled = polls;
    Tick();
    EXPECT_EQ(polls, polled + 1);
    Repaint();
    const ContainPlan plan = PlanContain(pw, ph, 727, 522);
    const int w = plan.drawn_width, h = plan.drawn_height;
    std::vector<uint8_t> want(static_cast<size_t>(w) * 3 * h);
    SmoothScaler scaler;
    ASSERT_TRUE(scaler.Scale({picture->bits(), pw, ph, picture->stride()},
                             {w, h, 0, 0, want.data(), w, h, w * 3}));
    const WindowShot shot(player_);
    ASSERT_EQ(shot.width(), 727);
    int differing = 0, lit_bars = 0;
    for (int y = 0; y < 522; ++y)
      for (int x = 0; x < 727; ++x) {
        const Colour got = shot.At(x, y);
        if (x < plan.x || x >= plan.x + w || y < plan.y || y >= plan.y + h) {
          if (!Near(got, {0, 0, 0})) ++lit_bars;
          continue;
        }
        const uint8_t* bgr =
            &want[(static_cast<size_t>(h - 1 - (y - plan.y)) * w + x - plan.x) * 3];
        if (got.b != bgr[0] || got.g != bgr[1] || got.r != bgr[2]) ++differing;
      }
    EXPECT_EQ(differing, 0) << pw << "x" << ph;
    EXPECT_EQ(lit_bars, 0) << pw << "x" << ph;

    MappedPicture seen = reader.Read();
    ASSERT_NE(seen.pixels, nullptr);
    EXPECT_EQ(std::tuple(seen.width, seen.height, seen.size), std::tuple(pw, ph, 2764800));
    EXPECT_EQ(0, memcmp(seen.pixels, picture->bits(), 2764800));
    picture->bits()[0] ^= 0xFF;
    Tick();
    EXPECT_EQ(0, memcmp(reader.Read().pixels, picture->bits(), 2764800));
  }
}

// The placeholder, unscaled, fills the window without pictures. Ticks repaint only the picture
// and clear what an earlier paint left; a picture is scaled once, not at every repaint.
TEST_F(PlayerCtrlTest, TicksRepaintThePictureAndClearWhatAnEarlierPaintLeft) {
  auto landscape = QuadrantPicture(1280, 720);
  auto portrait = QuadrantPicture(720, 1280);
  VideoFrame* current = nullptr;
  player_.SetFrameSource([&] { return current; });
  Create();
  auto show = [&](VideoFrame* picture) {
    current = picture;
    Tick();
    UpdateWindow(player_);
    return WindowShot(player_);
  };
  auto repainted_at_tick = [&](VideoFrame* picture) {
    current = picture;
    Tick();
    RECT dirty = {};
    GetUpdateRect(player_, &dirty, FALSE);
    UpdateWindow(player_);
    return std::vector<LONG>{dirty.left, dirty.top, dirty.right, dirty.bottom};
  };
  const Colour black = {0, 0, 0};
  WindowShot shot = show(nullptr);
  // The card's colours as app/res/default.png draws them.
  EXPECT_TRUE(Near(shot.At(5, 5), {0x1e, 0x20, 0x24}, 3));
  EXPECT_TRUE(Near(shot.At(200, 200), {0x2a, 0x2d, 0x33}, 3));
  // The placeholder's place above the picture turns black.
  EXPECT_TRUE(Near(show(landscape.get()).At(363, 20), black, 0));
  // Then a tick without a new picture repaints nothing, and one with a new picture only the
  // picture: 727 x 408 at y = 57.
  EXPECT_EQ(repainted_at_tick(landscape.get()), (std::vector<LONG>{0, 0, 0, 0}));
  auto next_landscape = QuadrantPicture(1280, 720);
  EXPECT_EQ(repainted_at_tick(next_landscape.get()), (std::vector<LONG>{0, 57, 727, 465}));
  // A portrait picture: where the landscape one was, the bars are black again.
  shot = show(portrait.get());
  EXPECT_TRUE(Near(shot.At(100, 260), black, 0));
  EXPECT_TRUE(Near(shot.At(620, 100), black, 0));
  EXPECT_TRUE(Near(shot.At(290, 100), {255, 0, 0}));
  EXPECT_EQ(repainted_at_tick(portrait.get()), (std::vector<LONG>{0, 0, 0, 0}));
  auto next_portrait = QuadrantPicture(720, 1280);
  EXPECT_EQ(repainted_at_tick(next_portrait.get()), (std::vector<LONG>{217, 0, 510, 522}));
  // And back: nothing of the portrait picture stays above or below.
  shot = show(landscape.get());
  EXPECT_TRUE(Near(shot.At(363, 20), black, 0));
  EXPECT_TRUE(Near(shot.At(300, 500), black, 0));
  EXPECT_TRUE(Near(shot.At(180, 160), {255, 0, 0}));
  // The picture's pixels changed behind the preview's back: repaints keep showing the copy that
  // was scaled when the picture arrived. A new picture of the same size is scaled anew.
  memset(landscape->bits(), 0xFF, static_cast<size_t>(landscape->size()));
  Repaint();
  EXPECT_TRUE(Near(WindowShot(player_).At(180, 160), {255, 0, 0}));
  auto white = VideoFrame::Create(1280, 720);
  memset(white->bits(), 0xFF, static_cast<size_t>(white->size()));
  EXPECT_TRUE(Near(show(white.get()).At(180, 160), {255, 255, 255}));
}

TEST_F(PlayerCtrlTest, WithoutASourceOnlyBlackAndTheDrawHandlerShow) {
  struct WhiteBox : IDrawHandler {
    void Draw(HDC back, HDC scratch) override {
      ++calls;
      got_scratch = scratch != nullptr;
      RECT box = {10, 10, 60, 40};
      FillRect(back, &box, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
    }
    int calls = 0;
    bool got_scratch = false;
  } handler;
  player_.SetDrawHandler(&handler);
  Create();
  UpdateWindow(player_);
  const WindowShot shot(player_);
  EXPECT_GE(handler.calls, 1);
  EXPECT_TRUE(handler.got_scratch);
  EXPECT_TRUE(Near(shot.At(30, 20), {255, 255, 255}));
  EXPECT_TRUE(Near(shot.At(5, 5), {0, 0, 0}));
  EXPECT_TRUE(Near(shot.At(300, 300), {0, 0, 0}));
}

// The help area opens the help page only without a picture under the hand; the polling timer
// takes pictures until stopped, and the section keeps the last one.
TEST_F(PlayerCtrlTest, HelpAreaOpensTheHelpPageOnlyWithoutAPictureAndPollingStops) {
  VideoFrame* current = nullptr;
  auto picture = QuadrantPicture(1280, 720);
  int polls = 0;
  player_.SetFrameSource([&] {
    ++polls;
    return current;
  });
  Create();
  const RECT& help = player_.help_area();
  EXPECT_EQ(std::vector<LONG>({help.left, help.top, help.right, help.bottom}),
            std::vector<LONG>({200, 400, 527, 502}));

  SendMessageA(player_, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(100, 100));  // outside
  EXPECT_TRUE(opened_.empty());
  SendMessageA(player_, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(300, 450));
  ASSERT_EQ(opened_.size(), 1u);
  EXPECT_EQ(opened_[0], "http://www.velloria.com.cn/serel/app/pc_site/serel_camera/live.php#ios");

  current = picture.get();
  Tick();
  SendMessageA(player_, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(300, 450));
  EXPECT_EQ(opened_.size(), 1u);  // a picture is shown: the click does nothing
  // The cursor is the hand over the help area, also while a picture is shown.
  for (auto [x, y, cursor] : {std::tuple{300, 450, IDC_HAND}, {100, 100, IDC_ARROW}}) {
    POINT at = {x, y};
    ClientToScreen(player_, &at);
    SetCursorPos(at.x, at.y);
    const LRESULT set =
        SendMessageA(player_, WM_SETCURSOR, reinterpret_cast<WPARAM>(player_.GetHwnd()),
                     MAKELPARAM(HTCLIENT, WM_MOUSEMOVE));
    EXPECT_TRUE(cursor != IDC_HAND || set == TRUE);
    EXPECT_EQ(GetCursor(), LoadCursor(nullptr, cursor)) << x;
  }

  const int ticked = polls;
  player_.StartPolling();
  EXPECT_TRUE(PumpUntil([&] { return polls >= ticked + 3; }));
  player_.StopPolling();
  PumpUntil([] { return false; }, 100);
  const int stopped_at = polls;
  PumpUntil([] { return false; }, 200);
  EXPECT_EQ(polls, stopped_at);
  // Stopped (as when a run ends), the preview leaves its last picture in the section.
  EXPECT_EQ(0, memcmp(FrameMappingReader().Read().pixels, picture->bits(), 2764800));
}

}  // namespace
}  // namespace vl::test
