// Registration of the camera modules at start: the boxes for missing, junk and refusing
// modules, the registry values the real module writes, and no second registration of a module
// already registered at its very path.
#include "app/camera_registration.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "common/module_directory.h"
#include "common/text_convert.h"
#include "common/win/message_box.h"

namespace vl {
namespace {

constexpr char kLandscapeClsid[] = "{8E14549A-DB61-4309-AFA1-3578E927E934}";
constexpr char kPortraitClsid[] = "{1B914DED-3DEF-4AD0-B158-EA0A7B34FC80}";

// A file of this build tree, as this program opens it.
std::string Built(const std::string& path) {
  std::string p = "Z:" + std::string(VL_BINARY_DIR) + "/" + path;
  std::replace(p.begin(), p.end(), '/', '\\');
  return p;
}

std::string RegistryString(const std::string& key, const char* value) {
  char buffer[1024] = {};
  DWORD size = sizeof buffer;
  const LSTATUS r =
      RegGetValueA(HKEY_CLASSES_ROOT, key.c_str(), value, RRF_RT_REG_SZ, nullptr, buffer, &size);
  return r == ERROR_SUCCESS ? std::string(buffer) : "<none>";
}

struct Box {
  HWND owner;
  std::string text, caption;
  UINT type;
};

class CameraRegistrationTest : public ::testing::Test {
 protected:
  CameraRegistrationTest() {
    char temp[MAX_PATH] = {};
    GetTempPathA(MAX_PATH, temp);
    dir_ = std::string(temp) + "vl_cameras_" + std::to_string(GetTickCount()) + "\\";
    CreateDirectoryA(dir_.c_str(), nullptr);
    win::SetMessageBoxHandler(
        [this](HWND owner, const std::string& text, const std::string& caption, UINT type) {
          boxes_.push_back({owner, text, caption, type});
          return IDOK;
        });
    owner_ = CreateWindowA("STATIC", "owner", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr,
                           nullptr);
  }
  ~CameraRegistrationTest() override {
    win::SetMessageBoxHandler(nullptr);
    DestroyWindow(owner_);
    // Leave no registration pointing into the scratch folder.
    for (const std::string& file : copies_) {
      if (HMODULE m = LoadLibraryA(file.c_str())) {
        using Fn = HRESULT(STDAPICALLTYPE*)();
        if (auto unregister = reinterpret_cast<Fn>(
                reinterpret_cast<void*>(GetProcAddress(m, "DllUnregisterServer"))))
          unregister();
        FreeLibrary(m);
      }
    }
    std::error_code ignored;
    std::filesystem::remove_all(dir_, ignored);
  }
  std::string Copy(const std::string& from, const std::string& name) {
    const std::string to = dir_ + name;
    EXPECT_TRUE(CopyFileA(from.c_str(), to.c_str(), FALSE)) << from;
    copies_.push_back(to);
    return to;
  }

  std::string dir_;
  std::vector<std::string> copies_;
  std::vector<Box> boxes_;
  HWND owner_ = nullptr;
};

TEST_F(CameraRegistrationTest, MissingJunkAndRefusingModulesEachShowOneBoxOneWithoutTheExportNone) {
  const std::string missing = dir_ + "vlux_vertical.dll";
  const std::string junk = dir_ + "junk.dll";
  std::ofstream(junk, std::ios::binary) << "not a module at all";
  copies_.push_back(junk);
  const std::string refusing =
      Copy(Built("tests/app/modules/failing_register.dll"), "failing_register.dll");
  const std::string failed = Utf8ToAnsi(" 注册失败");
  for (const auto& [path, text] :
       {std::pair{missing, missing + Utf8ToAnsi("缺失")}, std::pair{junk, junk + failed},
        std::pair{refusing, refusing + failed}}) {
    SCOPED_TRACE(path);
    boxes_.clear();
    EXPECT_EQ(RegisterCameraModule(path, owner_), 0);
    ASSERT_EQ(boxes_.size(), 1u);
    EXPECT_EQ(boxes_[0].text, text);
    EXPECT_EQ(boxes_[0].caption, "");
    EXPECT_EQ(boxes_[0].type, static_cast<UINT>(MB_OK));
    EXPECT_EQ(boxes_[0].owner, owner_);
  }
  EXPECT_EQ(GetModuleHandleA("failing_register.dll"), nullptr);  // the refusing one unloaded
  // A module without the export counts as registered, without a box.
  boxes_.clear();
  const std::string path =
      Copy(Built("tests/app/modules/no_register_export.dll"), "no_register_export.dll");
  EXPECT_EQ(RegisterCameraModule(path, owner_), 1);
  EXPECT_TRUE(boxes_.empty());
}

TEST_F(CameraRegistrationTest, RealModuleWritesItsEntriesOncePerPath) {
  const std::string path = Copy(Built("vcam/vlux_horizontal.dll"), "vlux_horizontal.dll");
  EXPECT_EQ(RegisterCameraModule(path, owner_), 1);
  EXPECT_TRUE(boxes_.empty());
  const std::string key = std::string("CLSID\\") + kLandscapeClsid;
  EXPECT_EQ(RegistryString(key, ""), Utf8ToAnsi("Velloria(横屏)"));
  EXPECT_EQ(lstrcmpiA(RegistryString(key + "\\InprocServer32", "").c_str(), path.c_str()), 0);
  EXPECT_EQ(RegistryString(key + "\\InprocServer32", "ThreadingModel"), "Both");
  EXPECT_TRUE(IsCameraRegisteredAt(kLandscapeClsid, path));
  EXPECT_FALSE(IsCameraRegisteredAt(kLandscapeClsid, dir_ + "elsewhere.dll"));
  // Not registered again at this path: a changed class name shows whether it was written again.
  RegSetValueA(HKEY_CLASSES_ROOT, key.c_str(), REG_SZ, "untouched", 9);
  EXPECT_EQ(RegisterCameraModule(path, owner_), 1);
  EXPECT_EQ(RegistryString(key, ""), "untouched");
  // The same module at another path is registered there.
  CreateDirectoryA((dir_ + "moved").c_str(), nullptr);
  const std::string moved = Copy(path, "moved\\vlux_horizontal.dll");
  EXPECT_EQ(RegisterCameraModule(moved, owner_), 1);
  EXPECT_EQ(RegistryString(key, ""), Utf8ToAnsi("Velloria(横屏)"));
  EXPECT_EQ(lstrcmpiA(RegistryString(key + "\\InprocServer32", "").c_str(), moved.c_str()), 0);
  EXPECT_TRUE(boxes_.empty());
}

TEST_F(CameraRegistrationTest, StartRegistersBothModulesAndReportsOnlyTheMissingOne) {
  Copy(Built("vcam/vlux_horizontal.dll"), "vlux_horizontal.dll");
  const std::string previous = ApplicationDirectory();
  SetApplicationDirectory(dir_);
  RegisterCameraModules(owner_);
  ASSERT_EQ(boxes_.size(), 1u);
  EXPECT_EQ(boxes_[0].text, dir_ + "vlux_vertical.dll" + Utf8ToAnsi("缺失"));
  boxes_.clear();
  const std::string vertical = Copy(Built("vcam/vlux_vertical.dll"), "vlux_vertical.dll");
  RegisterCameraModules(owner_);
  EXPECT_TRUE(boxes_.empty());
  EXPECT_TRUE(IsCameraRegisteredAt(kPortraitClsid, vertical));
  SetApplicationDirectory(previous);
}

}  // namespace
}  // namespace vl
