// The widget gallery: every widget of the toolkit in every state on one window, with the
// program's pictures, for designers and for the documentation's screenshot.
//   widget_gallery.exe [--open-list]   (--open-list also opens a combo box's list, hovered)
#include <windows.h>

#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "common/text_convert.h"
#include "common/win/window_impl.h"
#include "widgets/buffered_paint.h"
#include "widgets/combo_box.h"
#include "widgets/font_cache.h"
#include "widgets/icon_button.h"
#include "widgets/image_button.h"
#include "widgets/image_loader.h"
#include "widgets/loading_button.h"
#include "widgets/loading_wnd.h"
#include "widgets/mini_scroll_bar.h"
#include "widgets/nine_part_image.h"
#include "widgets/picture_ids.h"
#include "widgets/slider.h"

namespace vl {
namespace {

namespace pics = pictures;
using State = ButtonBase::State;
// The right column starts beyond the widest rows of the left one (the buttons and the links).
constexpr int kRight = 740;
constexpr State kStates[] = {ButtonBase::kNormal, ButtonBase::kHover, ButtonBase::kPressed};

std::string Ansi(const char* utf8) {
  return Utf8ToAnsi(utf8);
}

// A dark stand-in for the video preview that paints the overlay buttons bound to it.
class FakePreview : public win::CWindowImpl<FakePreview> {
 public:
  static const char* GetWndClassName() { return "VelloriaGalleryPreview"; }
  std::vector<ButtonBase*> overlay;

  BEGIN_MSG_MAP(FakePreview)
  MESSAGE_HANDLER(WM_PAINT, OnPaint)
  MESSAGE_HANDLER(WM_ERASEBKGND, OnErase)
  END_MSG_MAP()

 private:
  LRESULT OnErase(UINT, WPARAM, LPARAM, BOOL&) { return 1; }
  LRESULT OnPaint(UINT, WPARAM, LPARAM, BOOL&) {
    BufferedPaint paint(m_hWnd, RGB(46, 52, 64));
    HDC dc = paint.dc();
    const RECT& rc = paint.client();
    for (int y = 0; y < rc.bottom; y += 2) {  // a soft vertical gradient, like a dim scene
      const int shade = 40 + 50 * y / (rc.bottom ? rc.bottom : 1);
      RECT band = {0, y, rc.right, y + 2};
      FillSolid(dc, band, RGB(shade, shade + 8, shade + 20));
    }
    for (ButtonBase* b : overlay) b->PaintInto(dc);
    return 0;
  }
};

class Gallery : public win::CWindowImpl<Gallery> {
 public:
  static const char* GetWndClassName() { return "VelloriaWidgetGallery"; }
  static HBRUSH GetWndBackground() { return static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)); }

  bool open_list = false;

  BEGIN_MSG_MAP(Gallery)
  MESSAGE_HANDLER(WM_CREATE, OnCreate)
  MESSAGE_HANDLER(WM_PAINT, OnPaint)
  MESSAGE_HANDLER(WM_ERASEBKGND, OnErase)
  MESSAGE_HANDLER(WM_DESTROY, OnDestroy)
  MESSAGE_HANDLER(WM_KEYDOWN, OnKey)
  MESSAGE_HANDLER(WM_TIMER, OnTimer)
  MESSAGE_HANDLER(WM_GETFONT, OnGetFont)
  END_MSG_MAP()

 private:
  // The waiting overlay asks its parent for the font, as the main window's dialog font.
  LRESULT OnGetFont(UINT, WPARAM, LPARAM, BOOL&) {
    return reinterpret_cast<LRESULT>(GetCachedFont(13));
  }

  struct Label {
    int x, y;
    std::string text;
  };

  template <typename T>
  T* Make() {
    owned_.push_back(std::make_unique<Holder<T>>());
    return &static_cast<Holder<T>*>(owned_.back().get())->value;
  }
  struct HolderBase {
    virtual ~HolderBase() = default;
  };
  template <typename T>
  struct Holder : HolderBase {
    T value;
  };

  void Caption(int x, int y, const char* utf8) { labels_.push_back({x, y, Ansi(utf8)}); }

  void TitleButtons(int x, int y, int normal, int hover, int pressed, const char* name) {
    Caption(x, y - 18, name);
    for (State s : kStates) {
      auto* b = Make<ImageButton>();
      b->Create(m_hWnd, {x, y, x + 34, y + 34}, 100);
      b->SetImages(normal, hover, pressed, normal);
      b->ShowState(s);
      x += 40;
    }
  }

  LRESULT OnCreate(UINT, WPARAM, LPARAM, BOOL&) {
    // Title-bar buttons.
    Caption(20, 14, "ImageButton — normal / hover / pressed");
    TitleButtons(20, 56, pics::kCloseNormal, pics::kCloseHover, pics::kClosePressed, "close");
    TitleButtons(160, 56, pics::kMinimiseNormal, pics::kMinimiseHover, pics::kMinimisePressed,
                 "minimise");
    TitleButtons(300, 56, pics::kSettingsNormal, pics::kSettingsHover, pics::kSettingsPressed,
                 "settings");

    // Connect button looks.
    Caption(20, 110, "LoadingButton — idle (normal / hover / pressed), connecting, connected");
    int x = 20;
    for (State s : kStates) {
      auto* b = Make<LoadingButton>();
      b->Create(m_hWnd, {x, 132, x + 96, 168}, 101);
      b->SetImages(pics::kConnectNormal, pics::kConnectHover, pics::kConnectPressed,
                   pics::kConnectNormal);
      b->SetIcon(pics::kConnectIcon, false);
      b->SetText(Ansi("马上连接").c_str());
      b->ShowState(s);
      x += 108;
    }
    spinner_ = Make<LoadingButton>();
    spinner_->Create(m_hWnd, {x, 132, x + 96, 168}, 101);
    spinner_->SetImages(pics::kConnectNormal, pics::kConnectHover, pics::kConnectPressed,
                        pics::kConnectNormal);
    spinner_->SetIcon(pics::kConnectingIcon, true);
    spinner_->SetText(Ansi("正在连接").c_str());
    spinner_->EnableWindow(FALSE);
    x += 108;
    for (State s : {ButtonBase::kNormal, ButtonBase::kHover}) {
      auto* b = Make<LoadingButton>();
      b->Create(m_hWnd, {x, 132, x + 96, 168}, 101);
      b->SetImages(pics::kDisconnectNormal, pics::kDisconnectHover, pics::kDisconnectPressed,
                   pics::kDisconnectNormal);
      b->SetIcon(pics::kConnectedIcon, false);
      b->SetText(Ansi("断开连接").c_str());
      b->SetTextColor(RGB(89, 89, 89));
      b->ShowState(s);
      x += 108;
    }

    // Links.
    Caption(20, 186, "CIconButton — normal / hover / pressed / disabled, and a link without icon");
    x = 20;
    const State link_states[] = {ButtonBase::kNormal, ButtonBase::kHover, ButtonBase::kPressed,
                                 ButtonBase::kNormal};
    for (int i = 0; i < 4; ++i) {
      auto* b = Make<CIconButton>();
      b->Create(m_hWnd, {x, 206, x + 80, 242}, 3, Ansi("更新设备").c_str());
      b->SetImages(pics::kRefreshNormal, pics::kRefreshHover, pics::kRefreshPressed,
                   pics::kRefreshDisabled);
      b->SetFontSize(12);
      b->SetGap(6);
      b->SetTextColors(RGB(114, 114, 114), RGB(231, 89, 136), RGB(213, 82, 125),
                       RGB(190, 190, 190));
      b->ShowState(link_states[i]);
      if (i == 3) b->EnableWindow(FALSE);
      x += 96;
    }
    auto* help = Make<CIconButton>();
    help->Create(m_hWnd, {x, 206, x + 100, 242}, 9, Ansi("未检测到设备？").c_str());
    help->SetFontSize(12);
    help->SetTextColors(RGB(114, 114, 114), RGB(231, 89, 136), RGB(213, 82, 125),
                        RGB(114, 114, 114));
    x += 116;
    for (int i = 0; i < 2; ++i) {
      auto* back = Make<CIconButton>();
      back->Create(m_hWnd, {x, 210, x + 100, 232}, 3, Ansi(i ? "重置参数" : "返回").c_str());
      back->SetImages(i ? pics::kResetNormal : pics::kBackArrowNormal,
                      i ? pics::kResetHover : pics::kBackArrowHover,
                      i ? pics::kResetPressed : pics::kBackArrowPressed,
                      i ? pics::kResetNormal : pics::kBackArrowNormal);
      back->SetFontSize(i ? 12 : 14);
      back->SetGap(5);
      back->SetTextColors(0x808080, 0x9C6CFA, 0x7E52D6, 0x808080);
      back->ShowState(i ? ButtonBase::kHover : ButtonBase::kNormal);
      x += 110;
    }

    // Overlay buttons on a dark picture, parent-drawn by it.
    Caption(20, 260, "Overlay CIconButtons drawn by the preview — normal / hover / pressed");
    preview_.Create(m_hWnd, {20, 280, 470, 380}, nullptr, WS_CHILD | WS_VISIBLE);
    const struct {
      int n, h, p;
      const char* text;
    } overlays[] = {
        {pics::kFlipVerticalNormal, pics::kFlipVerticalHover, pics::kFlipVerticalPressed,
         "垂直翻转"},
        {pics::kFlipHorizontalNormal, pics::kFlipHorizontalHover, pics::kFlipHorizontalPressed,
         "水平翻转"},
        {pics::kToPortraitNormal, pics::kToPortraitHover, pics::kToPortraitPressed, "竖屏模式"},
        {pics::kToLandscapeNormal, pics::kToLandscapeHover, pics::kToLandscapePressed, "横屏模式"}};
    for (int row = 0; row < 4; ++row) {
      for (int col = 0; col < 3; ++col) {
        auto* b = Make<CIconButton>();
        const int bx = 30 + col * 110, by = 286 + row * 23;
        b->Create(m_hWnd, {bx, by, bx + 90, by + 22}, 8, Ansi(overlays[row].text).c_str());
        b->SetImages(overlays[row].n, overlays[row].h, overlays[row].p, overlays[row].n);
        b->SetFontSize(12);
        b->SetGap(6);
        b->SetTextColors(RGB(255, 255, 255), RGB(250, 108, 156), RGB(214, 82, 126),
                         RGB(255, 255, 255));
        b->ShowState(kStates[col]);
        b->SetParentDrawn(true, preview_);
        preview_.overlay.push_back(b);
      }
    }
    ::SetWindowPos(preview_, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);

    // Combo boxes.
    Caption(kRight, 14, "ComboBox — closed, disabled, open with the hovered item");
    const char* phones[] = {"Pixel 7", "iPhone 13 & 14", "HUAWEI Mate 60"};
    for (int i = 0; i < 3; ++i) {
      auto* combo = Make<ComboBox>();
      const int top = 40 + i * 50;
      combo->Create(m_hWnd, {kRight, top, kRight + 344, top + 36}, 0,
                    Ansi(i == 1 ? "未检测到设备" : "正在读取设备列表...").c_str());
      for (const char* p : phones) combo->AddItem(p);
      if (i != 1) combo->SetCurSel(i == 0 ? 0 : 1);
      if (i == 1) combo->EnableWindow(FALSE);
      if (i == 2) open_combo_ = combo;
    }

    // Sliders.
    Caption(kRight, 330, "Slider — 0..100 at 50, -50..50 at 25, -25 and 0, empty range 30..30");
    const int ranges[][3] = {
        {0, 100, 50}, {-50, 50, 25}, {-50, 50, -25}, {-50, 50, 0}, {30, 30, 30}};
    for (int i = 0; i < 5; ++i) {
      auto* s = Make<Slider>();
      const int top = 350 + i * 25;
      s->Create(m_hWnd, {kRight, top, kRight + 220, top + 22});
      s->SetMinimum(ranges[i][0]);
      s->SetMaximum(ranges[i][1]);
      s->SetValue(ranges[i][2]);
    }

    // Scroll bars.
    Caption(20, 400, "MiniScrollBar");
    const MiniScrollBar::ThumbState thumbs[] = {
        MiniScrollBar::kThumbNormal, MiniScrollBar::kThumbHover, MiniScrollBar::kThumbPressed};
    for (int i = 0; i < 3; ++i) {
      auto* bar = Make<MiniScrollBar>();
      const int left = 30 + i * 40;
      bar->Create(m_hWnd, {left, 426, left + 10, 626});
      bar->SetPage(200);
      bar->SetRange(600);
      bar->SetPos(i * 200, false);
      bar->ShowThumbState(thumbs[i]);
    }
    auto* short_bar = Make<MiniScrollBar>();
    short_bar->Create(m_hWnd, {150, 426, 160, 470});
    short_bar->SetPage(10);
    short_bar->SetRange(1000);

    // Nine-part drawing of the thumb pictures at several sizes (painted in WM_PAINT).
    Caption(200, 400, "Nine-part drawer at four sizes");
    nine_ = NinePartImage(LoadPngResourceBitmap(pics::kScrollThumbPressed), {3, 3, 4, 14});

    // Panel marks on pink and the mask.
    Caption(kRight, 480, "Panel pictures: frame, mask on pink, marks, slider thumb");

    // The waiting overlay.
    Caption(kRight, 590, "LoadingWnd");
    loading_.Create(m_hWnd, {kRight, 612, kRight + 400, 712});
    ::SetTimer(m_hWnd, 1, 400, nullptr);
    return 0;
  }

  LRESULT OnTimer(UINT, WPARAM id, LPARAM, BOOL&) {
    ::KillTimer(m_hWnd, id);
    if (open_list && open_combo_) {
      ::SendMessageA(*open_combo_, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(40, 18));
      RECT rc;
      ::GetWindowRect(open_combo_->list(), &rc);
      ::SetCursorPos(rc.left + 60, rc.top + 46 + 23);  // hover the second item
    }
    return 0;
  }

  void DrawPanelPictures(HDC dc, HDC scratch) {
    const int y = 502;
    win::UniqueBitmap frame = LoadPngResourceBitmap(pics::kDecorFrame);
    DrawAlphaBitmap(dc, frame.get(), kRight, y, 255, scratch);
    RECT pink = {kRight + 80, y, kRight + 148, y + 68};
    FillSolid(dc, pink, RGB(232, 88, 137));
    win::UniqueBitmap mask = LoadPngResourceBitmap(pics::kCircleMask);
    DrawAlphaBitmap(dc, mask.get(), kRight + 80, y, 255, scratch);
    RECT square = {kRight + 160, y, kRight + 228, y + 68};
    FillSolid(dc, square, RGB(232, 88, 137));
    win::UniqueBitmap check = LoadPngResourceBitmap(pics::kCheckMark);
    DrawAlphaBitmap(dc, check.get(), kRight + 176, y + 16, 255, scratch);
    RECT square2 = {kRight + 240, y, kRight + 308, y + 68};
    FillSolid(dc, square2, RGB(232, 88, 137));
    win::UniqueBitmap adjust = LoadPngResourceBitmap(pics::kAdjustMark);
    DrawAlphaBitmap(dc, adjust.get(), kRight + 256, y + 16, 255, scratch);
    win::UniqueBitmap pencil = LoadPngResourceBitmap(pics::kEditMark);
    RECT square3 = {kRight + 320, y, kRight + 388, y + 68};
    FillSolid(dc, square3, RGB(232, 88, 137));
    DrawAlphaBitmap(dc, pencil.get(), kRight + 336, y + 16, 255, scratch);
    win::UniqueBitmap thumb = LoadPngResourceBitmap(pics::kSliderThumb);
    DrawAlphaBitmap(dc, thumb.get(), kRight + 400, y + 26, 255, scratch);
  }

  LRESULT OnPaint(UINT, WPARAM, LPARAM, BOOL&) {
    BufferedPaint paint(m_hWnd);
    HDC dc = paint.dc();
    const int saved = SaveDC(dc);
    SelectObject(dc, GetCachedFont(12));
    ::SetTextColor(dc, RGB(120, 120, 120));
    for (const Label& l : labels_)
      TextOutA(dc, l.x, l.y, l.text.c_str(), static_cast<int>(l.text.size()));
    RestoreDC(dc, saved);
    const RECT sizes[] = {
        {210, 426, 220, 450}, {240, 426, 250, 486}, {270, 426, 294, 546}, {320, 426, 360, 438}};
    for (const RECT& r : sizes) nine_.Draw(dc, r, paint.scratch());
    DrawPanelPictures(dc, paint.scratch());
    return 0;
  }

  LRESULT OnErase(UINT, WPARAM, LPARAM, BOOL&) { return 1; }
  LRESULT OnKey(UINT, WPARAM key, LPARAM, BOOL& handled) {
    if (key == VK_ESCAPE) ::DestroyWindow(m_hWnd);
    handled = key == VK_ESCAPE;
    return 0;
  }
  LRESULT OnDestroy(UINT, WPARAM, LPARAM, BOOL&) {
    ::PostQuitMessage(0);
    return 0;
  }

  std::vector<std::unique_ptr<HolderBase>> owned_;
  std::vector<Label> labels_;
  FakePreview preview_;
  LoadingButton* spinner_ = nullptr;
  ComboBox* open_combo_ = nullptr;
  NinePartImage nine_;
  LoadingWnd loading_;
};

}  // namespace
}  // namespace vl

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR command_line, int) {
  vl::GdiplusSession gdiplus;
  vl::Gallery gallery;
  gallery.open_list = command_line && std::strstr(command_line, "--open-list") != nullptr;
  const RECT rc = {20, 20, 20 + 1180, 20 + 740};
  if (!gallery.Create(
          nullptr, rc, "Velloria widget gallery",
          WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_VISIBLE | WS_CLIPCHILDREN))
    return 1;
  MSG msg;
  while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
  }
  return 0;
}
