#include "online/download_progress.h"

#include <cstdio>

#include "common/text_convert.h"

namespace vl {

std::optional<uint64_t> ParseContentLength(std::string_view text) {
  while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
  while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) text.remove_suffix(1);
  if (text.empty() || text.size() > 18) return std::nullopt;  // 18 digits stay below 2^63
  uint64_t value = 0;
  for (char c : text) {
    if (c < '0' || c > '9') return std::nullopt;
    value = value * 10 + static_cast<uint64_t>(c - '0');
  }
  return value;
}

int ProgressPercent(uint64_t received, uint64_t total) {
  if (total == 0) return 0;
  if (received >= total) return 100;
  // The largest p with p * total <= 100 * received, without forming either product:
  // ceil(p * total / 100) = p * (total / 100) + ceil(p * (total % 100) / 100).
  const uint64_t whole = total / 100, rest = total % 100;
  int p = 99;
  while (p > 0 && received < p * whole + (p * rest + 99) / 100) --p;
  return p;
}

std::string ProgressBalloonText(uint64_t total, int percent) {
  std::string text = Utf8ToAnsi("正在下载更新，请稍后......\n");
  if (total > 0) {
    char size[64];
    std::snprintf(size, sizeof size, "%.3fM ", static_cast<double>(total) / (1024.0 * 1024.0));
    text += Utf8ToAnsi("文件大小:") + size;
  }
  if (percent < 0) percent = 0;
  if (percent > 100) percent = 100;
  text += Utf8ToAnsi("已下载:") + std::to_string(percent) + "%";
  return text;
}

}  // namespace vl
