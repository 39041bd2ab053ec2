// Secrets are wiped on every way their memory can go: destruction (also on
// an early return), reassignment, move, growth. Heap blocks are watched
// through the allocator's observer, called after the wipe and before the
// release; a short text lives inside the object, whose own storage the test
// owns and reads after the destructor ran. No freed memory is ever read.
#include "platform/secret.h"

#include <gtest/gtest.h>

#include <new>
#include <string>
#include <vector>

namespace {

using platform::Secret;

const std::string kLong = "correct horse battery staple, longer than any inline buffer";

std::vector<std::string>& Released() {
  static std::vector<std::string> blocks;
  return blocks;
}
void Record(const void* block, std::size_t bytes) { Released().emplace_back(static_cast<const char*>(block), bytes); }

bool AllZero(const std::string& bytes) { return bytes.find_first_not_of('\0') == std::string::npos; }

// Watches the blocks released while it lives.
class Watch {
 public:
  Watch() {
    Released().clear();
    platform::WipingAllocatorObserver() = Record;
  }
  ~Watch() { platform::WipingAllocatorObserver() = nullptr; }
  // Every block released was all zeros, and there were `at_least` of them.
  static void ExpectWiped(std::size_t at_least) {
    EXPECT_GE(Released().size(), at_least);
    for (const std::string& block : Released()) EXPECT_TRUE(AllZero(block)) << block;
  }
};

// Holds a secret and leaves early on one path, as a handler does when the
// user cancels: the destructor must still wipe.
bool CheckThenUse(bool leave_early, std::size_t* seen) {
  Secret typed(kLong);
  *seen = typed.size();
  if (leave_early) return false;
  typed.Append('!');
  return true;
}

TEST(Secret, WipedWhenDestroyedAndOnAnEarlyReturn) {
  for (bool early : {true, false}) {
    Watch watch;
    std::size_t seen = 0;
    CheckThenUse(early, &seen);
    EXPECT_EQ(seen, kLong.size());
    Watch::ExpectWiped(1);
  }
}

TEST(Secret, ShortTextInsideTheObjectIsWipedToo) {
  // A short password never reaches the allocator: it sits in the object.
  alignas(Secret) unsigned char storage[sizeof(Secret)];
  auto* secret = new (storage) Secret("pw1234");
  ASSERT_EQ(secret->view(), "pw1234");
  secret->~Secret();
  std::string bytes(reinterpret_cast<const char*>(storage), sizeof storage);
  EXPECT_EQ(bytes.find("pw1234"), std::string::npos);
  EXPECT_EQ(bytes.find("pw12"), std::string::npos);
}

TEST(Secret, ReassignmentMoveAndGrowthLeaveNoOldCopy) {
  Watch watch;
  {
    Secret a(kLong);
    a.Assign("short");  // the long buffer is wiped before it can go
    Secret b(kLong + " again");
    a = std::move(b);  // a's old buffer and b's are both wiped
    EXPECT_EQ(a.view(), kLong + " again");
    EXPECT_TRUE(b.empty());
    for (int i = 0; i < 200; ++i) a.Append('x');  // grows: every old buffer goes through the allocator
  }
  Watch::ExpectWiped(2);

  // A moved-from short text keeps nothing in its inline buffer.
  alignas(Secret) unsigned char storage[sizeof(Secret)];
  auto* from = new (storage) Secret("abc123");
  Secret to(std::move(*from));
  EXPECT_EQ(to.view(), "abc123");
  std::string bytes(reinterpret_cast<const char*>(storage), sizeof storage);
  EXPECT_EQ(bytes.find("abc123"), std::string::npos);
  from->~Secret();
}

TEST(Secret, WideFormAndBuffersWipeAlike) {
  Watch watch;
  {
    const wchar_t* typed = L"a wide password typed into a Win32 edit control";
    platform::WideSecret wide(typed);
    platform::SecretBuffer record(600, 'p');
    record.resize(5000, 'q');  // the 600-byte block moves and is wiped
    EXPECT_TRUE(wide == typed);
  }
  Watch::ExpectWiped(3);
}

TEST(Secret, WipeStringCoversSpareCapacity) {
  // A shorter text written over a longer one leaves the longer one's tail in
  // the buffer; WipeString clears the whole capacity.
  std::string text = kLong;
  text.assign("tiny");
  platform::WipeString(&text);
  EXPECT_TRUE(text.empty());
  text.resize(text.capacity());
  EXPECT_TRUE(AllZero(text));
}

}  // namespace
