// The pure parts of reaching the network: web addresses, installer file names from download
// addresses, whether a signed download is the offered installer, and download progress.
#include <gtest/gtest.h>

#include "common/text_convert.h"
#include "online/download_progress.h"
#include "online/installer_identity.h"
#include "online/installer_name.h"
#include "online/url_parts.h"

namespace vl {
namespace {

TEST(SplitUrl, SchemeHostPortAndPathWithoutTheFragmentOrNothing) {
  struct Case {
    const char* url;
    bool secure;
    const char* host;
    uint16_t port;
    const char* path;
  };
  const Case cases[] = {
      // Plain http on port 80; the query stays in the path.
      {"http://www.velloria.com.cn/serelpartner/config.php?ver=1.0.0.0&rand=5", false,
       "www.velloria.com.cn", 80, "/serelpartner/config.php?ver=1.0.0.0&rand=5"},
      {"HTTPS://cdn.example.cn/a/setup.exe", true, "cdn.example.cn", 443, "/a/setup.exe"},
      {"http://127.0.0.1:8080/x", false, "127.0.0.1", 8080, "/x"},
      {"https://h:65535/", true, "h", 65535, "/"},
      {"example.cn/page", false, "example.cn", 80, "/page"},   // no scheme: the host starts at once
      {"http://h/live.php#ios", false, "h", 80, "/live.php"},  // the fragment is not sent
  };
  for (const Case& c : cases) {
    UrlParts p;
    ASSERT_TRUE(SplitUrl(c.url, &p)) << c.url;
    EXPECT_EQ(p.secure, c.secure) << c.url;
    EXPECT_EQ(p.host, c.host) << c.url;
    EXPECT_EQ(p.port, c.port) << c.url;
    EXPECT_EQ(p.path, c.path) << c.url;
  }
  const auto refused = [](const char* url) {
    UrlParts p;
    p.host = "untouched";
    EXPECT_FALSE(SplitUrl(url, &p)) << url;
    EXPECT_EQ(p.host, "untouched") << url;
  };
  // No path, a bare host, no host, empty; a port empty, 0, too large, no number, without host.
  for (const char* url :
       {"http://example.cn", "example.cn", "http:///path", "", "http://h:/x", "http://h:0/x",
        "http://h:65536/x", "http://h:8o/x", "http://h:123456/x", "http://:80/x"})
    refused(url);
  // Other schemes and look-alikes of http and https; credentials, a query before the path, a
  // backslash or blank in the host; line breaks that would split the request.
  for (const char* url :
       {"ftp://h/x", "httpx://h/x", "httpsx://h/x", "htt://h/x", "file://c:/windows/x.exe",
        "http://user@h/x", "http://h?x=/y", "http://h\\evil/x", "http://h x/y",
        "http://h/x\r\nHost: other", "http://h/x\rHost: other"})
    refused(url);
}

// Only http and https addresses may reach the shell; a blank, quote or control anywhere could end
// the address on a browser's command line and pass it options.
TEST(IsWebAddress, HttpAndHttpsWithoutBlanksQuotesOrControlsAsEncodedQueryWordsMake) {
  for (const char* url : {"http://www.velloria.com.cn/serel_camera/",
                          "https://www.baidu.com/s?wd=vivo%20%E6%89%93%E5%BC%80", "HTTP://h/x"})
    EXPECT_TRUE(IsWebAddress(url)) << url;
  // No scheme, files, other schemes and look-alikes; then blanks, quotes and controls.
  for (const char* url : {"www.velloria.com.cn/serel_camera/", "C:\\Windows\\System32\\calc.exe",
                          "\\\\server\\share\\x.exe", "file:///c:/windows/notepad.exe",
                          "cmd /c calc", "javascript:alert(1)", "http:/h/x", "httpx://h/x",
                          "https2://h/x", "", "https://www.baidu.com/s?wd=vivo 打开USB调试模式",
                          "http://h/x\" --renderer-cmd-prefix=calc", "http://h/x' y",
                          "http://h/x\ty", "http://h/x\x7f", "http://h/x?a=b c"})
    EXPECT_FALSE(IsWebAddress(url)) << url;
  // Query words keep letters and Chinese and encode the rest, and so make web addresses.
  EXPECT_EQ(EncodeQueryWords("vivo X20 \xb4\xf2\xbf\xaa"), "vivo%20X20%20\xb4\xf2\xbf\xaa");
  EXPECT_EQ(EncodeQueryWords("a\"b'c&d#e%f+g/h"), "a%22b%27c%26d%23e%25f%2Bg%2Fh");
  EXPECT_EQ(EncodeQueryWords("Mi-9_SE.x~"), "Mi-9_SE.x~");
  EXPECT_TRUE(IsWebAddress("https://www.baidu.com/s?wd=" + EncodeQueryWords("vivo \" x")));
}

TEST(InstallerNames, LastSegmentBeforeTheQueryWithATmpTwinOrNone) {
  const std::string kLongest(196, 'a');
  const struct {
    std::string url, final_name, temp_name;
  } cases[] = {
      {"http://d.velloria.com.cn/pc/setup_2.1.exe?from=app&x=/y", "setup_2.1.exe", "setup_2.1.tmp"},
      {"https://h:8443/Velloria_Setup.EXE#top", "Velloria_Setup.EXE", "Velloria_Setup.tmp"},
      // Earlier segments never reach the file system.
      {"http://h/../../Windows/setup.exe", "setup.exe", "setup.tmp"},
      // The longest name allowed.
      {"http://h/" + kLongest + ".exe", kLongest + ".exe", kLongest + ".tmp"},
  };
  for (const auto& c : cases) {
    const auto names = InstallerNamesFromUrl(c.url);
    ASSERT_TRUE(names) << c.url;
    EXPECT_EQ(names->final_name, c.final_name);
    EXPECT_EQ(names->temp_name, c.temp_name);
  }
  // Refused: dots, backslashes and a drive colon; ".exe" only in the query (it would delete a
  // module of the program) or in the host; no name, a folder, no installer.
  for (const char* url : {"http://h/..exe", "http://h/a/..\\..\\evil.exe", "http://h/c:evil.exe",
                          "http://h/dir/?file=/x/setup.exe",
                          "http://h/app/vlux_horizontal.dll?.exe", "http://setup.exe/", "http://h/",
                          "http://h/setup.exe/", "http://h/setup.zip", "http://h/.exe"})
    EXPECT_FALSE(InstallerNamesFromUrl(url)) << url;
  // A trailing blank (Windows strips it), ".." anywhere, devices, characters no file name has;
  // no web address; a name past the bound.
  for (const char* url :
       {"http://h/setup .exe", "http://h/setup..exe", "http://h/a..b.exe", "http://h/con.exe",
        "http://h/LPT1.exe", "http://h/a|b.exe", "http://h/a*b.exe", "http://h/a\"b.exe",
        "http://h/a<b>.exe", "setup.exe", "file://c:/setup.exe", "\\\\server\\share\\setup.exe"})
    EXPECT_FALSE(InstallerNamesFromUrl(url)) << url;
  EXPECT_FALSE(InstallerNamesFromUrl("http://h/" + std::string(197, 'a') + ".exe"));
}

TEST(InstallerIdentity, OnlyTheOfferedNewerInstallerIsAccepted) {
  using V = InstallerVerdict;
  using ID = InstallerIdentity;
  const InstallerIdentity installer{{1, 0, 11, 0}, "setup.exe"};
  const struct {
    const char* what;
    std::optional<InstallerIdentity> identity;
    const char *offered, *program;
    V verdict;
  } cases[] = {
      {"the offer", installer, "1.0.11.0", "1.0.10.100", V::kAccepted},
      {"offered with three fields", installer, "1.0.11", "1.0.10.100", V::kAccepted},
      {"name in capitals", ID{{1, 0, 11, 0}, "SETUP.EXE"}, "1.0.11.0", "1.0.10.0", V::kAccepted},
      {"no version resource", std::nullopt, "1.0.11.0", "1.0.10.0", V::kNotAnInstaller},
      {"uninstaller", ID{{1, 0, 11, 0}, "Uninstall.exe"}, "1.0.11.0", "1.0.10.0",
       V::kNotAnInstaller},
      {"no original name", ID{{1, 0, 11, 0}, ""}, "1.0.11.0", "1.0.10.0", V::kNotAnInstaller},
      {"old, offered as new", ID{{1, 0, 9, 0}, "setup.exe"}, "99.0.0.0", "1.0.10.0",
       V::kNotTheOfferedVersion},
      {"no offered version", installer, "", "1.0.10.0", V::kNotTheOfferedVersion},
      // 256 and 0 pack alike in the offer's 8-bit comparison; the file's fields are exact.
      {"past 255", ID{{1, 0, 256, 0}, "setup.exe"}, "1.0.0.0", "0.9.0.0", V::kNotTheOfferedVersion},
      {"the same version as the program", installer, "1.0.11.0", "1.0.11.0", V::kNotNewer},
      {"older than the program", installer, "1.0.11.0", "2.0.0.0", V::kNotNewer},
      {"the program's version unknown", installer, "1.0.11.0", "", V::kNotNewer},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    EXPECT_EQ(JudgeInstaller(c.identity, c.offered, c.program), c.verdict);
  }
}

TEST(Progress, SixtyFourBitLengthPercentAndBalloon) {
  EXPECT_EQ(ParseContentLength("0"), 0u);
  EXPECT_EQ(ParseContentLength(" 1048576 "), 1048576u);
  EXPECT_EQ(ParseContentLength("5368709120"), 5368709120u);  // 5 GiB: past 32 bits
  EXPECT_EQ(ParseContentLength("999999999999999999"), 999999999999999999u);
  for (const char* bad : {"", "-1", "12ab", "1 2", "99999999999999999999999"})
    EXPECT_FALSE(ParseContentLength(bad)) << bad;
  // The percentage of the announced length.
  EXPECT_EQ(ProgressPercent(0, 0), 0);  // a zero total is no division by zero
  EXPECT_EQ(ProgressPercent(123456, 0), 0);
  EXPECT_EQ(ProgressPercent(0, 1000), 0);
  EXPECT_EQ(ProgressPercent(999, 1000), 99);  // truncated
  EXPECT_EQ(ProgressPercent(1000, 1000), 100);
  EXPECT_EQ(ProgressPercent(5000, 1000), 100);  // more than announced
  // Huge lengths do not overflow (32-bit values would wrap).
  const uint64_t total = 999999999999999999u;
  EXPECT_EQ(ProgressPercent(total / 2, total), 49);
  EXPECT_EQ(ProgressPercent(total - 1, total), 99);
  EXPECT_EQ(ProgressPercent(5368709120u / 4, 5368709120u), 25);
  // The balloon gives the size only when it is known.
  EXPECT_EQ(AnsiToUtf8(ProgressBalloonText(3 * 1048576 + 524288, 42)),
            "正在下载更新，请稍后......\n文件大小:3.500M 已下载:42%");
  EXPECT_EQ(AnsiToUtf8(ProgressBalloonText(0, 7)), "正在下载更新，请稍后......\n已下载:7%");
  EXPECT_EQ(AnsiToUtf8(ProgressBalloonText(0, 250)), "正在下载更新，请稍后......\n已下载:100%");
}

}  // namespace
}  // namespace vl
