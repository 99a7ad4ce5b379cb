// BoxTest.h - fixture for the box layer: a fresh disk folder and run folder per test.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "box/Box.h"

class BoxTest : public ::testing::Test {
 protected:
  void SetUp() override {
    const ::testing::TestInfo *info = ::testing::UnitTest::GetInstance()->current_test_info();
    root_ = std::string(TEST_TMP_DIR) + "/box/" + info->test_suite_name() + "." + info->name();
    std::filesystem::remove_all(root_);
    std::filesystem::create_directories(root_);
    config_.diskRoot = root_ + "/disk";
    config_.runDir = root_ + "/run";
    pvrsim::box::configure(config_);
  }

  void reconfigure() { pvrsim::box::configure(config_); }

  // Host path of a box path below /mnt/hd ("a/b" for "/mnt/hd/a/b").
  std::string disk(const std::string &relative) const { return config_.diskRoot + "/" + relative; }

  static void writeFile(const std::string &hostPath, const std::string &content) {
    std::filesystem::create_directories(std::filesystem::path(hostPath).parent_path());
    std::ofstream(hostPath, std::ios::binary) << content;
  }

  static std::string readFile(const std::string &hostPath) {
    std::ifstream in(hostPath, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  }

  static bool exists(const std::string &hostPath) { return std::filesystem::exists(hostPath); }

  pvrsim::box::Config config_;
  std::string root_;
};
