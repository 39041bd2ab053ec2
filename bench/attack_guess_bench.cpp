// How fast a copy of user.vdb gives up its password: candidate passwords
// per second on one core, each put through the notebook's key derivation,
// the decipher of the header's check field and the comparison, exactly as
// someone holding the file would do it. The two halves are measured apart
// for the operation count behind the GPU estimate in docs/security.md, and
// a memory-hard derivation (Argon2id at interactive settings) stands beside
// them for contrast when libargon2 was found at configure time.
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <cstring>
#include <string>

#include "tests/security/attack_support.h"
#include "tests/security/offline_guess.h"
#include "tests/support/temp_folder.h"

#ifdef QK_HAVE_ARGON2
#include <argon2.h>
#endif

namespace {

constexpr const char* kPassword = "zz9!kq";  // never among the candidates

// The check field of a notebook protected with kPassword, made once.
const security::CheckField& Field() {
  static const security::CheckField field = [] {
    qktest::TempFolder folder;
    std::string path = folder.File("user.vdb");
    std::array<char, 32> key = security::NotebookKey(kPassword);
    security::CheckField read{};
    if (!security::MakeNotebook(path, {{"bank", "https://bank.example/", "me", "pin", ""}}, std::string(key.data(), 32)) ||
        !security::ReadCheckField(path, &read))
      std::abort();
    // The benchmark is worth nothing if the check does not work.
    if (!security::OfflineGuesser(read).Try(kPassword)) std::abort();
    return read;
  }();
  return field;
}

// Candidates of `length` lower-case letters, a different one every time, as
// a brute-force or dictionary run would feed them.
class Candidates {
 public:
  explicit Candidates(std::size_t length) : text_(length, 'a') {}
  std::string_view Next() {
    for (std::size_t i = text_.size(); i-- > 0;) {
      if (++text_[i] <= 'z') break;
      text_[i] = 'a';
    }
    return text_;
  }

 private:
  std::string text_;
};

void BM_GuessPerCore(benchmark::State& state) {
  security::OfflineGuesser guesser(Field());
  Candidates candidates(static_cast<std::size_t>(state.range(0)));
  std::int64_t hits = 0;
  for (auto _ : state) hits += guesser.Try(candidates.Next());
  if (hits != 0) state.SkipWithError("a candidate matched");
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_GuessPerCore)->Arg(6)->Arg(8)->Arg(12)->ArgName("length");

// The key derivation alone (MD5, DES, MD5).
void BM_KeyDerivation(benchmark::State& state) {
  Candidates candidates(8);
  for (auto _ : state) benchmark::DoNotOptimize(security::NotebookKey(candidates.Next()));
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_KeyDerivation);

// The header check alone for a given key (MD5, two RC4 key schedules).
void BM_HeaderCheck(benchmark::State& state) {
  security::OfflineGuesser guesser(Field());
  std::string key = "00000000000000000000000000000000";
  Candidates suffix(8);
  for (auto _ : state) {
    std::memcpy(key.data(), suffix.Next().data(), 8);
    benchmark::DoNotOptimize(guesser.TryKey(key));
  }
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_HeaderCheck);

#ifdef QK_HAVE_ARGON2
// Argon2id with the interactive settings (2 passes over 64 MiB, one lane),
// a 16-byte salt and a 32-byte result: what one guess would cost if the
// file's key were derived that way.
void BM_Argon2idInteractive(benchmark::State& state) {
  const std::uint8_t salt[16] = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16};
  std::uint8_t out[32];
  Candidates candidates(8);
  for (auto _ : state) {
    std::string_view candidate = candidates.Next();
    if (argon2id_hash_raw(2, 1 << 16, 1, candidate.data(), candidate.size(), salt, sizeof salt, out, sizeof out) !=
        ARGON2_OK) {
      state.SkipWithError("argon2id failed");
      break;
    }
    benchmark::DoNotOptimize(out);
  }
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_Argon2idInteractive)->Unit(benchmark::kMillisecond);
#endif

}  // namespace
