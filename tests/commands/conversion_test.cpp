#include <gtest/gtest.h>

#include <cfloat>
#include <cmath>
#include <limits>

#include "commands/date_time.h"
#include "commands/text.h"
#include "commands/value_text.h"
#include "tests/commands/call.h"

namespace commands {
namespace {

using namespace testing;  // Call, Result and the value makers (tests/commands/call.h)

std::int32_t IntOf(rt::Value v) { return Result(Call(ToInt, {v}))->as_int(); }
std::string TextOf(rt::Value v) {
  Result r(Call(ToText, {v}));
  return r.null() ? std::string("<null>") : r.text();
}
std::string BytesOf(rt::Value v) {
  Result r(Call(ToBytes, {v}));
  return r.null() ? std::string("<null>") : r.bytes();
}
rt::Value Typed(std::uint32_t lo, rt::TypeCode type, std::uint32_t hi = 0) { return rt::Value{lo, hi, type}; }

TEST(ToInt, TextsWithFullWidthFormsSignsAndWrapAround) {
  EXPECT_EQ(IntOf(Txt("\xA3\xB1\xA3\xB2\xA3\xB3")), 123);  // full-width 1 2 3
  EXPECT_EQ(IntOf(Txt("\xA1\xA1\xA3\xAD\xA3\xB4\xA3\xB2")), -42);  // full-width space, minus, 4, 2
  EXPECT_EQ(IntOf(Txt(" \t+17")), 17);
  EXPECT_EQ(IntOf(Txt("12abc")), 12);
  EXPECT_EQ(IntOf(Txt("abc")), 0);
  EXPECT_EQ(IntOf(Txt("-")), 0);
  EXPECT_EQ(IntOf(Txt("12\xB0")), 12);  // a lone lead byte ends the text
  EXPECT_EQ(IntOf(Txt("4294967297")), 1);
  EXPECT_EQ(IntOf(Txt("2147483648")), INT32_MIN);
  EXPECT_EQ(IntOf(Txt("-2147483649")), INT32_MAX);
  EXPECT_EQ(IntOf(Txt("99999999999999999999999")), -159383553);  // 10^23 - 1 modulo 2^32
  EXPECT_EQ(IntOf(Txt(nullptr)), 0);
}

TEST(ToInt, NumbersAndOtherTypes) {
  EXPECT_EQ(IntOf(rt::Value::Double(-2.7)), -2);
  EXPECT_EQ(IntOf(rt::Value::Float(2.99f)), 2);
  EXPECT_EQ(IntOf(rt::Value::Double(3e9)), static_cast<std::int32_t>(3000000000u));
  // Out of the 64-bit range and NaN give the processor's indefinite value.
  EXPECT_EQ(IntOf(rt::Value::Double(1e300)), 0);
  EXPECT_EQ(IntOf(rt::Value::Double(std::nan(""))), 0);
  EXPECT_EQ(IntOf(Typed(0x1FF, rt::type::kByte)), 255);
  EXPECT_EQ(IntOf(Typed(0x1FFFF, rt::type::kShort)), -1);
  EXPECT_EQ(IntOf(rt::Value::Int64(0x100000005LL)), 5);
  EXPECT_EQ(IntOf(Typed(7, rt::type::kBool)), 7);
  EXPECT_EQ(IntOf(Typed(9, rt::type::kSubPtr)), 9);
  EXPECT_EQ(IntOf(rt::Value::DateTime(45000.5)), 0);
  EXPECT_EQ(IntOf(rt::Value::Pointer(nullptr, rt::type::kBytes)), 0);
}

TEST(HalfWidthText, MapsAndOptionallyDropsSpaces) {
  rt::OwnedText kept(HalfWidthText("\xA1\xA1\xA1\xAB\xA1\xEE\xA3\xC1 \xB0\xA1", false));
  EXPECT_STREQ(kept.get(), " ~*A \xB0\xA1");
  rt::OwnedText dropped(HalfWidthText("\xA1\xA1\xA3\xC1 b\xB0", true));
  EXPECT_STREQ(dropped.get(), "Ab");
}

TEST(ToBytes, DatumBytesAsStored) {
  EXPECT_EQ(BytesOf(Txt("abc")), "abc");
  EXPECT_EQ(BytesOf(Txt("")), "<null>");
  EXPECT_EQ(BytesOf(rt::Value::Int(1)), std::string("\x01\x00\x00\x00", 4));
  EXPECT_EQ(BytesOf(Typed(0x1234, rt::type::kShort)), std::string("\x34\x12", 2));
  EXPECT_EQ(BytesOf(rt::Value::Double(1.0)).size(), 8u);
  EXPECT_EQ(BytesOf(rt::Value::Bool(true)), std::string("\x01\x00\x00\x00", 4));
  EXPECT_EQ(BytesOf(Typed(1, rt::type::kWindow, 2)), "<null>");

  rt::Owned<void> block(rt::MakeBytes("x\0y", 3));
  EXPECT_EQ(BytesOf(rt::Value::Pointer(block.get(), rt::type::kBytes)), std::string("x\0y", 3));
}

TEST(ToBytesAndToText, NumericArrays) {
  std::int32_t ints[] = {1, 3, 0x41, 0, 0x42};
  rt::Value int_array = rt::Value::Pointer(ints, rt::type::kInt | rt::type::kArrayFlag);
  EXPECT_EQ(BytesOf(int_array).size(), 12u);
  EXPECT_EQ(TextOf(int_array), "A");  // up to the first zero byte

  unsigned char bytes[] = {1, 0, 0, 0, 3, 0, 0, 0, 'h', 'i', '!'};
  rt::Value byte_array = rt::Value::Pointer(bytes, rt::type::kByte | rt::type::kArrayFlag);
  EXPECT_EQ(TextOf(byte_array), "hi!");

  const char* texts[] = {"a"};
  std::int32_t text_header[2] = {1, 1};
  (void)texts;
  rt::Value text_array = rt::Value::Pointer(text_header, rt::type::kText | rt::type::kArrayFlag);
  EXPECT_EQ(BytesOf(text_array), "<null>");
  EXPECT_EQ(TextOf(text_array), "<null>");
}

TEST(ToText, NumbersBoolsAndBytes) {
  EXPECT_EQ(TextOf(rt::Value::Int(-5)), "-5");
  EXPECT_EQ(TextOf(Typed(0x1FF, rt::type::kByte)), "255");
  EXPECT_EQ(TextOf(Typed(0xFFFF, rt::type::kShort)), "-1");
  EXPECT_EQ(TextOf(rt::Value::Int64(INT64_MIN)), "-9223372036854775808");
  EXPECT_EQ(TextOf(rt::Value::Bool(true)), "真");
  EXPECT_EQ(TextOf(Typed(2, rt::type::kBool)), "真");
  EXPECT_EQ(TextOf(rt::Value::Bool(false)), "假");
  EXPECT_EQ(TextOf(Txt("原文")), "原文");
  EXPECT_EQ(TextOf(Txt("")), "<null>");
  EXPECT_EQ(TextOf(Typed(3, rt::type::kSubPtr)), "<null>");

  rt::Owned<void> block(rt::MakeBytes("ab\0cd", 5));
  EXPECT_EQ(TextOf(rt::Value::Pointer(block.get(), rt::type::kBytes)), "ab");
  EXPECT_EQ(TextOf(rt::Value::Pointer(nullptr, rt::type::kBytes)), "<null>");
}

TEST(ToText, DoubleUsesThirteenSignificantDigits) {
  EXPECT_EQ(TextOf(rt::Value::Double(5)), "5");
  EXPECT_EQ(TextOf(rt::Value::Double(0.1)), "0.1");
  EXPECT_EQ(TextOf(rt::Value::Double(1e20)), "1e+20");
  EXPECT_EQ(TextOf(rt::Value::Double(-2.5)), "-2.5");
  EXPECT_EQ(TextOf(rt::Value::Double(1.0 / 3.0)), "0.3333333333333");
  EXPECT_EQ(TextOf(rt::Value::Double(123456789012345.0)), "1.234567890123e+14");
  EXPECT_EQ(TextOf(rt::Value::Double(0.0001)), "0.0001");
  EXPECT_EQ(TextOf(rt::Value::Double(0.00001)), "1e-05");
  EXPECT_EQ(TextOf(rt::Value::Double(std::numeric_limits<double>::denorm_min())), "4.940656458412e-324");
  EXPECT_EQ(TextOf(rt::Value::Double(-0.0)), "-0");
}

TEST(ToText, FloatRoundsToSixSignificantDigits) {
  EXPECT_EQ(TextOf(rt::Value::Float(0.1f)), "0.1");
  EXPECT_EQ(TextOf(rt::Value::Float(5.0f)), "5");
  EXPECT_EQ(TextOf(rt::Value::Float(1e20f)), "1e+20");
  EXPECT_EQ(TextOf(rt::Value::Float(-2.5f)), "-2.5");
  EXPECT_EQ(TextOf(rt::Value::Float(0.0f)), "0");
  EXPECT_EQ(TextOf(rt::Value::Float(123456.7f)), "123457");
  EXPECT_EQ(TextOf(rt::Value::Float(16777216.0f)), "1.67772e+07");
  EXPECT_EQ(TextOf(rt::Value::Float(0.3f)), "0.3");
  EXPECT_EQ(TextOf(rt::Value::Float(0.000123456f)), "0.000123456");
  EXPECT_EQ(TextOf(rt::Value::Float(-9.999996f)), "-10");
  EXPECT_EQ(TextOf(rt::Value::Float(FLT_MAX)), "3.40282e+38");
  EXPECT_EQ(TextOf(rt::Value::Float(FLT_MIN)), "1.17549e-38");
  // Subnormal floats keep their digits instead of collapsing to 0.
  EXPECT_EQ(TextOf(rt::Value::Float(std::numeric_limits<float>::denorm_min())), "1.4013e-45");
  EXPECT_EQ(TextOf(rt::Value::Float(-1e-40f)), "-9.99995e-41");
  EXPECT_EQ(TextOf(rt::Value::Float(std::numeric_limits<float>::infinity())), "inf");
}

TEST(ToText, FloatRoundingCorrectsTheDecadeEstimate) {
  // For every binary exponent the estimate may be one decade off; the result
  // must still carry six significant digits.
  for (float x = 1.17549435e-38f; x < 1e38f; x *= 3.7f) {
    double rounded = RoundFloatToSixDigits(x);
    EXPECT_NEAR(rounded / x, 1.0, 6e-6) << x;
  }
}

TEST(ToText, DateTimeTexts) {
  const double day = 45356;  // 2024-03-05
  auto at = [&](int h, int m, int s) { return rt::Value::DateTime(day + (h * 3600 + m * 60 + s) / 86400.0); };
  EXPECT_EQ(TextOf(at(0, 0, 0)), "2024年3月5日");
  EXPECT_EQ(TextOf(at(14, 7, 0)), "2024年3月5日14时7分");
  EXPECT_EQ(TextOf(at(9, 0, 0)), "2024年3月5日9时");
  EXPECT_EQ(TextOf(at(9, 0, 30)), "2024年3月5日9时0分30秒");
  EXPECT_EQ(TextOf(at(0, 0, 30)), "2024年3月5日0时0分30秒");
  EXPECT_EQ(TextOf(at(0, 5, 0)), "2024年3月5日0时5分");
  EXPECT_EQ(TextOf(at(23, 59, 59)), "2024年3月5日23时59分59秒");
  // Rounded to the nearest second, also across midnight.
  EXPECT_EQ(TextOf(rt::Value::DateTime(day + 0.49 / 86400)), "2024年3月5日");
  EXPECT_EQ(TextOf(rt::Value::DateTime(day + 1 - 0.4 / 86400)), "2024年3月6日");
}

TEST(ToText, DateTimeCalendarAndRange) {
  EXPECT_EQ(TextOf(rt::Value::DateTime(0)), "1899年12月30日");
  EXPECT_EQ(TextOf(rt::Value::DateTime(60)), "1900年2月28日");
  EXPECT_EQ(TextOf(rt::Value::DateTime(61)), "1900年3月1日");
  EXPECT_EQ(TextOf(rt::Value::DateTime(36585)), "2000年2月29日");
  // Before 1899-12-30 the fraction still counts forward from midnight.
  EXPECT_EQ(TextOf(rt::Value::DateTime(-1.25)), "1899年12月29日6时");
  EXPECT_EQ(TextOf(rt::Value::DateTime(rt::kMaxDateTime)), "9999年12月31日");
  EXPECT_EQ(TextOf(rt::Value::DateTime(3e6)), "9999年12月31日");
  EXPECT_EQ(TextOf(rt::Value::DateTime(rt::kMinDateTime)), "100年1月1日");
  EXPECT_EQ(TextOf(rt::Value::DateTime(-1e9)), "100年1月1日");
  EXPECT_EQ(TextOf(rt::Value::DateTime(std::nan(""))), "1899年12月30日");
}

TEST(DateTime, CivilRoundTrip) {
  for (double d : {-657434.0, -1.25, 0.0, 1.75, 45356.5, 2958465.0}) {
    EXPECT_DOUBLE_EQ(CivilToDateTime(DateTimeToCivil(d)), d) << d;
  }
}

}  // namespace
}  // namespace commands
