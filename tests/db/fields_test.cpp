// Field lists, the name rule and the value conversions of the codec.
#include <cmath>

#include "db/codec.h"
#include "db/field.h"
#include "db/paths.h"
#include "tests/db/db_test_support.h"

namespace {

using db::FieldSpec;

int Lay(std::vector<FieldSpec> field_specs, std::int32_t* record_size = nullptr) {
  std::vector<db::FieldDesc> fields;
  std::int32_t size = 0;
  int code = db::LayOutFields(field_specs, &fields, &size);
  if (record_size) *record_size = size;
  return code;
}

TEST(FieldList, ValidationCodesAndLayout) {
  std::int32_t size = 0;
  EXPECT_EQ(Lay({}), -16);
  EXPECT_EQ(Lay({{"", 3, 0}, {"b", 3, 0}}), -16);
  // Cut at the first empty name: two fields.
  EXPECT_EQ(Lay({{"a", 3, 0}, {"b", 10, 5}, {"", 99, 0}, {"bad name", 3, 0}}, &size), 0);
  EXPECT_EQ(size, 4 + 4 + 5);
  EXPECT_EQ(Lay({{"a", 0, 0}}), -17);
  EXPECT_EQ(Lay({{"a", 13, 0}}), -17);
  EXPECT_EQ(Lay({{"a", 10, 0}}), -19);
  EXPECT_EQ(Lay({{"a", 10, 1025}}), -19);
  EXPECT_EQ(Lay({{"a", 10, 1024}}), 0);
  EXPECT_EQ(Lay({{"Name", 3, 0}, {"NAME", 3, 0}}), -20);
  // The name is checked before the type, the type before the size.
  EXPECT_EQ(Lay({{"1a", 0, 0}}), -18);
  EXPECT_EQ(Lay({{"a", 0, 0}, {"a", 3, 0}}), -17);
  EXPECT_EQ(Lay({{"abcdefghijklmnop", 3, 0}}), 0);    // 16 bytes
  EXPECT_EQ(Lay({{"abcdefghijklmnopq", 3, 0}}), -18);  // 17 bytes
  // The notebook's layout: 2576-byte records.
  EXPECT_EQ(Lay({{"id", 3, 0}, {"WebName", 10, 512}, {"WebUrl", 10, 512}, {"UserName", 10, 512},
                 {"PassWord", 10, 512}, {"Remarks", 10, 512}, {"Time", 8, 512}},
                &size),
            0);
  EXPECT_EQ(size, 2576);
}

TEST(FieldList, NameRule) {
  EXPECT_TRUE(db::IsValidName("_x"));
  EXPECT_TRUE(db::IsValidName("WebName2"));
  EXPECT_TRUE(db::IsValidName("网站名称"));
  EXPECT_TRUE(db::IsValidName("Ａ１"));     // full-width letter, then digit
  EXPECT_FALSE(db::IsValidName("１Ａ"));    // full-width digit first
  EXPECT_FALSE(db::IsValidName("1a"));
  EXPECT_FALSE(db::IsValidName(".a"));
  EXPECT_FALSE(db::IsValidName("a b"));
  EXPECT_FALSE(db::IsValidName("a-b"));
  EXPECT_FALSE(db::IsValidName("a，"));  // full-width punctuation
  EXPECT_FALSE(db::IsValidName(""));
  EXPECT_FALSE(db::IsValidName("a\xB0"));  // a lead byte without its trail
  EXPECT_TRUE(db::NamesEqual("PassWord", "password"));
  EXPECT_TRUE(db::NamesEqual("名a", "名A"));
  EXPECT_FALSE(db::NamesEqual("名", "吗"));
  EXPECT_FALSE(db::NamesEqual("ab", "abc"));
}

TEST(Paths, DefaultExtensionAuxiliaryAndShortName) {
  EXPECT_EQ(db::WithDefaultExtension("c:\\x\\user"), "c:\\x\\user.VDB");
  EXPECT_EQ(db::WithDefaultExtension("c:\\x\\user."), "c:\\x\\user.VDB");
  EXPECT_EQ(db::WithDefaultExtension("c:\\x.d\\user.dat"), "c:\\x.d\\user.dat");
  EXPECT_EQ(db::WithDefaultExtension("/x.d/user"), "/x.d/user.VDB");
  EXPECT_EQ(db::WithExtension("c:\\x.d\\user.vdb", "VDT"), "c:\\x.d\\user.VDT");
  EXPECT_EQ(db::ShortName("c:\\x.d\\user.vdb"), "user");
  EXPECT_EQ(db::ShortName("/a/b.c.vdb"), "b.c");
  EXPECT_TRUE(db::SamePath("C:\\A\\USER.VDB", "c:\\a\\user.vdb"));
}

db::FieldDesc Field(std::int32_t type, std::int32_t text_size = 0) {
  db::FieldDesc f;
  f.type = type;
  f.text_size = text_size;
  return f;
}

// Encodes and decodes one value, returning the decoded value.
rt::Value RoundTrip(const db::FieldDesc& f, const rt::Value& in) {
  EXPECT_EQ(db::CheckValueType(f, in), 0);
  std::vector<unsigned char> bytes(static_cast<std::size_t>(f.stored_size()));
  db::EncodeFixed(f, in, bytes.data());
  return db::DecodeFixed(f, bytes.data());
}

TEST(Codec, NumericConversions) {
  EXPECT_EQ(RoundTrip(Field(db::ftype::kInt), rt::Value::Double(12.9)).as_int(), 12);
  EXPECT_EQ(RoundTrip(Field(db::ftype::kInt), rt::Value::Double(-12.9)).as_int(), -12);
  EXPECT_EQ(RoundTrip(Field(db::ftype::kByte), rt::Value::Int(300)).lo & 0xFF, 44u);
  EXPECT_EQ(RoundTrip(Field(db::ftype::kDouble), rt::Value::Int(7)).as_double(), 7.0);
  EXPECT_EQ(RoundTrip(Field(db::ftype::kInt64), rt::Value::Int(-2)).as_int64(), -2);  // sign-extended
  rt::Value byte_value{200, 0, rt::type::kByte};
  EXPECT_EQ(RoundTrip(Field(db::ftype::kInt), byte_value).as_int(), 200);  // Byte is unsigned
  EXPECT_EQ(RoundTrip(Field(db::ftype::kShort), rt::Value::Int(70000)).lo & 0xFFFF, 70000u & 0xFFFF);
  EXPECT_FLOAT_EQ(RoundTrip(Field(db::ftype::kFloat), rt::Value::Double(0.1)).as_float(), 0.1f);
  EXPECT_EQ(RoundTrip(Field(db::ftype::kBool), rt::Value{5, 0, rt::type::kBool}).lo, 1u);
  EXPECT_EQ(db::CheckValueType(Field(db::ftype::kInt), rt::Value::Text("5")), -72);
  EXPECT_EQ(db::CheckValueType(Field(db::ftype::kText, 5), rt::Value::Int(5)), -72);
  EXPECT_EQ(db::CheckValueType(Field(db::ftype::kBool), rt::Value::Int(1)), -72);
  EXPECT_EQ(db::CheckValueType(Field(db::ftype::kDateTime), rt::Value::Double(1.0)), -72);
  EXPECT_EQ(db::CheckValueType(Field(db::ftype::kInt), rt::Value{0, 0, rt::type::kInt | rt::type::kArrayFlag}), -72);
}

TEST(Codec, TextsDatesAndEmptyValues) {
  db::FieldDesc text10 = Field(db::ftype::kText, 10);
  rt::Value ten = RoundTrip(text10, rt::Value::Text("0123456789"));
  EXPECT_STREQ(ten.text(), "0123456789");  // stored without terminator
  rt::FreeValue(ten);
  rt::Value longer = RoundTrip(text10, rt::Value::Text("0123456789abc"));
  EXPECT_STREQ(longer.text(), "0123456789");
  rt::FreeValue(longer);
  rt::Value empty = RoundTrip(text10, rt::Value::Text(nullptr));
  EXPECT_EQ(empty.text(), nullptr);
  EXPECT_EQ(empty.type, rt::type::kText);

  EXPECT_EQ(RoundTrip(Field(db::ftype::kDateTime), rt::Value::DateTime(3000000)).as_double(), 2958465.0);
  EXPECT_EQ(RoundTrip(Field(db::ftype::kDateTime), rt::Value::DateTime(-1e9)).as_double(), -657434.0);
  EXPECT_EQ(RoundTrip(Field(db::ftype::kDateTime), rt::Value::DateTime(std::nan(""))).as_double(), -657434.0);
  // The last and the first day keep their time (23:59:59 and 12:00); the
  // day after the last clamps to the last day itself.
  const double last_second = 2958465.0 + 86399.0 / 86400.0;
  EXPECT_EQ(RoundTrip(Field(db::ftype::kDateTime), rt::Value::DateTime(last_second)).as_double(), last_second);
  EXPECT_EQ(RoundTrip(Field(db::ftype::kDateTime), rt::Value::DateTime(-657434.5)).as_double(), -657434.5);
  EXPECT_EQ(RoundTrip(Field(db::ftype::kDateTime), rt::Value::DateTime(2958466.0)).as_double(), 2958465.0);
  EXPECT_EQ(RoundTrip(Field(db::ftype::kDateTime), rt::Value::DateTime(-657435.0)).as_double(), -657434.0);
  EXPECT_EQ(db::EmptyValue(Field(db::ftype::kBytes)).type, rt::type::kBytes);
}

// The stored bytes of each fixed-size type, as database files hold them:
// little-endian integers, IEEE floats, least significant byte first.
TEST(Codec, StoredBytesAreLittleEndian) {
  struct Case {
    std::int32_t type;
    rt::Value value;
    std::vector<unsigned char> stored;
    std::uint32_t lo, hi;  // the value read back
  };
  const Case cases[] = {
      {db::ftype::kByte, rt::Value::Int(0xAB), {0xAB}, 0xAB, 0},
      {db::ftype::kShort, rt::Value::Int(0x1234), {0x34, 0x12}, 0x1234, 0},
      {db::ftype::kInt, rt::Value::Int(-2), {0xFE, 0xFF, 0xFF, 0xFF}, 0xFFFFFFFE, 0},
      {db::ftype::kInt64, rt::Value{0x05060708, 0x01020304, rt::type::kInt64}, {8, 7, 6, 5, 4, 3, 2, 1}, 0x05060708, 0x01020304},
      {db::ftype::kFloat, rt::Value::Double(1.0), {0x00, 0x00, 0x80, 0x3F}, 0x3F800000, 0},
      {db::ftype::kDouble, rt::Value::Double(-2.0), {0, 0, 0, 0, 0, 0, 0x00, 0xC0}, 0, 0xC0000000},
      {db::ftype::kDateTime, rt::Value::DateTime(1.5), {0, 0, 0, 0, 0, 0, 0xF8, 0x3F}, 0, 0x3FF80000},
      {db::ftype::kSubPtr, rt::Value{0x01020304, 0, rt::type::kSubPtr}, {4, 3, 2, 1}, 0x01020304, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.type);
    const db::FieldDesc f = Field(c.type);
    std::vector<unsigned char> bytes(static_cast<std::size_t>(f.stored_size()));
    ASSERT_EQ(bytes.size(), c.stored.size());
    db::EncodeFixed(f, c.value, bytes.data());
    EXPECT_EQ(bytes, c.stored);
    const rt::Value back = db::DecodeFixed(f, c.stored.data());
    EXPECT_EQ(back.type, db::ValueTypeOf(c.type));
    EXPECT_EQ(back.lo, c.lo);
    EXPECT_EQ(back.hi, c.hi);
  }
}

}  // namespace
