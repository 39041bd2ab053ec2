// Memo and bytes values in the auxiliary file: block counts, reuse, the free
// list and trimming the file's tail.
#include <cstring>
#include <filesystem>

#include "db/aux_file.h"
#include "db/format.h"
#include "tests/db/db_test_support.h"

namespace {

using namespace dbtest;
namespace cmd = db::commands;

const FieldArray kMemoTable = {{"Title", 10, 20}, {"Body", 12, 0}, {"Blob", 11, 0}};

class Chains : public EngineTest {
 protected:
  void SetUp() override {
    path_ = folder_.File("notes.vdb");
    ASSERT_TRUE(Create(path_, kMemoTable));
    ASSERT_TRUE(std::filesystem::exists(folder_.File("notes.VDT")));
    ASSERT_TRUE(Open(path_));
  }
  db::AuxHeader Header() {
    unsigned char raw[db::kAuxHeaderSize];
    EXPECT_EQ(db::CurrentDatabase()->aux->ReadExact(0, raw, sizeof raw, -1), 0);
    return db::AuxHeader::Decode(raw);
  }
  std::uint64_t AuxSize() {
    std::uint64_t size = 0;
    EXPECT_EQ(db::CurrentDatabase()->aux->Size(&size), 0);
    return size;
  }
  void WriteBody(std::size_t length, char fill) {
    std::string text(length, fill);
    ASSERT_TRUE(Call(cmd::WriteField, {Text("Body"), Text(text.c_str())}).lo) << db::LastError();
  }
  std::string path_;
};

TEST_F(Chains, BlockCountsFollowTheLength) {
  std::string exact(500, 'x');
  ASSERT_TRUE(Call(cmd::AddRecord, {Text("t"), Text(exact.c_str())}).lo);
  EXPECT_EQ(Header().block_count, 2);
  EXPECT_EQ(ReadText(Text("body")), exact);
  WriteBody(501, 'y');
  EXPECT_EQ(Header().block_count, 3);
  EXPECT_EQ(ReadText(Text("body")), std::string(501, 'y'));
  unsigned char second[db::kBlockHeader];
  ASSERT_EQ(db::CurrentDatabase()->aux->ReadExact(2 * db::kBlockSize, second, sizeof second, -1), 0);
  EXPECT_EQ(db::GetI32(second), 1);      // prev
  EXPECT_EQ(db::GetI32(second + 4), 0);  // next
  EXPECT_EQ(db::GetI32(second + 8), 1);  // used
  // An empty memo adds no block and stores 0.
  ASSERT_TRUE(Call(cmd::AddRecord, {Text("u"), Text("")}).lo);
  EXPECT_EQ(Header().block_count, 3);
  EXPECT_EQ(ReadText(Text("body")), "");
}

TEST_F(Chains, ShrinkingTheLastValueTrimsTheFile) {
  ASSERT_TRUE(Call(cmd::AddRecord, {Text("a"), Text(std::string(1200, 'a').c_str())}).lo);
  EXPECT_EQ(Header().block_count, 4);
  WriteBody(10, 'b');
  db::AuxHeader h = Header();
  EXPECT_EQ(h.block_count, 2);
  EXPECT_EQ(h.free_count, 0);
  EXPECT_EQ(h.free_head, 0);
  EXPECT_EQ(AuxSize(), 2 * db::kBlockSize);
  WriteBody(0, 'c');
  EXPECT_EQ(Header().block_count, 1);
  EXPECT_EQ(AuxSize(), db::kBlockSize);
}

TEST_F(Chains, FreedBlocksAreReusedBeforeTheFileGrows) {
  ASSERT_TRUE(Call(cmd::AddRecord, {Text("a"), Text(std::string(1000, 'a').c_str())}).lo);  // blocks 1, 2
  ASSERT_TRUE(Call(cmd::AddRecord, {Text("b"), Text(std::string(100, 'b').c_str())}).lo);   // block 3
  Call(cmd::GoToRecord, {Int(1)});
  WriteBody(0, 'x');  // frees 1 and 2: not at the end, so no trim
  db::AuxHeader h = Header();
  EXPECT_EQ(h.block_count, 4);
  EXPECT_EQ(h.free_count, 2);
  EXPECT_EQ(h.free_head, 1);
  ASSERT_TRUE(Call(cmd::AddRecord, {Text("c"), Text(std::string(600, 'c').c_str())}).lo);
  h = Header();
  EXPECT_EQ(h.block_count, 4);
  EXPECT_EQ(h.free_count, 0);
  EXPECT_EQ(ReadText(Text("body")), std::string(600, 'c'));
  Call(cmd::GoToRecord, {Int(2)});
  EXPECT_EQ(ReadText(Text("body")), std::string(100, 'b'));
}

TEST_F(Chains, BytesValuesAndPurgeFreesChains) {
  unsigned char data[700];
  for (int i = 0; i < 700; ++i) data[i] = static_cast<unsigned char>(i * 7);
  void* block = rt::MakeBytes(data, sizeof data);
  ASSERT_TRUE(Call(cmd::AddRecord, {Text("a"), rt::Value{}, rt::Value::Pointer(block, rt::type::kBytes)}).lo);
  rt::FreeMemory(block);
  rt::Value back = Call(cmd::ReadField, {Text("blob")});
  ASSERT_EQ(back.type, rt::type::kBytes);
  ASSERT_EQ(rt::BytesLength(back.pointer()), 700);
  EXPECT_EQ(std::memcmp(rt::BytesData(back.pointer()), data, 700), 0);
  rt::FreeValue(back);
  EXPECT_FALSE(Call(cmd::WriteField, {Text("blob"), Text("x")}).lo);
  EXPECT_EQ(db::LastError(), -72);

  ASSERT_TRUE(Call(cmd::DeleteRecord).lo);
  ASSERT_TRUE(Call(cmd::PurgeDeletedRecords).lo);
  EXPECT_EQ(Header().block_count, 1);
  EXPECT_EQ(AuxSize(), db::kBlockSize);
  EXPECT_EQ(db::CurrentDatabase()->aux->held_positions(), 0u);
}

TEST_F(Chains, ABrokenChainIsAnErrorNotACrash) {
  ASSERT_TRUE(Call(cmd::AddRecord, {Text("a"), Text(std::string(900, 'a').c_str())}).lo);
  db::DbFile& aux = *db::CurrentDatabase()->aux;
  unsigned char loop[4];
  db::PutI32(loop, 1);
  ASSERT_EQ(aux.WriteAt(1 * db::kBlockSize + 4 + db::kBlockSize, loop, 4), 0);  // block 2 -> block 1
  rt::Value v = Call(cmd::ReadField, {Text("body")});
  EXPECT_EQ(db::LastError(), -59);
  EXPECT_EQ(v.pointer(), nullptr);
  db::PutI32(loop, 77);  // beyond the file
  ASSERT_EQ(aux.WriteAt(db::kBlockSize + 4, loop, 4), 0);
  Call(cmd::ReadField, {Text("body")});
  EXPECT_EQ(db::LastError(), -59);
  EXPECT_EQ(aux.held_positions(), 0u);
  EXPECT_FALSE(Call(cmd::WriteField, {Text("body"), Text("new")}).lo);
  EXPECT_EQ(db::LastError(), -59);
}

TEST_F(Chains, ADamagedFreeLinkNeverSendsAWriteOutsideTheFile) {
  ASSERT_TRUE(Call(cmd::AddRecord, {Text("a"), Text("first")}).lo);                          // block 1
  ASSERT_TRUE(Call(cmd::AddRecord, {Text("b"), Text(std::string(900, 'b').c_str())}).lo);  // blocks 2, 3
  Call(cmd::GoToRecord, {Int(1)});
  WriteBody(0, 'x');  // block 1 goes to the free list
  db::DbFile& aux = *db::CurrentDatabase()->aux;
  // The free block's next link points half a terabyte away.
  unsigned char far[4];
  db::PutI32(far, 1 << 30);
  ASSERT_EQ(aux.WriteAt(1 * db::kBlockSize + 4, far, 4), 0);
  const std::uint64_t before = AuxSize();
  // Shrinking the last chain frees the tail, whose trim meets that link.
  Call(cmd::GoToRecord, {Int(2)});
  EXPECT_FALSE(Call(cmd::WriteField, {Text("body"), Text("")}).lo);
  EXPECT_EQ(db::LastError(), -59);
  EXPECT_LE(AuxSize(), before);
  EXPECT_EQ(aux.held_positions(), 0u);
}

}  // namespace
