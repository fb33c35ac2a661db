// GUI tests run without a display: the offscreen platform, one QApplication.
#include <gtest/gtest.h>

#include <QApplication>
#include <cstdlib>

#include "ui/main/application.h"

int main(int argc, char** argv) {
  ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
  QApplication app(argc, argv);
  bridgit::ui::SetUpApplication();  // as the program does
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
