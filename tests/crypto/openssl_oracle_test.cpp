// Compares our primitives with the openssl command-line tool on random data,
// as an independent implementation. Skipped where the tool is missing.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <vector>

#include "crypto/des.h"
#include "crypto/md5.h"
#include "crypto/rc4.h"

namespace {

using Bytes = std::vector<std::uint8_t>;

class OpensslOracle : public ::testing::Test {
 protected:
  void SetUp() override {
#ifdef _WIN32
    GTEST_SKIP() << "no openssl oracle on this platform";
#else
    if (std::system("openssl version >/dev/null 2>&1") != 0) GTEST_SKIP() << "openssl not installed";
    dir_ = std::filesystem::temp_directory_path() /
           ("qk_crypto_oracle_" + std::to_string(static_cast<long>(::testing::UnitTest::GetInstance()
                                                                      ->random_seed())) +
            "_" + std::to_string(std::random_device{}()));
    std::filesystem::create_directories(dir_);
#endif
  }
  void TearDown() override {
    std::error_code ignored;
    if (!dir_.empty()) std::filesystem::remove_all(dir_, ignored);
  }

  // Runs `openssl <args>` with data on standard input; false when it fails.
  bool Run(const std::string& args, const Bytes& data, Bytes& out) {
    auto in = dir_ / "in.bin", result = dir_ / "out.bin";
    {
      std::ofstream f(in, std::ios::binary);
      f.write(reinterpret_cast<const char*>(data.data()), std::streamsize(data.size()));
    }
    std::string command = "openssl " + args + " -out '" + result.string() + "' < '" + in.string() +
                          "' 2>/dev/null";
    if (std::system(command.c_str()) != 0) return false;
    std::ifstream f(result, std::ios::binary);
    out.assign(std::istreambuf_iterator<char>(f), std::istreambuf_iterator<char>());
    return true;
  }

  static std::string Hex(const std::uint8_t* p, std::size_t n) {
    static const char kDigits[] = "0123456789abcdef";
    std::string s;
    for (std::size_t i = 0; i < n; ++i) {
      s += kDigits[p[i] >> 4];
      s += kDigits[p[i] & 15];
    }
    return s;
  }

  Bytes Random(std::size_t n) {
    Bytes b(n);
    for (auto& x : b) x = std::uint8_t(rng_());
    return b;
  }

  std::filesystem::path dir_;
  std::mt19937 rng_{12345};
};

TEST_F(OpensslOracle, Md5) {
  for (std::size_t n : {0u, 1u, 55u, 56u, 64u, 1000u, 70000u}) {
    Bytes data = Random(n), out;
    ASSERT_TRUE(Run("dgst -md5 -binary", data, out));
    crypto::Md5Digest ours = crypto::Md5Of(data.data(), data.size());
    EXPECT_EQ(out, Bytes(ours.begin(), ours.end())) << n << " bytes";
  }
}

TEST_F(OpensslOracle, DesEcb) {
  for (int trial = 0; trial < 8; ++trial) {
    Bytes key = Random(8), data = Random(8 * 37), out;
    if (!Run("enc -des-ecb -nopad -provider legacy -provider default -K " + Hex(key.data(), 8), data, out)) {
      GTEST_SKIP() << "this openssl has no DES (legacy provider missing)";
    }
    crypto::DesKey k;
    std::copy(key.begin(), key.end(), k.begin());
    crypto::Des des(k);
    Bytes ours = data;
    for (std::size_t at = 0; at < ours.size(); at += 8) des.EncryptBlock(&ours[at], &ours[at]);
    EXPECT_EQ(ours, out) << "trial " << trial;
  }
}

TEST_F(OpensslOracle, Rc4) {
  for (int trial = 0; trial < 8; ++trial) {
    // The tool's RC4 always takes a 16-byte key.
    Bytes key = Random(16), data = Random(5000 + trial), out;
    if (!Run("enc -rc4 -provider legacy -provider default -K " + Hex(key.data(), 16), data, out)) {
      GTEST_SKIP() << "this openssl has no RC4 (legacy provider missing)";
    }
    crypto::Rc4State state;
    crypto::Rc4Schedule(state, key.data(), key.size());
    Bytes ours = data;
    crypto::Rc4Xor(state, ours.data(), ours.size());
    EXPECT_EQ(ours, out) << "trial " << trial;
  }
}

}  // namespace
