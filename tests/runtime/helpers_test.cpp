#include <gtest/gtest.h>

#include <cstring>

#include "runtime/helpers.h"
#include "runtime/memory.h"

namespace rt {
namespace {

TEST(CompareTexts, NullEqualsEmptyAndBytesAreUnsigned) {
  EXPECT_EQ(CompareTexts(nullptr, ""), 0);
  EXPECT_EQ(CompareTexts("", nullptr), 0);
  EXPECT_EQ(CompareTexts(nullptr, nullptr), 0);
  EXPECT_EQ(CompareTexts(nullptr, "a"), -1);
  EXPECT_EQ(CompareTexts("a", nullptr), 1);
  EXPECT_EQ(CompareTexts("\xB0", "A"), 1);
  EXPECT_EQ(CompareTexts("ab", "abc"), -1);
  EXPECT_EQ(CompareTexts("abc", "abc"), 0);
  EXPECT_EQ(CompareTexts("a", "A"), 1);  // no case folding
}

TEST(ConcatTexts, NeverNullAndKeepsOrder) {
  OwnedText empty(ConcatTexts({nullptr, nullptr, nullptr}));
  ASSERT_NE(empty, nullptr);
  EXPECT_EQ(empty.get()[0], '\0');
  OwnedText joined(ConcatTexts({"帐号", nullptr, "：", "x"}));
  EXPECT_STREQ(joined.get(), "帐号：x");
}

TEST(CopyHelpers, EmptyResultsAreNull) {
  EXPECT_EQ(CopyText(nullptr), nullptr);
  EXPECT_EQ(CopyText(""), nullptr);
  EXPECT_EQ(CopyTextN("abc", 0), nullptr);
  EXPECT_EQ(MakeBytes("abc", 0), nullptr);
  OwnedText part(CopyTextN("a\0c", 3));
  EXPECT_EQ(std::memcmp(part.get(), "a\0c\0", 4), 0);

  Owned<void> bytes(MakeBytes("xyz", 3));
  std::int32_t header[2];
  std::memcpy(header, bytes.get(), 8);
  EXPECT_EQ(header[0], 1);
  EXPECT_EQ(header[1], 3);
  EXPECT_EQ(std::memcmp(BytesData(bytes.get()), "xyz", 3), 0);
}

TEST(ValueFromRaw, ClampsDatesStopsTextsAtZeroAndNormalisesBools) {
  Value v;
  double far = 3000000.0;
  EXPECT_EQ(ValueFromRaw(type::kDateTime, &far, 8, &v), 8u);
  EXPECT_EQ(v.as_double(), kMaxDateTime);
  double before = -1e9;
  ValueFromRaw(type::kDateTime, &before, 8, &v);
  EXPECT_EQ(v.as_double(), kMinDateTime);

  const char stored[] = {'a', 'b', 0, 'c', 'd'};
  EXPECT_EQ(ValueFromRaw(type::kText, stored, 5, &v), 3u);
  EXPECT_STREQ(v.text(), "ab");
  FreeValue(v);
  EXPECT_EQ(ValueFromRaw(type::kText, stored, 2, &v), 2u);  // no zero within n
  EXPECT_STREQ(v.text(), "ab");
  FreeValue(v);
  EXPECT_EQ(ValueFromRaw(type::kText, stored, 0, &v), 0u);
  EXPECT_EQ(v.pointer(), nullptr);

  std::uint32_t word = 0x100;
  ValueFromRaw(type::kBool, &word, 4, &v);
  EXPECT_EQ(v.lo, 1u);
  std::int16_t shorty = -2;
  EXPECT_EQ(ValueFromRaw(type::kShort, &shorty, 2, &v), 2u);
  EXPECT_EQ(static_cast<std::int16_t>(v.lo), -2);
}

TEST(ValueData, ReportsTheDatumBytes) {
  Value i = Value::Int(7);
  EXPECT_EQ(ValueData(i).size, 4u);
  Value d = Value::DateTime(1.5);
  EXPECT_EQ(ValueData(d).size, 8u);
  Value t = Value::Text("abc");
  EXPECT_EQ(ValueData(t).size, 4u);
  Value none;
  EXPECT_EQ(ValueData(none).size, 0u);
  Owned<void> bytes(MakeBytes("xyz", 3));
  Value b = Value::Pointer(bytes.get(), type::kBytes);
  EXPECT_EQ(ValueData(b).size, 3u);
}

TEST(TypeCodes, ClassesAndNumericSizes) {
  EXPECT_EQ(TypeClass(0), 0);
  EXPECT_EQ(TypeClass(type::kText), 1);
  EXPECT_EQ(TypeClass(0x40000001), 2);
  EXPECT_EQ(TypeClass(type::kListView), 3);
  EXPECT_EQ(TypeClass(0xC0000000), 3);
  EXPECT_TRUE(IsNumericType(type::kByte));
  EXPECT_TRUE(IsNumericType(type::kDouble));
  EXPECT_FALSE(IsNumericType(type::kBool));
  EXPECT_FALSE(IsNumericType(0x80000701));
  EXPECT_FALSE(IsNumericType(type::kText | type::kArrayFlag));
  const int sizes[] = {1, 2, 4, 8, 4, 8};
  const TypeCode codes[] = {type::kByte, type::kShort, type::kInt, type::kInt64, type::kFloat, type::kDouble};
  for (int i = 0; i < 6; ++i) EXPECT_EQ(NumericSize(codes[i]), sizes[i]);
  EXPECT_EQ(NumericSize(type::kDateTime), 0);
}

TEST(Arrays, ElementsAndFreeingTextElements) {
  // One dimension of 2 text elements; freeing must release both (LSan).
  auto* block = static_cast<std::int32_t*>(AllocMemory(8 + 2 * sizeof(void*)));
  block[0] = 1;
  block[1] = 2;
  ArrayView view = ArrayElements(block);
  ASSERT_EQ(view.count, 2u);
  auto** elements = static_cast<char**>(view.elements);
  elements[0] = CopyText("one");
  elements[1] = nullptr;
  FreeArrayValue(type::kText | type::kArrayFlag, block);

  std::int32_t two_d[] = {2, 3, 4};
  EXPECT_EQ(ArrayElements(two_d).count, 12u);
}

TEST(PushOmitted, AppendsZeroCells) {
  std::vector<Value> args{Value::Int(1)};
  PushOmitted(args, 2);
  ASSERT_EQ(args.size(), 3u);
  EXPECT_TRUE(args[1].omitted());
  EXPECT_EQ(args[2].lo, 0u);
  Value odd{5, 5, 0};
  EXPECT_TRUE(odd.omitted());  // type code 0 alone decides
}

Value YieldTrue(std::uint32_t word) { return Value::Bool(word != 0); }

TEST(EvaluateCondition, BoolsAndStatements) {
  EXPECT_TRUE(EvaluateCondition(Value::Bool(true)));
  EXPECT_FALSE(EvaluateCondition(Value{0, 0, type::kBool}));
  EXPECT_TRUE(EvaluateCondition(Value{42, 0, type::kBool}));
  Statement statement{YieldTrue, 9};
  EXPECT_TRUE(EvaluateCondition(Value::Pointer(&statement, type::kStatement)));
  statement.word = 0;
  EXPECT_FALSE(EvaluateCondition(Value::Pointer(&statement, type::kStatement)));
}

}  // namespace
}  // namespace rt
