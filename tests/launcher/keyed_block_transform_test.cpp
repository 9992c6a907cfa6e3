#include "launcher/keyed_block_transform.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <string>
#include <utility>
#include <vector>

#include "launcher/md5.h"
#include "launcher_test_files.h"

namespace {

// The transform written out byte by byte, step by step, as a check on the 64-bit version.
void ReferenceTransform(std::uint8_t* buf, std::size_t n, const std::string& key, bool encode) {
  if (n < 8) return;
  std::uint8_t t[64];
  for (int i = 0; i < 8; ++i)
    for (int j = 0; j < 8; ++j)
      t[8 * j + i] = static_cast<std::uint8_t>(static_cast<int>(241 * (std::cos(0.349 * i) + std::sin(0.349 * j))));
  const std::size_t len = key.size();
  for (int r = 0; r < 8 && len > 0; ++r) {
    if (len <= 8) {
      for (std::size_t c = 0; c < 8; ++c) t[8 * r + c] += static_cast<std::uint8_t>(key[c % len]);
    } else {
      for (std::size_t k = 0; k < len; ++k) t[8 * r + k % 8] += static_cast<std::uint8_t>(key[k]);
    }
  }
  int pos = 0;
  for (int r = 0; r < 8; ++r)
    for (int c = 0; c < 8; ++c) {
      pos = t[8 * r + pos] & 7;
      std::swap(t[8 * r + c], t[8 * r + pos]);
    }
  int s = t[pos] & 31;
  if (s == 0) s = 11;
  if (s == 31) s = 13;
  std::size_t blocks = (n + 7) / 8 - 1;
  if (blocks < 1) blocks = 1;
  int off = 1;
  for (std::size_t b = 0; b < blocks; ++b) {
    std::uint8_t* p = buf + 8 * b;
    const std::uint8_t* w = t + off;
    if (encode) {
      for (int i = 0; i < 8; ++i) p[i] = static_cast<std::uint8_t>(p[i] + w[i]);
      for (int h = 0; h < 2; ++h) {
        std::uint32_t v = p[4 * h] | p[4 * h + 1] << 8 | p[4 * h + 2] << 16 | std::uint32_t(p[4 * h + 3]) << 24;
        v = (v << s) | (v >> (32 - s));
        for (int i = 0; i < 4; ++i) p[4 * h + i] = static_cast<std::uint8_t>(v >> (8 * i));
      }
      for (int i = 0; i < 8; ++i) p[i] ^= w[i];
    } else {
      for (int i = 0; i < 8; ++i) p[i] ^= w[i];
      for (int h = 0; h < 2; ++h) {
        std::uint32_t v = p[4 * h] | p[4 * h + 1] << 8 | p[4 * h + 2] << 16 | std::uint32_t(p[4 * h + 3]) << 24;
        v = (v >> s) | (v << (32 - s));
        for (int i = 0; i < 4; ++i) p[4 * h + i] = static_cast<std::uint8_t>(v >> (8 * i));
      }
      for (int i = 0; i < 8; ++i) p[i] = static_cast<std::uint8_t>(p[i] - w[i]);
    }
    off = w[0] & 31;
  }
}

const std::string kKeys[] = {
    "",          "k",         "secret7",  "exactly8", "ninechars", "sixteen-chars-16", std::string("\xE9\x83\xA8\xFF\x80", 5),
    "a much longer key that wraps around the eight row bytes several times over"};

TEST(KeyedBlockTransform, BaseTableStartsAtTheExactValue) {
  const auto& t = KeySchedule::BaseTable();
  EXPECT_EQ(t[0], 241);
  // 241 * (cos(0.349 * 7) + sin(0)) = -184.x: the low byte of -184.
  EXPECT_EQ(t[7], static_cast<std::uint8_t>(-184));
}

TEST(KeyedBlockTransform, MatchesTheByteWiseDefinitionForEveryKeyAndLength) {
  for (const std::string& key : kKeys) {
    for (std::size_t n : {0, 1, 7, 8, 9, 15, 16, 17, 36, 40, 41, 100, 1000, 4097}) {
      const auto plain = RandomBytes(n, static_cast<unsigned>(n * 31 + key.size()));
      for (bool encode : {true, false}) {
        auto fast = plain;
        auto slow = plain;
        KeyedBlockTransform(fast.data(), n, key, encode);
        ReferenceTransform(slow.data(), n, key, encode);
        ASSERT_EQ(fast, slow) << "key \"" << key << "\" n=" << n << " encode=" << encode;
      }
    }
  }
}

// Every length up to 80, the lengths around 32 blocks (the longest period of the windows) and
// a few larger ones, each with its own input.
std::vector<std::size_t> PinnedLengths() {
  std::vector<std::size_t> lengths;
  for (std::size_t n = 0; n <= 80; ++n) lengths.push_back(n);
  for (std::size_t n = 248; n <= 272; ++n) lengths.push_back(n);
  for (std::size_t n = 4088; n <= 4104; ++n) lengths.push_back(n);
  lengths.push_back(100001);
  return lengths;
}

// The bytes earlier builds wrote and read, pinned per key as one MD5 over encode(x) and decode(x)
// for every length above: files encoded then must decode now, and new files must decode there.
TEST(KeyedBlockTransform, OutputsStayAsEarlierBuildsWroteThem) {
  const struct {
    std::string key;
    const char* digest;
  } cases[] = {
      {"", "6cf8e0c526b8a5ba49abbb3de6301063"},
      {" ", "1d85e092d568f8effc2d62ca15cfa6bd"},
      {"k", "a3df1cfa728f39ee3e4c4997dd002b61"},
      {"secret7", "39669fbb39e8bf2c4b4c509f41718196"},
      {"exactly8", "4896e718f675e271e8fcc7be6953c06c"},
      {"ninechars", "43ded0717133cc6c34f7cf0a7bac25ad"},
      {"sixteen-chars-16", "8ce372c6f4f2ecdbaaf72893f29be912"},
      {std::string("\xE9\x83\xA8\xFF\x80", 5), "d75e048b5f56366ba25e30c3dc53a46f"},
      {std::string("a\0b", 3), "2701f14cbf6793c8787aba8944883726"},
      {"a much longer key that wraps around the eight row bytes several times over", "cf295172a935d4c0cb0f4acb4ae773ba"},
  };
  for (const auto& c : cases) {
    Md5 all;
    for (std::size_t n : PinnedLengths()) {
      const auto plain = RandomBytes(n, static_cast<unsigned>(n));
      for (bool encode : {true, false}) {
        auto buf = plain;
        KeyedBlockTransform(buf.data(), n, c.key, encode);
        all.Update(buf.data(), n);
      }
    }
    EXPECT_EQ(HexDigest(all.Final()), c.digest) << "key \"" << c.key << "\"";
  }
}

TEST(KeyedBlockTransform, RoundTripsAndLeavesTheTailAlone) {
  struct Case {
    std::size_t n;
    std::size_t unchangedTail;
  };
  const Case cases[] = {{0, 0}, {1, 1}, {7, 7}, {8, 0}, {9, 1}, {16, 8}, {36, 4}, {40, 8}, {41, 1}, {100, 4}};
  for (const std::string& key : kKeys) {
    for (const Case& c : cases) {
      const auto plain = RandomBytes(c.n, 7);
      auto buf = plain;
      KeyedBlockTransform(buf.data(), c.n, key, true);
      EXPECT_TRUE(std::equal(buf.end() - static_cast<std::ptrdiff_t>(c.unchangedTail), buf.end(),
                             plain.end() - static_cast<std::ptrdiff_t>(c.unchangedTail)))
          << "n=" << c.n;
      if (c.n > c.unchangedTail) {
        EXPECT_NE(0, std::memcmp(buf.data(), plain.data(), c.n - c.unchangedTail)) << "n=" << c.n;
      }
      KeyedBlockTransform(buf.data(), c.n, key, false);
      EXPECT_EQ(buf, plain) << "key \"" << key << "\" n=" << c.n;
    }
  }
}

TEST(KeyedBlockTransform, ShortBuffersAreNeverReadOrWrittenPastTheirLength) {
  // Exactly sized heap buffers: the sanitizer build catches any access beyond n.
  for (std::size_t n = 0; n < 8; ++n) {
    auto* buf = new std::uint8_t[n == 0 ? 1 : n];
    std::memset(buf, 0x5A, n);
    KeyedBlockTransform(buf, n, "key", true);
    for (std::size_t i = 0; i < n; ++i) EXPECT_EQ(buf[i], 0x5A);
    delete[] buf;
  }
}

TEST(KeyedBlockTransform, KeysOfEightNineAndSixteenCharactersMixDifferently) {
  // Eight characters fill each row once; nine wrap the ninth onto byte 0; sixteen add two to every byte.
  const KeySchedule eight("ABCDEFGH"), nine("ABCDEFGHA"), sixteen("ABCDEFGHABCDEFGH");
  const KeySchedule empty("");
  EXPECT_NE(eight.Table(), nine.Table());
  EXPECT_NE(eight.Table(), sixteen.Table());
  EXPECT_NE(eight.Table(), empty.Table());
  // Each key really decides the output: a different key gives different bytes.
  auto a = RandomBytes(64, 1), b = a;
  KeyedBlockTransform(a.data(), a.size(), eight, true);
  KeyedBlockTransform(b.data(), b.size(), nine, true);
  EXPECT_NE(a, b);
  for (const KeySchedule* k : {&eight, &nine, &sixteen, &empty}) {
    EXPECT_GE(k->Rotation(), 1);
    EXPECT_LE(k->Rotation(), 30);
  }
}

}  // namespace
