// Splitting web addresses: schemes, ports, paths and the addresses that must be refused.
#include <gtest/gtest.h>

#include "online/url_parts.h"

namespace vl {
namespace {

TEST(SplitUrl, SchemeHostPortAndPathWithoutTheFragment) {
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
      "httpx://h/x",                // look-alikes of http and https
      "httpsx://h/x",               //
      "htt://h/x",                  //
      "file://c:/windows/x.exe",    //
      "http://user@h/x",            // credentials
      "http://h?x=/y",              // query before the path
      "http://h\\evil/x",           //
      "http://h x/y",               // blank in the host
      "http://h/x\r\nHost: other",  // would split the request
      "http://h/x\rHost: other",    //
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
  EXPECT_FALSE(IsWebAddress("httpx://h/x"));
  EXPECT_FALSE(IsWebAddress("https2://h/x"));
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
