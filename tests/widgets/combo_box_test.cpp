// The combo box and its pop-up list on real windows under Wine, with real pointer input.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "common/win/pixel_rect_win.h"
#include "tests/widgets/widget_test_support.h"
#include "widgets/combo_box.h"
#include "widgets/combo_layout.h"
#include "widgets/font_cache.h"

namespace vl {
namespace {

using test::PumpUntil;
using test::XInput;

PixelRect ScreenRect(HWND window) {
  RECT rc = {};
  GetWindowRect(window, &rc);
  return ToPixelRect(rc);
}

PixelRect WorkArea(HWND window) {
  MONITORINFO info{};
  info.cbSize = sizeof info;
  GetMonitorInfoA(MonitorFromWindow(window, MONITOR_DEFAULTTONEAREST), &info);
  return ToPixelRect(info.rcWork);
}

struct Picks : IComboBoxListener {
  std::vector<std::string> texts;
  void OnComboSelect(ComboBox*, const char* text) override { texts.push_back(text); }
};

class ComboBoxTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(XInput::Park());
    ASSERT_TRUE(combo.Create(host, {16, 20, 360, 56}, 0, "no phone"));
    combo.SetListener(&picks);
    for (const char* phone : {"Pixel 7", "iPhone 13", "Mate 60"}) combo.AddItem(phone);
    combo.SetCurSel(0);
  }
  void TearDown() override { combo.list().Close(); }

  // The list where the placement maths put it for the box (the maths: combo_layout cases of
  // nine_part_fit_font_combo_maths_test).
  ComboListPlacement Placement(int items) {
    return PlaceComboList(ScreenRect(combo), WorkArea(host), items);
  }
  POINT ItemPoint(int index) {
    const PixelRect rc = ScreenRect(combo.list());
    return {rc.left + 40, rc.top + index * 46 + 23};
  }
  bool OpenByClick() {
    return XInput::Click(test::ScreenPoint(combo, 100, 18)) &&
           PumpUntil([&] { return combo.list().IsOpen(); }, 2000);
  }

  test::TestHost host;
  ComboBox combo;
  Picks picks;
};

// Counts the pixels of the accent pink (the current item's text and mark) in a list item.
int PinkPixelsInItem(CComboBoxList& list, int index) {
  const test::ScreenShot shot(list);
  int pink = 0;
  for (int y = index * kComboItemHeight - list.scroll() + 4;
       y < (index + 1) * kComboItemHeight - list.scroll() - 4; ++y)
    for (int x = 4; x < shot.width() - 4; ++x) {
      const COLORREF c = shot.at(x, y);
      if (GetRValue(c) > 180 && GetGValue(c) < 170 && GetRValue(c) - GetGValue(c) > 60) ++pink;
    }
  return pink;
}

// Opened, hovered and closed three ways: by the box, by a click elsewhere, by an item.
TEST_F(ComboBoxTest, OpensBelowMarksTheCurrentItemAndOnlyAClickOnAnItemSelects) {
  ASSERT_TRUE(OpenByClick());
  ASSERT_FALSE(Placement(3).above);
  EXPECT_EQ(ScreenRect(combo.list()), Placement(3).rect);
  EXPECT_FALSE(combo.list().opens_above());
  EXPECT_TRUE(combo.list_open());
  EXPECT_TRUE(CComboBoxList::HookInstalled());
  EXPECT_NE(GetWindowLongA(combo.list(), GWL_EXSTYLE) & WS_EX_TOPMOST, 0);
  EXPECT_NE(GetForegroundWindow(), combo.list().m_hWnd);  // not activated
  XInput::Park();
  test::PumpFor(100);
  EXPECT_GT(PinkPixelsInItem(combo.list(), 0), 20);
  EXPECT_EQ(PinkPixelsInItem(combo.list(), 1), 0);
  EXPECT_EQ(PinkPixelsInItem(combo.list(), 2), 0);
  // A click on the box while open closes it without reopening; the next one opens it.
  ASSERT_TRUE(XInput::Click(test::ScreenPoint(combo, 100, 18)));
  test::PumpFor(200);
  EXPECT_FALSE(combo.list().IsOpen());
  EXPECT_FALSE(combo.list_open());
  ASSERT_TRUE(OpenByClick());
  // Hovered, then closed by a click elsewhere: the shown phone is still the one that Connect
  // takes.
  ASSERT_TRUE(XInput::MoveTo(ItemPoint(1)));
  ASSERT_EQ(combo.list().hover(), 1);
  EXPECT_EQ(combo.GetCurSel(), 0);
  ASSERT_TRUE(XInput::Click(test::ScreenPoint(host, 500, 300)));
  ASSERT_TRUE(PumpUntil([&] { return !combo.list().IsOpen() && !combo.list_open(); }, 2000));
  EXPECT_EQ(combo.GetCurSel(), 0);
  EXPECT_EQ(combo.text(), "Pixel 7");
  EXPECT_TRUE(picks.texts.empty());
  EXPECT_FALSE(CComboBoxList::HookInstalled());
  EXPECT_FALSE(combo.list().closed_by_outside_click());
  ASSERT_TRUE(OpenByClick()) << "one click on the box must open it again";
  // A click on an item selects it, closes the list and tells the listener once.
  ASSERT_TRUE(XInput::MoveTo(ItemPoint(2)));
  EXPECT_EQ(combo.list().hover(), 2);
  ASSERT_TRUE(XInput::Click(ItemPoint(1)));
  ASSERT_TRUE(PumpUntil([&] { return !picks.texts.empty() && !combo.list_open(); }, 2000));
  test::PumpFor(100);
  EXPECT_EQ(picks.texts, std::vector<std::string>{"iPhone 13"});
  EXPECT_EQ(combo.GetCurSel(), 1);
  EXPECT_EQ(combo.text(), "iPhone 13");
  EXPECT_EQ(test::WindowText(combo), "iPhone 13");
  EXPECT_FALSE(combo.list().IsOpen());
  EXPECT_FALSE(CComboBoxList::HookInstalled());
}

TEST_F(ComboBoxTest, ASecondListReplacesTheFirstAndKeepsTheHook) {
  ComboBox other;
  ASSERT_TRUE(other.Create(host, {16, 200, 360, 236}, 0, "other"));
  other.AddItem("one");
  ASSERT_TRUE(OpenByClick());
  // The other box opens its list while the first is open (not through an outside click).
  SendMessageA(other, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(10, 10));
  test::PumpFor(100);
  EXPECT_FALSE(combo.list().IsOpen());
  ASSERT_TRUE(other.list().IsOpen());
  EXPECT_EQ(CComboBoxList::Current(), &other.list());
  EXPECT_TRUE(CComboBoxList::HookInstalled());
  ASSERT_TRUE(XInput::Click(test::ScreenPoint(host, 500, 150)));
  ASSERT_TRUE(PumpUntil([&] { return !other.list().IsOpen(); }, 2000))
      << "the new list must still close on an outside click";
  EXPECT_FALSE(CComboBoxList::HookInstalled());
}

TEST_F(ComboBoxTest, SetCurSelAndListOperations) {
  EXPECT_EQ(combo.SetCurSel(2), 2);
  EXPECT_EQ(combo.text(), "Mate 60");
  EXPECT_EQ(combo.SetCurSel(3), -1);
  EXPECT_EQ(combo.SetCurSel(-1), -1);
  EXPECT_EQ(combo.GetCurSel(), 2);
  EXPECT_EQ(combo.FindItem(-1, "iPhone 13"), 1);
  EXPECT_EQ(combo.FindItem(1, "iPhone 13"), -1);
  EXPECT_EQ(combo.GetItemText(7), "");
  // Removing a line above the selection keeps the same phone selected; removing it selects none.
  combo.RemoveItem(0);
  EXPECT_EQ(combo.GetCurSel(), 1);
  EXPECT_EQ(combo.GetItemText(1), "Mate 60");
  combo.RemoveItem(1);
  EXPECT_EQ(combo.GetCurSel(), -1);
  combo.RemoveAll();
  EXPECT_EQ(combo.Count(), 0);
  EXPECT_EQ(combo.GetCurSel(), -1);
  combo.SetText("no phone");
  EXPECT_EQ(test::WindowText(combo), "no phone");
}

TEST_F(ComboBoxTest, NearTheScreensBottomTheListOpensAboveAndStaysOnScreen) {
  // The box 30 pixels above the work area's bottom: no room for three items below it.
  SetWindowPos(host, nullptr, 100, WorkArea(host).bottom - 56 - 30, 0, 0,
               SWP_NOSIZE | SWP_NOZORDER);
  test::PumpFor(50);
  ASSERT_TRUE(OpenByClick());
  ASSERT_TRUE(Placement(3).above);
  EXPECT_EQ(ScreenRect(combo.list()), Placement(3).rect);
  EXPECT_TRUE(combo.list().opens_above());
  EXPECT_FALSE(combo.list().scrolls());
  // Items read top to bottom as below the box; a click on one picks it.
  ASSERT_TRUE(XInput::Click(ItemPoint(2)));
  ASSERT_TRUE(PumpUntil([&] { return !picks.texts.empty(); }, 2000));
  EXPECT_EQ(picks.texts, std::vector<std::string>{"Mate 60"});
}

TEST_F(ComboBoxTest, TooManyItemsForTheScreenScrollWithTheWheelAndEveryOneCanBePicked) {
  combo.RemoveAll();
  for (int i = 1; i <= 30; ++i) combo.AddItem(("phone " + std::to_string(i)).c_str());
  combo.SetCurSel(0);
  ASSERT_TRUE(OpenByClick());
  const PixelRect list = ScreenRect(combo.list());
  ASSERT_TRUE(combo.list().scrolls());
  EXPECT_EQ(list, Placement(30).rect);
  EXPECT_EQ(combo.list().scroll(), 0);
  // Three notches of the wheel over the list: three items down.
  const POINT over = ItemPoint(1);
  ASSERT_TRUE(XInput::Run("mousemove " + XInput::At(over) + " click 5 click 5 click 5"));
  ASSERT_TRUE(PumpUntil([&] { return combo.list().scroll() == 3 * 46; }, 2000))
      << combo.list().scroll();
  EXPECT_TRUE(combo.list().IsOpen());
  // To the end, then the last phone is picked with a click.
  for (int i = 0; i < 8; ++i) ASSERT_TRUE(XInput::Run("click --repeat 5 --delay 20 5"));
  const int end = 30 * 46 - list.height();
  ASSERT_TRUE(PumpUntil([&] { return combo.list().scroll() == end; }, 2000))
      << combo.list().scroll();
  ASSERT_TRUE(XInput::Click({list.left + 40, list.bottom - 23}));
  ASSERT_TRUE(PumpUntil([&] { return !picks.texts.empty(); }, 2000));
  EXPECT_EQ(picks.texts, std::vector<std::string>{"phone 30"});
  EXPECT_EQ(combo.GetCurSel(), 29);
  // Opened again, it shows the current phone.
  ASSERT_TRUE(OpenByClick());
  const int visible = ScreenRect(combo.list()).height();
  EXPECT_LE(combo.list().scroll(), 29 * 46);
  EXPECT_GE(combo.list().scroll() + visible, 30 * 46);
}

// The rightmost inked pixel (dark, grey or the current item's pink: anything well below the
// white background on average) of a row band of a window, or -1.
int RightmostInk(HWND window, int top, int bottom, int width) {
  const test::ScreenShot shot(window);
  int right = -1;
  for (int y = top; y < bottom; ++y)
    for (int x = 0; x < width; ++x) {
      const COLORREF c = shot.at(x, y);
      if ((GetRValue(c) + GetGValue(c) + GetBValue(c)) / 3 < 200 && x > right) right = x;
    }
  return right;
}

TEST_F(ComboBoxTest, AmpersandsInPhoneNamesStayVisible) {
  const std::string name = "&&&&&&&&&&&&";
  combo.RemoveAll();
  combo.AddItem(name.c_str());
  combo.SetCurSel(0);
  ASSERT_TRUE(OpenByClick());
  test::PumpFor(100);
  HDC screen = GetDC(nullptr);
  HGDIOBJ old = SelectObject(screen, GetCachedFont(13));
  SIZE all, half;
  GetTextExtentPoint32A(screen, name.c_str(), static_cast<int>(name.size()), &all);
  GetTextExtentPoint32A(screen, name.c_str(), static_cast<int>(name.size() / 2), &half);
  SelectObject(screen, old);
  ReleaseDC(nullptr, screen);
  // Prefix processing would show half the ampersands.
  const int in_list = RightmostInk(combo.list(), 10, 36, 300);
  EXPECT_GT(in_list, 14 + (half.cx + all.cx) / 2);
  const int in_box = RightmostInk(combo, 8, 28, 300);
  EXPECT_GT(in_box, 16 + (half.cx + all.cx) / 2);
}

}  // namespace
}  // namespace vl
