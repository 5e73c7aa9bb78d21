// Every test program starts here: a Qt application on the offscreen platform
// (fonts, images and widgets need one) and a headless host runtime whose only
// printer is an in-memory raster printer at 600 dots per inch. Tests that need
// other printers or answers install their own runtime over this one.
// Every test program runs with a home and data folder of its own, so that
// nothing a test registers or writes touches the user's files.
#include <QApplication>
#include <cstdlib>
#include <filesystem>
#include <system_error>

#include <gtest/gtest.h>

#include "TestSupport.h"
#include "host/Runtime.h"

namespace {

// A private home for the test program, removed when it ends.
class PrivateHome {
 public:
  PrivateHome() : folder_(testsupport::makeTempDir("vellora-home")) {
    setenv("HOME", folder_.c_str(), 1);
    setenv("XDG_DATA_HOME", (folder_ / ".local" / "share").c_str(), 1);
    setenv("XDG_CONFIG_HOME", (folder_ / ".config").c_str(), 1);
  }
  PrivateHome(const PrivateHome&) = delete;
  PrivateHome& operator=(const PrivateHome&) = delete;
  ~PrivateHome() {
    std::error_code ignored;
    std::filesystem::remove_all(folder_, ignored);
  }

 private:
  std::filesystem::path folder_;
};

}  // namespace

int main(int argc, char** argv) {
  const PrivateHome home;
  setenv("QT_QPA_PLATFORM", "offscreen", 0);
  QApplication app(argc, argv);
  testing::InitGoogleTest(&argc, argv);
  host::Runtime runtime = testsupport::makeHeadlessRuntime();
  return RUN_ALL_TESTS();
}
