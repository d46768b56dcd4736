// Progress of an installer download: the response's length, the percentage done and the text of
// the progress balloon.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace vl {

// A Content-Length value: decimal digits only (surrounding blanks allowed), below 2^63.
std::optional<uint64_t> ParseContentLength(std::string_view text);

// The whole percentage done, 0 to 100; 0 while the total is unknown (0).
int ProgressPercent(uint64_t received, uint64_t total);

// "正在下载更新，请稍后......\n" + "文件大小:%.3fM " when the size is known + "已下载:N%",
// in the ANSI code page.
std::string ProgressBalloonText(uint64_t total, int percent);

}  // namespace vl
