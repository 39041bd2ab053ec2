// Throughput of the primitives the file cipher and the key derivation use.
#include <benchmark/benchmark.h>

#include <vector>

#include "crypto/des.h"
#include "crypto/md5.h"
#include "crypto/rc4.h"

namespace {

void BM_Rc4Keystream(benchmark::State& state) {
  crypto::Rc4State rc4;
  crypto::Rc4Schedule(rc4, "benchmark key", 13);
  std::vector<std::uint8_t> out(static_cast<std::size_t>(state.range(0)));
  for (auto _ : state) {
    crypto::Rc4Keystream(rc4, out.data(), out.size());
    benchmark::DoNotOptimize(out.data());
  }
  state.SetBytesProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_Rc4Keystream)->Arg(4096)->Arg(65536);

void BM_Rc4Schedule40(benchmark::State& state) {
  std::uint8_t key[40] = {1, 2, 3};
  crypto::Rc4State rc4;
  for (auto _ : state) {
    crypto::Rc4Schedule(rc4, key, sizeof key);
    benchmark::DoNotOptimize(rc4.s);
  }
}
BENCHMARK(BM_Rc4Schedule40);

void BM_Md5(benchmark::State& state) {
  std::vector<std::uint8_t> data(static_cast<std::size_t>(state.range(0)), 0x5a);
  for (auto _ : state) benchmark::DoNotOptimize(crypto::Md5Of(data.data(), data.size()));
  state.SetBytesProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_Md5)->Arg(16)->Arg(65536);

void BM_DesBlock(benchmark::State& state) {
  crypto::Des des(crypto::DesKey{1, 2, 3, 4, 5, 6, 7, 8});
  std::uint8_t block[8] = {};
  for (auto _ : state) {
    des.EncryptBlock(block, block);
    benchmark::DoNotOptimize(block);
  }
  state.SetBytesProcessed(state.iterations() * 8);
}
BENCHMARK(BM_DesBlock);

}  // namespace
