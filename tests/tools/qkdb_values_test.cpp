// Values are checked against their field before anything is stored: what
// does not fit is refused with the field and what it holds named, exit 1,
// and the files stay byte for byte as they were.
#include <gtest/gtest.h>

#include "tests/tools/qkdb_test_support.h"

namespace qkdbtest {
namespace {

class Values : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(Qkdb({"create", path_, "b:1", "s:2", "i:3", "l:4", "f:5", "d:6", "ok:7", "when:8", "sub:9", "name:10:8",
                    "raw:11", "memo:12"})
                  .code,
              0);
  }
  // Both files as they are now.
  std::string Files() const { return ReadFileBytes(path_) + ReadFileBytes(folder_.File("types.VDT")); }

  // `add` with `value` in field `column` (0-based) and valid values
  // elsewhere.
  Outcome AddWith(std::size_t column, const std::string& value, const std::vector<std::string>& extra = {}) {
    std::vector<std::string> values = {"1", "2", "3", "4", "5", "6", "true", "2024-01-02", "7", "x", "00", "m"};
    values[column] = value;
    std::vector<std::string> args = {"add", path_};
    args.insert(args.end(), values.begin(), values.end());
    args.insert(args.end(), extra.begin(), extra.end());
    return Qkdb(args);
  }

  std::string Dump() { return Qkdb({"dump", path_}).out; }

  qktest::TempFolder folder_;
  std::string path_ = folder_.File("types.vdb");
};

TEST_F(Values, OutOfRangeAndNonFiniteAreRefusedNamingTheFieldAndTheRange) {
  struct Case {
    std::size_t column;
    const char* value;
    const char* said;
  } const cases[] = {
      {0, "300", "field b: '300' is outside what a Byte field holds (0 to 255)"},
      {0, "-1", "field b: '-1' is outside what a Byte field holds (0 to 255)"},
      {1, "70000", "field s: '70000' is outside what a Short field holds (-32768 to 32767)"},
      {2, "99999999999", "field i: '99999999999' is outside what a Int field holds (-2147483648 to 2147483647)"},
      {2, "2147483648", "(-2147483648 to 2147483647)"},
      {3, "9223372036854775808", "field l: '9223372036854775808' is outside what a Int64 field holds"},
      {8, "-1", "field sub: '-1' is outside what a SubPtr field holds (0 to 4294967295)"},
      {4, "1e39", "field f: '1e39' is outside what a Float field holds"},
      {4, "1e-50", "no closer to 0 than 1.4e-45"},
      {5, "1e400", "field d: '1e400' is outside what a Double field holds"},
      {5, "nan", "field d: 'nan' is not a finite number"},
      {5, "inf", "field d: 'inf' is not a finite number"},
      {4, "-infinity", "field f: '-infinity' is not a finite number"},
      {2, "12.5", "field i: '12.5' is not a whole number"},
      {7, "0099-12-31", "field when: '0099-12-31' is outside what a DateTime field holds (0100-01-01 00:00:00 to "
                        "9999-12-31 23:59:59)"},
      {7, "10000-01-01", "outside what a DateTime field holds"},
      {7, "2023-02-30", "field when: '2023-02-30' is not a date"},
      {9, "123456789", "field name: the text is 9 bytes in GBK; the field holds 8 (--truncate cuts it)"},
      {9, "\xF0\x9F\x98\x80", "field name: holds U+1F600"},
      {11, "\xED\x95\x9C\xEA\xB8\x80", "field memo: holds U+D55C"},  // Korean: no GBK form
  };
  const std::string before = Files();
  for (const Case& c : cases) {
    SCOPED_TRACE(c.value);
    Outcome refused = AddWith(c.column, c.value);
    EXPECT_EQ(refused.code, 1);
    EXPECT_NE(refused.err.find(c.said), std::string::npos) << refused.err;
    EXPECT_NE(refused.err.find("nothing was added"), std::string::npos);
    EXPECT_EQ(refused.err.find("--help"), std::string::npos) << "a value error is no usage error";
  }
  EXPECT_EQ(Files(), before) << "a refused value changed the files";
}

TEST_F(Values, TheEdgesOfEachRangeAreStoredExactly) {
  ASSERT_EQ(Qkdb({"add", path_, "255", "-32768", "-2147483648", "-9223372036854775808", "3.4028235e38",
                  "-1.7976931348623157e308", "false", "9999-12-31 23:59:59", "4294967295", "12345678", "ff", ""})
                .code,
            0);
  ASSERT_EQ(Qkdb({"add", path_, "0", "32767", "2147483647", "9223372036854775807", "-1.5", "4.9e-324", "true",
                  "0100-01-01 00:00:00", "0", "", "", U8(u8"长的备注")})
                .code,
            0);
  const std::string dump = Dump();
  EXPECT_NE(dump.find(R"("b":255,"s":-32768,"i":-2147483648,"l":-9223372036854775808,"f":3.4028234663852886e+38,)"
                      R"("d":-1.7976931348623157e+308,"ok":false,"when":"9999-12-31 23:59:59","sub":4294967295,)"
                      R"("name":"12345678")"),
            std::string::npos)
      << dump;
  EXPECT_NE(dump.find(R"("b":0,"s":32767,"i":2147483647,"l":9223372036854775807,"f":-1.5,"d":4.9406564584124654e-324,)"
                      R"("ok":true,"when":"0100-01-01 00:00:00")"),
            std::string::npos)
      << dump;
}

TEST_F(Values, TruncateCutsWholeCharactersAndSaysSo) {
  // Nine bytes of Chinese text in an eight-byte field: four characters fit.
  Outcome cut = AddWith(9, U8(u8"第一条记x"), {"--truncate"});
  ASSERT_EQ(cut.code, 0) << cut.err;
  EXPECT_NE(cut.err.find("field name: cut to 8 bytes (it was 9 bytes"), std::string::npos) << cut.err;
  EXPECT_NE(Dump().find(U8(u8"\"name\":\"第一条记\"")), std::string::npos);
  // Seven bytes of room for a double-byte character: it is dropped whole.
  cut = AddWith(9, U8(u8"abcdefg一"), {"--truncate"});
  ASSERT_EQ(cut.code, 0);
  EXPECT_NE(Dump().find("\"name\":\"abcdefg\""), std::string::npos);
  // --truncate does not let a character GBK lacks through.
  EXPECT_EQ(AddWith(9, "a\xF0\x9F\x98\x80", {"--truncate"}).code, 1);
}

TEST_F(Values, SetChecksTheValueLikeAdd) {
  ASSERT_EQ(AddWith(0, "1").code, 0);
  const std::string before = Files();
  Outcome refused = Qkdb({"set", path_, "1", "b", "256"});
  EXPECT_EQ(refused.code, 1);
  EXPECT_NE(refused.err.find("field b: '256' is outside what a Byte field holds (0 to 255); nothing was written"),
            std::string::npos)
      << refused.err;
  EXPECT_EQ(Qkdb({"set", path_, "1", "name", "\xF0\x9F\x98\x80"}).code, 1);
  EXPECT_EQ(Files(), before);
  EXPECT_EQ(Qkdb({"set", path_, "1", "when", "9999-12-31 23:59:59"}).code, 0);
  EXPECT_NE(Dump().find("\"when\":\"9999-12-31 23:59:59\""), std::string::npos);
}

}  // namespace
}  // namespace qkdbtest
