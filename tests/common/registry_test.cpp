// The registry helper on Wine's real registry, under a scratch key of HKEY_CURRENT_USER.
#include "common/win/registry.h"

#include <gtest/gtest.h>

#include <string>

namespace vl::win {
namespace {

class RegistryTest : public ::testing::Test {
 protected:
  void SetUp() override {
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    root_ = std::string("Software\\VelloriaTests\\") + info->name() + "_" +
            std::to_string(GetCurrentProcessId());
    DeleteKeyTree(HKEY_CURRENT_USER, root_.c_str());
  }
  void TearDown() override { DeleteKeyTree(HKEY_CURRENT_USER, root_.c_str()); }

  bool Exists(const std::string& path) {
    RegistryKey key;
    return key.Open(HKEY_CURRENT_USER, path.c_str()) == ERROR_SUCCESS;
  }

  std::string root_;
};

// Values written narrow or wide read back both ways; wrong types, missing values and strings
// longer than the bound (refused, not allocated) leave the output alone.
TEST_F(RegistryTest, ValuesReadBackBothWaysDeleteKeyTreeRemovesEveryLevelOwnersKeepTheirKeys) {
  RegistryKey key;
  ASSERT_EQ(key.Create(HKEY_CURRENT_USER, (root_ + "\\a\\b").c_str()), ERROR_SUCCESS);
  EXPECT_EQ(key.SetString(nullptr, "default text"), ERROR_SUCCESS);
  EXPECT_EQ(key.SetString("Path", "C:\\\xCA\xD3\xC6\xB5\\vlux.dll"), ERROR_SUCCESS);  // GBK
  EXPECT_EQ(key.SetString(L"Wide", std::wstring(L"\u6a2a\u5c4f")), ERROR_SUCCESS);
  EXPECT_EQ(key.SetDword("Count", 7), ERROR_SUCCESS);
  ASSERT_EQ(key.SetString("Long", std::string(RegistryKey::kMaxStringBytes + 10, 'x')),
            ERROR_SUCCESS);
  ASSERT_EQ(key.SetString("Fits", std::string(RegistryKey::kMaxStringBytes - 1, 'y')),
            ERROR_SUCCESS);

  RegistryKey again;
  ASSERT_EQ(again.Open(HKEY_CURRENT_USER, (root_ + "\\a\\b").c_str()), ERROR_SUCCESS);
  std::string text;
  EXPECT_EQ(again.GetString("", &text), ERROR_SUCCESS);
  EXPECT_EQ(text, "default text");
  std::wstring wide;
  EXPECT_EQ(again.GetString(L"Path", &wide), ERROR_SUCCESS);
  EXPECT_EQ(wide, L"C:\\\u89c6\u9891\\vlux.dll");  // the ANSI code page is 936
  EXPECT_EQ(again.GetString("Wide", &text), ERROR_SUCCESS);
  EXPECT_EQ(text, "\xBA\xE1\xC6\xC1");
  DWORD count = 0;
  EXPECT_EQ(again.GetDword(L"Count", &count), ERROR_SUCCESS);
  EXPECT_EQ(count, 7u);

  text = "kept";
  EXPECT_EQ(again.GetString("Count", &text), ERROR_UNSUPPORTED_TYPE);
  EXPECT_EQ(again.GetDword("Path", &count), ERROR_UNSUPPORTED_TYPE);
  EXPECT_EQ(again.GetString("Missing", &text), ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(again.GetString("Long", &text), ERROR_MORE_DATA);
  EXPECT_EQ(text, "kept");
  EXPECT_EQ(count, 7u);
  EXPECT_EQ(again.GetString("Fits", &text), ERROR_SUCCESS);
  EXPECT_EQ(text.size(), RegistryKey::kMaxStringBytes - 1);
  EXPECT_EQ(key.DeleteValue("Path"), ERROR_SUCCESS);
  EXPECT_EQ(key.DeleteValue("Path"), ERROR_FILE_NOT_FOUND);
  // DeleteKeyTree removes every level, narrow or wide, and keeps the parent; a missing key counts
  // as deleted and an empty path is refused. The key's owner moves, and a failed open keeps the
  // key held.
  for (const char* path : {"\\x\\y\\z", "\\x\\y\\z2", "\\x\\w", "\\x\\v\\u\\t"}) {
    RegistryKey key;
    ASSERT_EQ(key.Create(HKEY_CURRENT_USER, (root_ + path).c_str()), ERROR_SUCCESS);
    ASSERT_EQ(key.SetString("v", "1"), ERROR_SUCCESS);
  }
  RegistryKey sibling;
  ASSERT_EQ(sibling.Create(HKEY_CURRENT_USER, (root_ + "\\kept").c_str()), ERROR_SUCCESS);
  sibling.reset();

  EXPECT_EQ(DeleteKeyTree(HKEY_CURRENT_USER, (root_ + "\\x").c_str()), ERROR_SUCCESS);
  EXPECT_FALSE(Exists(root_ + "\\x"));
  EXPECT_TRUE(Exists(root_ + "\\kept"));
  EXPECT_TRUE(Exists(root_));
  EXPECT_EQ(DeleteKeyTree(HKEY_CURRENT_USER, (root_ + "\\never\\there").c_str()), ERROR_SUCCESS);

  // The wide form, on keys with Chinese names.
  const std::wstring tree = std::wstring(root_.begin(), root_.end()) + L"\\\u6a2a\u5c4f";
  RegistryKey owner;
  ASSERT_EQ(owner.Create(HKEY_CURRENT_USER, (tree + L"\\\u7ad6\u5c4f").c_str()), ERROR_SUCCESS);
  owner.reset();
  EXPECT_EQ(DeleteKeyTree(HKEY_CURRENT_USER, tree.c_str()), ERROR_SUCCESS);
  EXPECT_EQ(owner.Open(HKEY_CURRENT_USER, tree.c_str()), ERROR_FILE_NOT_FOUND);

  ASSERT_EQ(owner.Create(HKEY_CURRENT_USER, root_.c_str()), ERROR_SUCCESS);
  // The parent itself is never the thing deleted.
  EXPECT_EQ(DeleteKeyTree(owner.get(), ""), ERROR_INVALID_PARAMETER);
  EXPECT_EQ(DeleteKeyTree(owner.get(), static_cast<const wchar_t*>(nullptr)),
            ERROR_INVALID_PARAMETER);
  EXPECT_TRUE(Exists(root_));
  const HKEY held = owner.get();
  EXPECT_EQ(owner.Open(HKEY_CURRENT_USER, (root_ + "\\absent").c_str()), ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(owner.get(), held);
  RegistryKey moved(std::move(owner));
  EXPECT_FALSE(owner);
  EXPECT_EQ(moved.get(), held);
  EXPECT_EQ(moved.SetString("after", "move"), ERROR_SUCCESS);
  // A predefined root is never closed by its owner.
  { RegistryKey root(HKEY_CURRENT_USER); }
  EXPECT_TRUE(Exists(root_));
}

}  // namespace
}  // namespace vl::win
