#include "launcher/keyed_block_transform.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
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

// Keys whose windows have leads of 0 to 8 blocks and periods of 1 to 23 blocks.
const std::string kMethodKeys[] = {"", "k", "secret7", "exactly8", "ninechars", "sixteen-chars-16",
                                   std::string("\xE9\x83\xA8\xFF\x80", 5), "benchmark key", "my key", "ABCDEFGH",
                                   "4+<x", "a much longer key that wraps around the eight row bytes several times over"};

const KeyedTransformMethod kMethods[] = {KeyedTransformMethod::kWords, KeyedTransformMethod::kSse2,
                                         KeyedTransformMethod::kAvx2};

TEST(KeyedBlockTransform, WindowsRepeatAfterALeadWithAPeriodOfAtMost32Blocks) {
  bool someLead = false, someLongPeriod = false;
  for (const std::string& key : kMethodKeys) {
    const KeySchedule schedule(key);
    EXPECT_GE(schedule.PeriodBlocks(), 1);
    EXPECT_LE(schedule.LeadBlocks() + schedule.PeriodBlocks(), 32);
    someLead = someLead || schedule.LeadBlocks() > 0;
    someLongPeriod = someLongPeriod || schedule.PeriodBlocks() > 16;
  }
  // The cases below reach both the lead and a period longer than a 128-bit run of windows.
  EXPECT_TRUE(someLead);
  EXPECT_TRUE(someLongPeriod);
}

// Every method this processor has, on whole buffers, against the byte-wise definition.
TEST(KeyedBlockTransform, EveryMethodMatchesTheByteWiseDefinitionForEveryKeyAndLength) {
  for (KeyedTransformMethod method : kMethods) {
    if (!KeyedTransformMethodAvailable(method)) {
      std::printf("transform method %d is not available on this processor\n", static_cast<int>(method));
      continue;
    }
    for (const std::string& key : kMethodKeys) {
      const KeySchedule schedule(key);
      for (std::size_t n : PinnedLengths()) {
        const auto plain = RandomBytes(n, static_cast<unsigned>(n * 31 + key.size()));
        for (bool encode : {true, false}) {
          auto fast = plain;
          auto slow = plain;
          KeyedBlockTransformBlocksWith(method, fast.data(), TransformedBlockCount(n), 0, schedule, encode);
          ReferenceTransform(slow.data(), n, key, encode);
          ASSERT_EQ(fast, slow) << "method " << static_cast<int>(method) << " key \"" << key << "\" n=" << n
                                << " encode=" << encode;
        }
      }
    }
  }
}

// A run of blocks that starts anywhere in the buffer (in the lead, in the period, past many
// periods) gets the same windows as in the whole buffer, with every method.
TEST(KeyedBlockTransform, BlocksFromAnyStartMatchTheWholeBuffer) {
  const auto plain = RandomBytes(8 * 200, 12);
  for (const std::string& key : kMethodKeys) {
    const KeySchedule schedule(key);
    for (bool encode : {true, false}) {
      auto whole = plain;
      KeyedBlockTransformBlocksWith(KeyedTransformMethod::kWords, whole.data(), 200, 0, schedule, encode);
      for (KeyedTransformMethod method : kMethods) {
        for (std::size_t first = 0; first < 80; ++first) {
          for (std::size_t count : {std::size_t{1}, std::size_t{3}, std::size_t{33}, 200 - first}) {
            auto part = std::vector<std::uint8_t>(plain.begin() + 8 * first, plain.begin() + 8 * (first + count));
            KeyedBlockTransformBlocksWith(method, part.data(), count, first, schedule, encode);
            ASSERT_TRUE(std::equal(part.begin(), part.end(), whole.begin() + 8 * first))
                << "method " << static_cast<int>(method) << " key \"" << key << "\" first=" << first
                << " count=" << count;
          }
        }
      }
    }
  }
}

// Feeds a buffer through KeyedBlockTransformChunk as a streaming reader would: chunks of a fixed
// size, the bytes a call leaves unfinished carried to the front of the next chunk.
std::vector<std::uint8_t> TransformInChunks(const std::vector<std::uint8_t>& in, std::size_t chunk,
                                            const KeySchedule& schedule, bool encode) {
  std::vector<std::uint8_t> out, pending;
  std::uint64_t offset = 0;
  for (std::size_t at = 0; at < in.size(); at += chunk) {
    pending.insert(pending.end(), in.begin() + static_cast<std::ptrdiff_t>(at),
                   in.begin() + static_cast<std::ptrdiff_t>(std::min(in.size(), at + chunk)));
    const std::size_t done = KeyedBlockTransformChunk(pending.data(), pending.size(), offset, in.size(), schedule, encode);
    EXPECT_LE(pending.size() - done, 7u);
    out.insert(out.end(), pending.begin(), pending.begin() + static_cast<std::ptrdiff_t>(done));
    pending.erase(pending.begin(), pending.begin() + static_cast<std::ptrdiff_t>(done));
    offset += done;
  }
  EXPECT_TRUE(pending.empty()) << "the last chunk finishes the buffer";
  return out;
}

// Chunks of 1 to 17 bytes and around 256 put chunk edges at every offset modulo 8 of every block,
// the last whole block and the untouched tail included, for buffer lengths of every value modulo 8.
TEST(KeyedBlockTransform, ChunkedGivesTheSameBytesAsTheWholeBuffer) {
  std::vector<std::size_t> totals;
  for (std::size_t n = 0; n <= 24; ++n) totals.push_back(n);
  for (std::size_t n = 248; n <= 272; ++n) totals.push_back(n);  // 256-byte chunks and 1 to 16 more
  totals.push_back(1000);
  std::vector<std::size_t> chunks;
  for (std::size_t c = 1; c <= 17; ++c) chunks.push_back(c);
  for (std::size_t c : {255, 256, 257, 264}) chunks.push_back(c);
  for (const std::string& key : {std::string("exactly8"), std::string("4+<x"), std::string("")}) {
    const KeySchedule schedule(key);
    for (std::size_t n : totals) {
      const auto plain = RandomBytes(n, static_cast<unsigned>(n + 5));
      for (bool encode : {true, false}) {
        auto whole = plain;
        KeyedBlockTransform(whole.data(), n, schedule, encode);
        for (std::size_t chunk : chunks) {
          ASSERT_EQ(TransformInChunks(plain, chunk, schedule, encode), whole)
              << "key \"" << key << "\" n=" << n << " chunk=" << chunk << " encode=" << encode;
        }
      }
    }
  }
}

TEST(KeyedBlockTransform, AChunkThatStartsInsideATransformedBlockIsLeftAlone) {
  const KeySchedule schedule("k");
  auto bytes = RandomBytes(64, 3);
  const auto before = bytes;
  // 200 bytes: blocks 0 to 23 are transformed, bytes 192 to 199 are not.
  for (std::uint64_t offset : {1, 7, 9, 63, 191}) {
    EXPECT_EQ(KeyedBlockTransformChunk(bytes.data(), 8, offset, 200, schedule, true), 0u) << offset;
  }
  EXPECT_EQ(bytes, before);
  EXPECT_EQ(KeyedBlockTransformChunk(bytes.data(), 5, 195, 200, schedule, true), 5u) << "the tail is final as it is";
  EXPECT_EQ(bytes, before);
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
