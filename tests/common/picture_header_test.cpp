// The help pictures' check: type by signature, matching the file's name, and a bounded size.
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <string>

#include "common/picture_header.h"

namespace vl {
namespace {

std::string Png(uint32_t width, uint32_t height) {
  std::string bytes("\x89PNG\r\n\x1a\n", 8);
  bytes += std::string("\0\0\0\x0dIHDR", 8);
  for (uint32_t v : {width, height})
    for (int shift = 24; shift >= 0; shift -= 8) bytes += static_cast<char>((v >> shift) & 0xFF);
  bytes += std::string("\x08\x02\0\0\0", 5);
  return bytes + std::string(4, '\0');  // CRC (not checked)
}

// SOI, an APP0 segment, then a baseline frame header.
std::string Jpeg(uint16_t width, uint16_t height, uint8_t frame_marker = 0xC0) {
  std::string bytes("\xFF\xD8\xFF\xE0\x00\x10JFIF\0\x01\x01\x01\x00\x60\x00\x60\x00\x00", 20);
  bytes += {'\xFF', static_cast<char>(frame_marker), '\x00', '\x11', '\x08'};
  for (uint16_t v : {height, width}) bytes += {static_cast<char>(v >> 8), static_cast<char>(v)};
  bytes += std::string("\x03\x01\x22\x00\x02\x11\x01\x03\x11\x01", 10);
  return bytes + std::string("\xFF\xD9", 2);
}

std::string SourceFile(const char* relative) {
  std::ifstream in(std::string(VL_SOURCE_DIR) + "/" + relative, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

bool Acceptable(const std::string& bytes, const char* name) {
  return IsAcceptableHelpPicture(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size(),
                                 name);
}

// The type and size of PNG and JPEG; a segment's length never takes the reading past the end.
TEST(PictureHeader, ReadsTypeAndSizeNeverPastTheEndAndAcceptsOnlySmallPicturesOfTheirNamedType) {
  const std::string png = Png(727, 522);
  auto header = ReadPictureHeader(reinterpret_cast<const uint8_t*>(png.data()), png.size());
  ASSERT_TRUE(header);
  EXPECT_EQ(header->type, PictureType::kPng);
  EXPECT_EQ(header->width, 727u);
  EXPECT_EQ(header->height, 522u);
  // Baseline and progressive; Huffman tables (DHT, C4) ahead of the frame header are skipped.
  const std::string baseline = Jpeg(1280, 720);
  const std::string tables_first =
      baseline.substr(0, 2) + std::string("\xFF\xC4\x00\x0A\x00\x01\x02\x03\x04\x05\x06\x07", 12) +
      baseline.substr(2);
  for (const std::string& jpeg : {baseline, Jpeg(1280, 720, 0xC2), tables_first}) {
    header = ReadPictureHeader(reinterpret_cast<const uint8_t*>(jpeg.data()), jpeg.size());
    ASSERT_TRUE(header);
    EXPECT_EQ(header->type, PictureType::kJpeg);
    EXPECT_EQ(header->width, 1280u);
    EXPECT_EQ(header->height, 720u);
  }
  // A segment that claims more bytes than there are, and a length below its own two bytes.
  for (const std::string& bytes : {std::string("\xFF\xD8\xFF\xE0\xFF\xFF", 6),
                                   std::string("\xFF\xD8\xFF\xE0\x00\x01\xFF\xC0", 8),
                                   std::string("\xFF\xD8\xFF\xC0\x00\x05\x08\x00", 8)}) {
    EXPECT_FALSE(ReadPictureHeader(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size()));
  }
  const std::string emf =
      std::string("\x01\0\0\0", 4) + std::string(40, '\0') + " EMF" + std::string(60, '\0');
  const struct {
    const char* what;
    std::string bytes;
    const char* name;
    bool accepted;
  } cases[] = {
      {"the installed placeholder", SourceFile("app/res/default.png"), "default.png", true},
      {"the installed landscape card", SourceFile("vcam/res/default_h.jpg"), "default_h.jpg", true},
      {"the installed portrait card", SourceFile("vcam/res/default_v.jpg"), "res\\default_v.jpg",
       true},
      {"a PNG named in capitals", Png(10, 10), "DEFAULT.PNG", true},
      {"the largest side", Jpeg(2048, 2048), "default_h.jpg", true},
      {"a PNG declaring 8192 x 8192", Png(8192, 8192), "default.png", false},
      {"one pixel too wide", Jpeg(2049, 100), "default_h.jpg", false},
      {"no pixels", Png(0, 10), "default.png", false},
      {"a PNG named .jpg", Png(10, 10), "default_h.jpg", false},
      {"a JPEG named .png", Jpeg(10, 10), "default.png", false},
      {"an EMF named .jpg", emf, "default_h.jpg", false},
      {"a GIF", std::string("GIF89a\x0a\x00\x0a\x00", 10) + std::string(20, '\0'), "x.jpg", false},
      {"a BMP", std::string("BM") + std::string(60, '\0'), "default_h.jpg", false},
      {"HTML", "<html>not a picture</html>", "default.png", false},
      {"a JPEG cut before its frame header", Jpeg(10, 10).substr(0, 24), "default_h.jpg", false},
      {"another extension", Png(10, 10), "default.gif", false},
      {"no extension", Png(10, 10), "default", false},
      {"empty", "", "default.png", false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    EXPECT_EQ(Acceptable(c.bytes, c.name), c.accepted);
  }
  EXPECT_FALSE(Acceptable(Png(10, 10) + std::string(kMaxHelpPictureBytes, '\0'), "default.png"));
}

}  // namespace
}  // namespace vl
