#include <gtest/gtest.h>

#include "tests/ui/sample_forms.h"
#include "ui/property_text.h"

namespace ui {
namespace {

using namespace testing_forms;

class InspectTest : public WindowRuntimeTest {};

TEST_F(InspectTest, PropertiesAsAPersonReadsThem) {
  EXPECT_EQ(PropertyText(kMain, kOk, 3), "24") << "common properties read the template before a load";
  EXPECT_EQ(PropertyText(kMain, kOk, 10), std::nullopt) << "unit-specific: nothing instead of a fatal error";
  EXPECT_EQ(PropertyText(0x52999999, 0, 0), std::nullopt);
  EXPECT_EQ(PropertyText(kMain, 0x16999999, 0), std::nullopt);
  ASSERT_TRUE(LoadStartWindow(kMain));
  EXPECT_EQ(PropertyText(kMain, kOk, 10), reinterpret_cast<const char*>(u8"确定"));
  EXPECT_EQ(PropertyText(kMain, kOk, 5), "true");
  EXPECT_EQ(PropertyText(kMain, kList, 35), "-1");
  EXPECT_EQ(PropertyText(kMain, kMenuTop, 3), "false");
  EXPECT_EQ(PropertyText(kMain, kMenuTop, 0), reinterpret_cast<const char*>(u8"账号操作"));
  EXPECT_EQ(PropertyText(kMain, 0, 8), reinterpret_cast<const char*>(u8"主窗口"));
  EXPECT_EQ(PropertyText(kMain, kOk, 99), std::nullopt);
}

}  // namespace
}  // namespace ui
