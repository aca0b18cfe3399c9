// MD5, MD4 and DES against the published vectors, the padding boundaries and,
// natively, against openssl over random inputs.
#include <gtest/gtest.h>

#include <cstdio>
#include <cctype>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include "net/core/NetDES.h"
#include "net/core/NetMD4.h"
#include "net/core/NetMD5.h"

#ifndef _WIN32
#include <unistd.h>
#endif

namespace {

std::string Hex(const uint8_t* bytes, size_t size) {
  static constexpr char kDigits[] = "0123456789abcdef";
  std::string hex;
  for (size_t i = 0; i < size; ++i) {
    hex += kDigits[bytes[i] >> 4];
    hex += kDigits[bytes[i] & 15];
  }
  return hex;
}

std::string Hex(const std::string& bytes) { return Hex(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size()); }

std::vector<uint8_t> Unhex(const std::string& hex) {
  std::vector<uint8_t> bytes;
  for (size_t i = 0; i + 1 < hex.size(); i += 2) bytes.push_back(uint8_t(std::stoul(hex.substr(i, 2), nullptr, 16)));
  return bytes;
}

std::string Lower(std::string text) {
  for (char& c : text) c = char(std::tolower(static_cast<unsigned char>(c)));
  return text;
}

std::string Md5Lower(const std::string& text) { return Lower(sv::net::MD5HexOfString(text)); }
std::string Md4Hex(const std::string& text) { return Hex(sv::net::MD4OfString(text)); }

std::string Des(const std::string& keyHex, const std::string& blockHex, bool encrypt) {
  const auto key = Unhex(keyHex);
  const auto block = Unhex(blockHex);
  uint8_t out[8];
  sv::net::DesEcbBlock(block.data(), out, key.data(), encrypt);
  return Hex(out, 8);
}

const std::string kAlphabet = "abcdefghijklmnopqrstuvwxyz";
const std::string kAlphaNumeric = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";

std::string Repeat(const std::string& piece, int count) {
  std::string text;
  for (int i = 0; i < count; ++i) text += piece;
  return text;
}

TEST(MD5, Rfc1321Suite) {
  EXPECT_EQ(Md5Lower(""), "d41d8cd98f00b204e9800998ecf8427e");
  EXPECT_EQ(Md5Lower("a"), "0cc175b9c0f1b6a831c399e269772661");
  EXPECT_EQ(Md5Lower("abc"), "900150983cd24fb0d6963f7d28e17f72");
  EXPECT_EQ(Md5Lower("message digest"), "f96b697d7cb7938d525a2f31aaf161d0");
  EXPECT_EQ(Md5Lower(kAlphabet), "c3fcd3d76192e4007dfb496cca67e13b");
  EXPECT_EQ(Md5Lower(kAlphaNumeric), "d174ab98d277d9f5a5611c2c9f419d9f");
  EXPECT_EQ(Md5Lower(Repeat("1234567890", 8)), "57edf4a22be3c955ac49da2e2107b67a");
}

TEST(MD5, HexIsUpperCase) { EXPECT_EQ(sv::net::MD5HexOfString("abc"), "900150983CD24FB0D6963F7D28E17F72"); }

TEST(MD5, PaddingCrossesTheBlockBoundary) {
  const std::pair<int, const char*> expected[] = {
      {55, "ef1772b6dff9a122358552954ad0df65"}, {56, "3b0c8ac703f828b04c6c197006d17218"},
      {63, "b06521f39153d618550606be297466d5"}, {64, "014842d480b571495a4a0363793f7367"},
      {65, "c743a45e0d2e6a95cb859adae0248435"}, {16385, "8d075f723556e776f6f5dcf28e6889a7"}};
  for (const auto& [length, digest] : expected) EXPECT_EQ(Md5Lower(std::string(length, 'a')), digest) << length;
}

TEST(MD5, PiecewiseUpdatesEqualOneUpdate) {
  std::mt19937 random(7);
  std::string input(40000, '\0');
  for (char& c : input) c = char(random());
  sv::net::MD5Context whole;
  sv::net::MD5Init(whole);
  sv::net::MD5Update(whole, input.data(), input.size());
  const auto expected = sv::net::MD5Final(whole);
  sv::net::MD5Context pieces;
  sv::net::MD5Init(pieces);
  for (size_t at = 0; at < input.size();) {
    const size_t take = std::min<size_t>(random() % 200, input.size() - at);
    sv::net::MD5Update(pieces, input.data() + at, take);
    at += take;
  }
  EXPECT_EQ(sv::net::MD5Final(pieces), expected);
  EXPECT_EQ(sv::net::MD5HexOfBuffer(input.data(), input.size()), sv::net::MD5HexOfString(input));
}

TEST(MD5, FinalZeroesTheContext) {
  sv::net::MD5Context context;
  sv::net::MD5Init(context);
  sv::net::MD5Update(context, "secret", 6);
  sv::net::MD5Final(context);
  const sv::net::MD5Context zero{};
  EXPECT_EQ(std::memcmp(&context, &zero, sizeof context), 0);
}

TEST(MD4, Rfc1320Suite) {
  EXPECT_EQ(Md4Hex(""), "31d6cfe0d16ae931b73c59d7e0c089c0");
  EXPECT_EQ(Md4Hex("a"), "bde52cb31de33e46245e05fbdbd6fb24");
  EXPECT_EQ(Md4Hex("abc"), "a448017aaf21d8525fc10ae87aa6729d");
  EXPECT_EQ(Md4Hex("message digest"), "d9130a8164549fe818874806e1c7014b");
  EXPECT_EQ(Md4Hex(kAlphabet), "d79e1c308aa5bbcdeea8ed63df412da9");
  EXPECT_EQ(Md4Hex(kAlphaNumeric), "043f8582f241db351ce627e153e7f0e4");
  EXPECT_EQ(Md4Hex(Repeat("1234567890", 8)), "e33b4ddc9c38f2199c3e7b164fcc0536");
}

TEST(MD4, PaddingCrossesTheBlockBoundary) {
  const std::pair<int, const char*> expected[] = {
      {55, "c889c81dd86c4d2e025778944ea02881"}, {56, "d5f9a9e9257077a5f08b0b92f348b0ad"},
      {63, "7ea3da77432d44c323671097d1348fc8"}, {64, "52f5076fabd22680234a3fa9f9dc5732"},
      {65, "330e377bf231f3cacfecc2c182fe7e5b"}, {16385, "7d639975a783159ef09862a903a347d6"}};
  for (const auto& [length, digest] : expected) EXPECT_EQ(Md4Hex(std::string(length, 'a')), digest) << length;
}

TEST(MD4, RefusesAContextThatIsNotOpen) {
  sv::net::MD4Context fresh;
  EXPECT_THROW(sv::net::MD4Update(fresh, "a", 1), sv::net::MD4Exception);
  EXPECT_THROW(sv::net::MD4Final(fresh), sv::net::MD4Exception);

  sv::net::MD4Context context;
  sv::net::MD4Init(context);
  sv::net::MD4Update(context, "a", 1);
  sv::net::MD4Final(context);
  try {
    sv::net::MD4Update(context, "a", 1);
    FAIL() << "update after final accepted";
  } catch (const sv::net::MD4Exception& e) {
    EXPECT_EQ(e.Message(), "MD4 not initialized");
  }
  EXPECT_THROW(sv::net::MD4Final(context), sv::net::MD4Exception);
  sv::net::MD4Init(context);
  sv::net::MD4Update(context, "abc", 3);
  EXPECT_EQ(Hex(sv::net::MD4Final(context).data(), 16), "a448017aaf21d8525fc10ae87aa6729d");
}

TEST(DES, KnownAnswers) {
  EXPECT_EQ(Des("133457799BBCDFF1", "0123456789ABCDEF", true), "85e813540f0ab405");
  EXPECT_EQ(Des("0123456789ABCDEF", "4E6F772069732074", true), "3fa40e8a984d4815");
  EXPECT_EQ(Des("0101010101010101", "8000000000000000", true), "95f8a5e5dd31d900");
  EXPECT_EQ(Des("133457799BBCDFF1", "85E813540F0AB405", false), "0123456789abcdef");
}

TEST(DES, VariablePlaintextWalksEveryBit) {
  // The first entries of the standard's variable-plaintext table.
  EXPECT_EQ(Des("0101010101010101", "4000000000000000", true), "dd7f121ca5015619");
  EXPECT_EQ(Des("0101010101010101", "2000000000000000", true), "2e8653104f3834ea");
  EXPECT_EQ(Des("0101010101010101", "0000000000000001", true), "166b40b44aba4bd6");
}

TEST(DES, ParityBitsAreIgnored) {
  EXPECT_EQ(Des("0000000000000000", "8000000000000000", true), Des("0101010101010101", "8000000000000000", true));
  EXPECT_EQ(Des("123457799ABCDEF0", "0123456789ABCDEF", true), Des("133457799BBCDFF1", "0123456789ABCDEF", true));
}

TEST(DES, DecryptUndoesEncrypt) {
  std::mt19937 random(11);
  for (int i = 0; i < 500; ++i) {
    uint8_t key[8], block[8], cipher[8], back[8];
    for (auto& b : key) b = uint8_t(random());
    for (auto& b : block) b = uint8_t(random());
    sv::net::DesEcbBlock(block, cipher, key, true);
    sv::net::DesEcbBlock(cipher, back, key, false);
    ASSERT_EQ(std::memcmp(block, back, 8), 0) << Hex(key, 8) << " " << Hex(block, 8);
  }
}

#ifndef _WIN32
// The independent implementation: openssl, with its legacy provider for MD4
// and DES. Skipped where it is missing.
class OpensslCheck : public testing::Test {
 protected:
  void SetUp() override {
    if (std::system("openssl version >/dev/null 2>&1") != 0) GTEST_SKIP() << "openssl not installed";
    dir_ = std::filesystem::temp_directory_path() / ("net-digests-" + std::to_string(::getpid()));
    std::filesystem::create_directories(dir_);
  }
  void TearDown() override {
    std::error_code ignored;
    std::filesystem::remove_all(dir_, ignored);
  }

  std::filesystem::path Write(const std::string& name, const std::string& bytes) {
    const auto path = dir_ / name;
    std::ofstream(path, std::ios::binary) << bytes;
    return path;
  }

  static std::string Run(const std::string& command) {
    std::string output;
    if (FILE* pipe = ::popen(command.c_str(), "r")) {
      char chunk[4096];
      size_t got;
      while ((got = std::fread(chunk, 1, sizeof chunk, pipe)) > 0) output.append(chunk, got);
      ::pclose(pipe);
    }
    return output;
  }

  std::vector<std::string> RandomInputs() {
    std::mt19937 random(2024);
    std::vector<std::string> inputs;
    std::vector<size_t> lengths;
    for (size_t n = 0; n <= 130; ++n) lengths.push_back(n);
    for (size_t n : {16383, 16384, 16385, 70001}) lengths.push_back(n);
    for (int i = 0; i < 20; ++i) lengths.push_back(random() % 5000);
    for (size_t n : lengths) {
      std::string input(n, '\0');
      for (char& c : input) c = char(random());
      inputs.push_back(input);
    }
    return inputs;
  }

  // One openssl run over all files; "-r" prints "<hex> *<path>" per line.
  std::vector<std::string> OpensslDigests(const std::string& options, const std::vector<std::string>& inputs) {
    std::string command = "openssl dgst " + options + " -r";
    for (size_t i = 0; i < inputs.size(); ++i) command += " '" + Write("in" + std::to_string(i), inputs[i]).string() + "'";
    std::vector<std::string> digests;
    const std::string output = Run(command + " 2>/dev/null");
    for (size_t at = 0; at + 32 <= output.size();) {
      digests.push_back(output.substr(at, 32));
      const size_t end = output.find('\n', at);
      if (end == std::string::npos) break;
      at = end + 1;
    }
    return digests;
  }

  std::filesystem::path dir_;
};

TEST_F(OpensslCheck, MD5AgreesOverRandomInputs) {
  const auto inputs = RandomInputs();
  const auto expected = OpensslDigests("-md5", inputs);
  ASSERT_EQ(expected.size(), inputs.size());
  for (size_t i = 0; i < inputs.size(); ++i) EXPECT_EQ(Md5Lower(inputs[i]), expected[i]) << inputs[i].size() << " bytes";
}

TEST_F(OpensslCheck, MD4AgreesOverRandomInputs) {
  const auto inputs = RandomInputs();
  const auto expected = OpensslDigests("-md4 -provider legacy -provider default", inputs);
  if (expected.empty()) GTEST_SKIP() << "openssl has no MD4";
  ASSERT_EQ(expected.size(), inputs.size());
  for (size_t i = 0; i < inputs.size(); ++i) EXPECT_EQ(Md4Hex(inputs[i]), expected[i]) << inputs[i].size() << " bytes";
}

TEST_F(OpensslCheck, DESAgreesOverRandomKeysAndBlocks) {
  std::mt19937 random(99);
  for (int round = 0; round < 12; ++round) {
    uint8_t key[8];
    for (auto& b : key) b = uint8_t(random());
    std::string plain(8 * 32, '\0');
    for (char& c : plain) c = char(random());
    const auto in = Write("plain", plain);
    const std::string cipher = Run("openssl enc -des-ecb -provider legacy -provider default -nopad -K " + Hex(key, 8) +
                                   " -in '" + in.string() + "' 2>/dev/null");
    if (cipher.empty()) GTEST_SKIP() << "openssl has no DES";
    ASSERT_EQ(cipher.size(), plain.size());
    for (size_t at = 0; at < plain.size(); at += 8) {
      uint8_t ours[8], back[8];
      sv::net::DesEcbBlock(reinterpret_cast<const uint8_t*>(plain.data() + at), ours, key, true);
      ASSERT_EQ(Hex(ours, 8), Hex(reinterpret_cast<const uint8_t*>(cipher.data() + at), 8)) << "key " << Hex(key, 8);
      sv::net::DesEcbBlock(ours, back, key, false);
      ASSERT_EQ(std::memcmp(back, plain.data() + at, 8), 0);
    }
  }
}
#endif

}  // namespace
