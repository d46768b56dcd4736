#include "panel/picture_header.h"

#include "panel/panel_limits.h"

namespace vl {
namespace {

uint32_t Big16(const uint8_t* p) {
  return static_cast<uint32_t>(p[0]) << 8 | p[1];
}
uint32_t Big32(const uint8_t* p) {
  return Big16(p) << 16 | Big16(p + 2);
}
uint32_t Little16(const uint8_t* p) {
  return static_cast<uint32_t>(p[1]) << 8 | p[0];
}
int64_t Little32Signed(const uint8_t* p) {
  return static_cast<int32_t>(Little16(p + 2) << 16 | Little16(p));
}

bool Png(const uint8_t* d, size_t n, PictureSize* out) {
  static const uint8_t kSignature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
  if (n < 24) return false;
  for (int i = 0; i < 8; ++i) {
    if (d[i] != kSignature[i]) return false;
  }
  if (d[12] != 'I' || d[13] != 'H' || d[14] != 'D' || d[15] != 'R') return false;
  out->width = Big32(d + 16);
  out->height = Big32(d + 20);
  return true;
}

// The first start-of-frame segment (SOF0..SOF15 but the tables and the arithmetic coding
// conditioning, which share the range) holds the size.
bool Jpeg(const uint8_t* d, size_t n, PictureSize* out) {
  if (n < 4 || d[0] != 0xFF || d[1] != 0xD8) return false;
  size_t at = 2;
  while (at + 4 <= n) {
    if (d[at] != 0xFF) return false;
    const uint8_t marker = d[at + 1];
    if (marker == 0xFF) {  // fill byte
      ++at;
      continue;
    }
    if (marker == 0x01 || (marker >= 0xD0 && marker <= 0xD8)) {  // no length follows
      at += 2;
      continue;
    }
    if (marker == 0xD9 || marker == 0xDA) return false;  // end, or data before any frame
    const size_t length = Big16(d + at + 2);
    if (length < 2) return false;
    const bool frame =
        marker >= 0xC0 && marker <= 0xCF && marker != 0xC4 && marker != 0xC8 && marker != 0xCC;
    if (frame) {
      if (at + 9 > n || length < 7) return false;
      out->height = Big16(d + at + 5);
      out->width = Big16(d + at + 7);
      return true;
    }
    at += 2 + length;
  }
  return false;
}

// The logical screen, and the first frame, which may be larger than the screen.
bool Gif(const uint8_t* d, size_t n, PictureSize* out) {
  if (n < 13 || d[0] != 'G' || d[1] != 'I' || d[2] != 'F' || d[3] != '8' ||
      (d[4] != '7' && d[4] != '9') || d[5] != 'a')
    return false;
  int64_t width = Little16(d + 6), height = Little16(d + 8);
  size_t at = 13;
  if (d[10] & 0x80) at += 3u * (2u << (d[10] & 7));
  while (at < n) {
    if (d[at] == 0x21) {  // extension: label, then sub-blocks up to an empty one
      at += 2;
      while (at < n && d[at] != 0) at += 1u + d[at];
      ++at;
    } else if (d[at] == 0x2C) {
      if (at + 9 > n) return false;
      const int64_t right = static_cast<int64_t>(Little16(d + at + 1)) + Little16(d + at + 5);
      const int64_t bottom = static_cast<int64_t>(Little16(d + at + 3)) + Little16(d + at + 7);
      if (right > width) width = right;
      if (bottom > height) height = bottom;
      break;
    } else {
      break;  // the trailer, or bytes that are no block: the screen's size stands
    }
  }
  out->width = width;
  out->height = height;
  return true;
}

bool Bmp(const uint8_t* d, size_t n, PictureSize* out) {
  if (n < 26 || d[0] != 'B' || d[1] != 'M') return false;
  const int64_t header = Little32Signed(d + 14);
  if (header == 12) {  // the old core header: 16-bit sizes
    out->width = Little16(d + 18);
    out->height = Little16(d + 20);
    return true;
  }
  if (header < 40) return false;
  out->width = Little32Signed(d + 18);
  const int64_t height = Little32Signed(d + 22);  // negative: top-down rows
  out->height = height < 0 ? -height : height;
  return true;
}

}  // namespace

bool ReadPictureSize(const uint8_t* data, size_t size, PictureSize* out) {
  if (!data || !out) return false;
  return Png(data, size, out) || Jpeg(data, size, out) || Gif(data, size, out) ||
         Bmp(data, size, out);
}

bool IsDecodablePictureSize(const PictureSize& s) {
  return s.width > 0 && s.height > 0 && s.width <= kMaxPictureSide && s.height <= kMaxPictureSide &&
         s.width * s.height <= kMaxPicturePixels;
}

}  // namespace vl
