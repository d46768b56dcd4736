// Both camera modules loaded in-process once per test suite, with COM on each test's thread.
// For tests built with VL_VCAM_HORIZONTAL_DLL and VL_VCAM_VERTICAL_DLL defined.
#pragma once

#include <gtest/gtest.h>

#include "tests/vcam/camera_module.h"

namespace vl::test {

class CameraModulesTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    landscape_ = new CameraModule(WindowsPath(VL_VCAM_HORIZONTAL_DLL));
    portrait_ = new CameraModule(WindowsPath(VL_VCAM_VERTICAL_DLL));
  }
  static void TearDownTestSuite() {
    delete landscape_;
    delete portrait_;
    landscape_ = portrait_ = nullptr;
  }
  void SetUp() override {
    ASSERT_TRUE(SUCCEEDED(CoInitializeEx(nullptr, COINIT_MULTITHREADED)));
    ASSERT_TRUE(landscape_->loaded());
    ASSERT_TRUE(portrait_->loaded());
  }
  void TearDown() override { CoUninitialize(); }

  static inline CameraModule* landscape_ = nullptr;
  static inline CameraModule* portrait_ = nullptr;
};

}  // namespace vl::test
