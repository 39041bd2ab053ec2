// The file cipher alone: deciphering a record-sized range at a random
// position must cost the same near the start of a file and far into it.
#include <benchmark/benchmark.h>

#include <random>
#include <vector>

#include "db/cipher.h"

namespace {

// Random 200-byte ranges within the first `range(0)` bytes of a file.
void BM_DecipherRandomRecord(benchmark::State& state) {
  db::CipherState cipher = db::MakeCipherState("benchmark password");
  const std::uint64_t file_size = static_cast<std::uint64_t>(state.range(0));
  std::mt19937_64 rng(1);
  std::vector<std::uint8_t> record(200);
  for (auto _ : state) {
    std::uint64_t pos = 4 + rng() % (file_size - 204);
    cipher.Apply(pos, record.data(), record.size());
    benchmark::DoNotOptimize(record.data());
  }
}
BENCHMARK(BM_DecipherRandomRecord)->Arg(1 << 16)->Arg(4 << 20)->Arg(64 << 20)->Arg(1 << 30);

// Records one after another, as a list loader reads them.
void BM_DecipherSequentialRecords(benchmark::State& state) {
  db::CipherState cipher = db::MakeCipherState("benchmark password");
  std::vector<std::uint8_t> record(200);
  std::uint64_t pos = 116 + 72 * 6;
  for (auto _ : state) {
    cipher.Apply(pos, record.data(), record.size());
    benchmark::DoNotOptimize(record.data());
    pos += record.size();
  }
  state.SetBytesProcessed(state.iterations() * 200);
}
BENCHMARK(BM_DecipherSequentialRecords);

}  // namespace
