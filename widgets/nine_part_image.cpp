#include "widgets/nine_part_image.h"

#include "widgets/image_loader.h"

namespace vl {

NinePartImage::NinePartImage(win::UniqueBitmap bitmap, NinePartInsets insets, BYTE alpha)
    : owned_(std::move(bitmap)), insets_(insets), alpha_(alpha) {}

NinePartImage::NinePartImage(HBITMAP bitmap, NinePartInsets insets, BYTE alpha)
    : borrowed_(bitmap), insets_(insets), alpha_(alpha) {}

void NinePartImage::Draw(HDC dc, const RECT& dest, HDC scratch) const {
  HBITMAP picture = bitmap();
  if (!picture) return;
  win::UniqueMemoryDC own;
  if (!scratch) {
    own.reset(CreateCompatibleDC(dc));
    scratch = own.get();
  }
  const SIZE size = BitmapSize(picture);
  const WidgetRect target{dest.left, dest.top, dest.right, dest.bottom};
  for (const NinePiece& piece : LayOutNineParts(size.cx, size.cy, insets_, target)) {
    if (piece.dest.empty()) continue;
    const RECT s = {piece.source.left, piece.source.top, piece.source.right, piece.source.bottom};
    const RECT d = {piece.dest.left, piece.dest.top, piece.dest.right, piece.dest.bottom};
    DrawAlphaBitmapPart(dc, picture, s, d, alpha_, scratch);
  }
}

}  // namespace vl
