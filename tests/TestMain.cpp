// Every test program starts here: a Qt application on the offscreen platform
// (fonts, images and widgets need one) and a headless host runtime whose only
// printer is an in-memory raster printer at 600 dots per inch. Tests that need
// other printers or answers install their own runtime over this one.
#include <QApplication>
#include <cstdlib>

#include <gtest/gtest.h>

#include "TestSupport.h"
#include "host/Runtime.h"

int main(int argc, char** argv) {
  setenv("QT_QPA_PLATFORM", "offscreen", 0);
  QApplication app(argc, argv);
  testing::InitGoogleTest(&argc, argv);
  host::Runtime runtime = testsupport::makeHeadlessRuntime();
  return RUN_ALL_TESTS();
}
