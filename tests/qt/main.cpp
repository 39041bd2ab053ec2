// The Qt desktop's tests run in one application, offscreen unless the
// environment names another platform.
#include <gtest/gtest.h>

#include <QtGlobal>

#include "platform/qt/application_qt.h"

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  ::testing::InitGoogleTest(&argc, argv);
  platform::qt::Application application(argc, argv);
  return RUN_ALL_TESTS();
}
