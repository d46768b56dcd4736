// Splitting web addresses: schemes, ports, paths and the addresses that must be refused.
#include <gtest/gtest.h>

#include "online/url_parts.h"

namespace vl {
namespace {

UrlParts Split(const char* url) {
  UrlParts parts;
  EXPECT_TRUE(SplitUrl(url, &parts)) << url;
  return parts;
}

TEST(SplitUrl, PlainHttpUsesPort80AndKeepsTheQueryInThePath) {
  const UrlParts p = Split("http://www.velloria.com.cn/serelpartner/config.php?ver=1.0.0.0&rand=5");
  EXPECT_FALSE(p.secure);
  EXPECT_EQ(p.host, "www.velloria.com.cn");
  EXPECT_EQ(p.port, 80);
  EXPECT_EQ(p.path, "/serelpartner/config.php?ver=1.0.0.0&rand=5");
}

TEST(SplitUrl, HttpsUsesTlsOnPort443) {
  const UrlParts p = Split("HTTPS://cdn.example.cn/a/setup.exe");
  EXPECT_TRUE(p.secure);
  EXPECT_EQ(p.host, "cdn.example.cn");
  EXPECT_EQ(p.port, 443);
  EXPECT_EQ(p.path, "/a/setup.exe");
}

TEST(SplitUrl, AWrittenPortIsSeparatedFromTheHost) {
  UrlParts p = Split("http://127.0.0.1:8080/x");
  EXPECT_EQ(p.host, "127.0.0.1");
  EXPECT_EQ(p.port, 8080);
  p = Split("https://h:65535/");
  EXPECT_TRUE(p.secure);
  EXPECT_EQ(p.port, 65535);
  EXPECT_EQ(p.path, "/");
}

TEST(SplitUrl, WithoutSchemeTheHostStartsAtTheFirstCharacter) {
  const UrlParts p = Split("example.cn/page");
  EXPECT_EQ(p.host, "example.cn");
  EXPECT_EQ(p.port, 80);
  EXPECT_EQ(p.path, "/page");
}

TEST(SplitUrl, TheFragmentIsNotSent) {
  EXPECT_EQ(Split("http://h/live.php#ios").path, "/live.php");
}

TEST(SplitUrl, RefusesAddressesWithoutHostPathOrWithABadPort) {
  const char* const bad[] = {
      "http://example.cn",          // no path
      "example.cn",                 // bare host
      "http:///path",               // no host
      "",                           //
      "http://h:/x",                // empty port
      "http://h:0/x",               // port 0
      "http://h:65536/x",           // too large
      "http://h:8o/x",              // not a number
      "http://h:123456/x",          //
      "http://:80/x",               // port without host
      "ftp://h/x",                  // another scheme
      "file://c:/windows/x.exe",    //
      "http://user@h/x",            // credentials
      "http://h?x=/y",              // query before the path
      "http://h\\evil/x",           //
      "http://h x/y",               // blank in the host
      "http://h/x\r\nHost: other",  // would split the request
  };
  for (const char* url : bad) {
    UrlParts p;
    p.host = "untouched";
    EXPECT_FALSE(SplitUrl(url, &p)) << url;
    EXPECT_EQ(p.host, "untouched") << url;
  }
}

TEST(IsWebAddress, OnlyHttpAndHttpsAddressesMayReachTheShell) {
  EXPECT_TRUE(IsWebAddress("http://www.velloria.com.cn/serel_camera/"));
  EXPECT_TRUE(IsWebAddress("https://www.baidu.com/s?wd=vivo%20%E6%89%93%E5%BC%80"));
  EXPECT_TRUE(IsWebAddress("HTTP://h/x"));
  EXPECT_FALSE(IsWebAddress("www.velloria.com.cn/serel_camera/"));  // no scheme
  EXPECT_FALSE(IsWebAddress("C:\\Windows\\System32\\calc.exe"));
  EXPECT_FALSE(IsWebAddress("\\\\server\\share\\x.exe"));
  EXPECT_FALSE(IsWebAddress("file:///c:/windows/notepad.exe"));
  EXPECT_FALSE(IsWebAddress("cmd /c calc"));
  EXPECT_FALSE(IsWebAddress("javascript:alert(1)"));
  EXPECT_FALSE(IsWebAddress("http:/h/x"));
  EXPECT_FALSE(IsWebAddress(""));
}

TEST(IsWebAddress, BlanksQuotesAndControlsAnywhereAreRefused) {
  // Each could end the address on a browser's command line and pass it options.
  for (const char* url : {"https://www.baidu.com/s?wd=vivo 打开USB调试模式",
                          "http://h/x\" --renderer-cmd-prefix=calc", "http://h/x' y",
                          "http://h/x\ty", "http://h/x\x7f", "http://h/x?a=b c"}) {
    EXPECT_FALSE(IsWebAddress(url)) << url;
  }
}

TEST(EncodeQueryWords, KeepsLettersAndChineseAndEncodesTheRest) {
  EXPECT_EQ(EncodeQueryWords("vivo X20 \xb4\xf2\xbf\xaa"), "vivo%20X20%20\xb4\xf2\xbf\xaa");
  EXPECT_EQ(EncodeQueryWords("a\"b'c&d#e%f+g/h"), "a%22b%27c%26d%23e%25f%2Bg%2Fh");
  EXPECT_EQ(EncodeQueryWords("Mi-9_SE.x~"), "Mi-9_SE.x~");
  EXPECT_TRUE(IsWebAddress("https://www.baidu.com/s?wd=" + EncodeQueryWords("vivo \" x")));
}

}  // namespace
}  // namespace vl
