// BoxTest.h - fixture for the box layer: the shared DiskFixture's fresh disk
// folder and run folder per test, configured as the box's view of the host.
// The box tests look at host paths: they write and read with writeHostFile
// and readHostFile (SimFixture.h), disk("a/b") naming "/mnt/hd/a/b".
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "SimFixture.h"
#include "box/Box.h"

class BoxTest : public DiskFixture {
 protected:
  void SetUp() override {
    DiskFixture::SetUp();
    config_.diskRoot = options.diskDir;
    config_.runDir = options.runDir;
    pvrsim::box::configure(config_);
  }

  std::string folderGroup() const override { return "box"; }

  void reconfigure() { pvrsim::box::configure(config_); }

  pvrsim::box::Config config_;
};
