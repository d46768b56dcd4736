#include "media/player_ctrl.h"

#include <shellapi.h>

#include <memory>
#include <string>
#include <vector>

#include "common/dib_stride.h"
#include "common/module_directory.h"
#include "common/picture_header.h"
#include "common/win/handles.h"
#include "common/win/user_data_folder.h"
#include "common/text_convert.h"
#include "common/win/dib.h"
#include "media/frame_geometry.h"
#include "media/frame_transform.h"
#include "widgets/image_loader.h"

namespace vl {

namespace {

constexpr char kPlaceholderFile[] = "default.png";

// A help picture file, decoded only when it passes the help pictures' check.
win::UniqueBitmap LoadHelpPicture(const std::string& path) {
  win::UniqueHandle file(CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                     OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) return {};
  LARGE_INTEGER size;
  if (!GetFileSizeEx(file.get(), &size) || size.QuadPart <= 0 ||
      size.QuadPart > static_cast<LONGLONG>(kMaxHelpPictureBytes))
    return {};
  std::vector<uint8_t> bytes(static_cast<size_t>(size.QuadPart));
  DWORD read = 0;
  if (!ReadFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &read, nullptr) ||
      read != bytes.size() || !IsAcceptableHelpPicture(bytes.data(), bytes.size(), path))
    return {};
  return LoadHBitmapFromMemory(bytes.data(), static_cast<int>(bytes.size()));
}

}  // namespace

const char PlayerCtrl::kHelpPageUrl[] =
    "http://www.velloria.com.cn/serel/app/pc_site/serel_camera/live.php#ios";

PlayerCtrl::PlayerCtrl() {
  open_link_ = [](const char* url) {
    ShellExecuteA(nullptr, "open", url, nullptr, nullptr, SW_SHOW);
  };
}

PlayerCtrl::~PlayerCtrl() {
  if (IsWindow()) ::DestroyWindow(m_hWnd);
  ReleaseGdi();
}

void PlayerCtrl::SetWorker(StreamWorker* worker) {
  if (worker == nullptr)
    source_ = nullptr;
  else
    source_ = [worker] { return worker->TakeFrame(); };
}

void PlayerCtrl::StartPolling() {
  if (m_hWnd != nullptr) ::SetTimer(m_hWnd, kPollTimer, kPollPeriodMs, nullptr);
}

void PlayerCtrl::StopPolling() {
  if (m_hWnd != nullptr) ::KillTimer(m_hWnd, kPollTimer);
}

void PlayerCtrl::ReloadPlaceholder(bool repaint) {
  // The picture the configuration host last sent (kept per user), else the installed one.
  placeholder_.reset();
  const std::string user_folder = win::UserPictureFolder(false);
  if (!user_folder.empty()) placeholder_ = LoadHelpPicture(user_folder + kPlaceholderFile);
  if (!placeholder_)
    placeholder_ = LoadHelpPicture(ApplicationDirectory() + "res\\" + kPlaceholderFile);
  if (repaint && m_hWnd != nullptr) ::InvalidateRect(m_hWnd, nullptr, TRUE);
}

LRESULT PlayerCtrl::OnCreate(UINT, WPARAM, LPARAM, BOOL&) {
  RECT client;
  ::GetClientRect(m_hWnd, &client);
  help_area_ = {client.left + 200, client.top + 400, client.right - 200, client.bottom - 20};
  ReloadPlaceholder(false);
  win::WindowDC dc(m_hWnd);
  back_dc_.reset(CreateCompatibleDC(dc.get()));
  scratch_dc_.reset(CreateCompatibleDC(dc.get()));
  if (back_dc_) SetTextColor(back_dc_.get(), RGB(255, 255, 255));
  return 0;
}

LRESULT PlayerCtrl::OnDestroy(UINT, WPARAM, LPARAM, BOOL& handled) {
  StopPolling();
  ReleaseGdi();
  handled = FALSE;
  return 0;
}

void PlayerCtrl::ReleaseGdi() {
  // The section is kept until the preview goes away: open cameras keep the last picture.
  mapping_.Close();
  if (back_dc_ && back_dc_original_ != nullptr) SelectObject(back_dc_.get(), back_dc_original_);
  back_dc_original_ = nullptr;
  back_bitmap_.reset();
  back_width_ = back_height_ = 0;
  back_dc_.reset();
  scratch_dc_.reset();
  scaled_.reset();
  scaled_bits_ = nullptr;
  scaled_serial_ = 0;
  placeholder_.reset();
  current_ = nullptr;
}

LRESULT PlayerCtrl::OnTimer(UINT, WPARAM timer, LPARAM, BOOL& handled) {
  if (timer != kPollTimer) {
    handled = FALSE;
    return 0;
  }
  Poll();
  return 0;
}

void PlayerCtrl::Poll() {
  if (source_) current_ = source_();
  if (current_ != nullptr)  // every tick, also without a new picture
    mapping_.Publish(current_->width(), current_->height(), current_->bits(), current_->size());
  // Only the picture changes from tick to tick, and only when a new one came: a tick without
  // one repaints nothing (a phone at 30 pictures a second leaves every tenth tick without one,
  // a paused phone all of them; a resize repaints the whole window anyway). The bars and the
  // buttons drawn on them are repainted where the last paint put the picture or the
  // placeholder, so that nothing of an earlier picture of another shape stays behind.
  if (!painted_ || ShownPicture() == shown_serial_) return;
  painted_ = false;
  RECT client;
  ::GetClientRect(m_hWnd, &client);
  const RECT area = PictureArea(client);
  RECT dirty;
  ::UnionRect(&dirty, &area, &shown_);
  ::InvalidateRect(m_hWnd, &dirty, FALSE);
}

uint64_t PlayerCtrl::ShownPicture() const {
  return source_ && current_ != nullptr ? current_->serial() : 0;
}

RECT PlayerCtrl::PictureArea(const RECT& client) const {
  if (current_ == nullptr) return client;
  const ContainPlan plan = PlanContain(current_->width(), current_->height(),
                                       client.right - client.left, client.bottom - client.top);
  return {plan.x, plan.y, plan.x + plan.drawn_width, plan.y + plan.drawn_height};
}

void PlayerCtrl::EnsureBackBuffer(HDC paint_dc, int width, int height) {
  if (back_bitmap_ && back_width_ == width && back_height_ == height) return;
  if (back_dc_original_ != nullptr) SelectObject(back_dc_.get(), back_dc_original_);
  back_dc_original_ = nullptr;
  back_bitmap_.reset(CreateCompatibleBitmap(paint_dc, width, height));
  back_width_ = back_bitmap_ ? width : 0;
  back_height_ = back_bitmap_ ? height : 0;
  if (back_bitmap_) back_dc_original_ = SelectObject(back_dc_.get(), back_bitmap_.get());
}

bool PlayerCtrl::DrawPicture(int cw, int ch) {
  const ContainPlan plan = PlanContain(current_->width(), current_->height(), cw, ch);
  if (plan.drawn_width <= 0 || plan.drawn_height <= 0) return false;
  HBITMAP source = current_->bitmap();
  if (plan.drawn_width != current_->width() || plan.drawn_height != current_->height()) {
    if (!scaled_ || scaled_serial_ != current_->serial() || scaled_width_ != plan.drawn_width ||
        scaled_height_ != plan.drawn_height) {
      if (!scaled_ || scaled_width_ != plan.drawn_width || scaled_height_ != plan.drawn_height) {
        scaled_.reset(
            win::CreateBottomUpDib(plan.drawn_width, plan.drawn_height, 32, &scaled_bits_));
        scaled_width_ = scaled_ ? plan.drawn_width : 0;
        scaled_height_ = scaled_ ? plan.drawn_height : 0;
      }
      scaled_serial_ = 0;
      // Both pictures are bottom-up, so the whole picture scales and widens in memory order.
      const ptrdiff_t stride24 = static_cast<ptrdiff_t>(plan.drawn_width) * 3;
      scaled24_.resize(static_cast<size_t>(stride24) * plan.drawn_height);
      if (scaled_ &&
          scaler_.Scale(
              {current_->bits(), current_->width(), current_->height(), current_->stride()},
              {plan.drawn_width, plan.drawn_height, 0, 0, scaled24_.data(), plan.drawn_width,
               plan.drawn_height, stride24}) &&
          WidenTo32Bits(scaled24_.data(), stride24, scaled_bits_,
                        static_cast<ptrdiff_t>(DibRowStride(plan.drawn_width, 32)),
                        plan.drawn_width, plan.drawn_height))
        scaled_serial_ = current_->serial();
    }
    if (scaled_serial_ != current_->serial()) return false;
    source = scaled_.get();
  }
  win::ScopedSelect select(scratch_dc_.get(), source);
  return BitBlt(back_dc_.get(), plan.x, plan.y, plan.drawn_width, plan.drawn_height,
                scratch_dc_.get(), 0, 0, SRCCOPY) != FALSE;
}

void PlayerCtrl::FillBlack(HDC dc, const RECT& area) {
  const COLORREF old_background = SetBkColor(dc, RGB(0, 0, 0));
  ExtTextOutA(dc, 0, 0, ETO_OPAQUE, &area, nullptr, 0, nullptr);
  SetBkColor(dc, old_background);
}

LRESULT PlayerCtrl::OnPaint(UINT, WPARAM, LPARAM, BOOL&) {
  PAINTSTRUCT ps;
  HDC dc = BeginPaint(m_hWnd, &ps);
  RECT client;
  ::GetClientRect(m_hWnd, &client);
  const int cw = client.right - client.left, ch = client.bottom - client.top;
  if (back_dc_ && scratch_dc_ && cw > 0 && ch > 0) EnsureBackBuffer(dc, cw, ch);
  if (back_bitmap_) {
    HDC back = back_dc_.get();
    // Only the part to repaint is composed and copied out: at every tick that is the picture.
    const RECT& paint = ps.rcPaint;
    const int saved = SaveDC(back);
    IntersectClipRect(back, paint.left, paint.top, paint.right, paint.bottom);
    const bool picture = source_ && current_ != nullptr;
    const RECT area = picture ? PictureArea(client) : RECT{};
    {
      // Black where the picture does not cover; under the picture only if it cannot be drawn.
      const int before_fill = SaveDC(back);
      if (picture) ExcludeClipRect(back, area.left, area.top, area.right, area.bottom);
      FillBlack(back, client);
      RestoreDC(back, before_fill);
    }
    bool drawn = false;
    if (picture) {
      drawn = DrawPicture(cw, ch);
      if (!drawn) FillBlack(back, area);
    } else if (source_ && placeholder_) {
      win::ScopedSelect select(scratch_dc_.get(), placeholder_.get());
      BitBlt(back, 0, 0, cw, ch, scratch_dc_.get(), 0, 0, SRCCOPY);
    }
    if (draw_handler_ != nullptr) draw_handler_->Draw(back, scratch_dc_.get());
    RestoreDC(back, saved);
    BitBlt(dc, paint.left, paint.top, paint.right - paint.left, paint.bottom - paint.top, back,
           paint.left, paint.top, SRCCOPY);
    shown_ = picture ? area : client;
    // A picture that could not be drawn is tried again at the next tick.
    shown_serial_ = drawn ? ShownPicture() : 0;
  }
  painted_ = true;
  EndPaint(m_hWnd, &ps);
  return 0;
}

LRESULT PlayerCtrl::OnSetCursor(UINT, WPARAM, LPARAM, BOOL&) {
  POINT pt;
  GetCursorPos(&pt);
  ::ScreenToClient(m_hWnd, &pt);
  SetCursor(LoadCursor(nullptr, PtInRect(&help_area_, pt) ? IDC_HAND : IDC_ARROW));
  return TRUE;
}

LRESULT PlayerCtrl::OnLeftButtonDown(UINT, WPARAM, LPARAM lparam, BOOL&) {
  const POINT pt = {static_cast<short>(LOWORD(lparam)), static_cast<short>(HIWORD(lparam))};
  if (PtInRect(&help_area_, pt) && current_ == nullptr && open_link_) open_link_(kHelpPageUrl);
  return 0;
}

}  // namespace vl
