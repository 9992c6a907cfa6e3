// The keyed block transform that makes launcher files unreadable without the user's key.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string_view>

// Everything the transform needs that depends only on the key: the rotation count and, for
// every possible window offset, the 8-byte window and the offset of the next block's window.
//
// The offsets go 1, next(1), next(next(1)), ... through at most 32 values, so after a lead of
// LeadBlocks() blocks they repeat with a period of PeriodBlocks() blocks (lead + period <= 32).
// The windows of blocks 0 to 63 are laid out in that order once, so that the window of any block
// and of the 32 blocks after it can be read straight from LaidWindows() at WindowIndex(block).
class KeySchedule {
 public:
  explicit KeySchedule(std::string_view key);

  int Rotation() const { return rotation_; }
  std::uint64_t Window(int offset) const { return windows_[offset]; }  // little-endian bytes T[off..off+7]
  const std::array<std::uint8_t, 64>& Table() const { return table_; }

  int LeadBlocks() const { return lead_; }
  int PeriodBlocks() const { return period_; }
  // Where the window of block number `block` of a buffer lies in LaidWindows(): an index below
  // LeadBlocks() + PeriodBlocks(), so the 32 entries from it are the windows of the next 32 blocks.
  std::size_t WindowIndex(std::uint64_t block) const;
  // The index of the window `blocks` blocks after the one at index.
  std::size_t AdvanceIndex(std::size_t index, std::uint64_t blocks) const;
  const std::uint64_t* LaidWindows() const { return laid_.data(); }

  static const std::array<std::uint8_t, 64>& BaseTable();

 private:
  std::array<std::uint8_t, 64> table_{};
  std::array<std::uint64_t, 32> windows_{};
  std::array<std::uint8_t, 32> next_{};
  int rotation_ = 11;
  int lead_ = 0;
  int period_ = 1;
  std::array<std::uint64_t, 64> laid_{};  // windows of blocks 0..63
};

// Transforms the first bytes of buffer in place (encode = true encodes). Buffers of fewer than
// 8 bytes are left unchanged; otherwise the final 1 to 8 bytes are never touched.
void KeyedBlockTransform(std::uint8_t* buffer, std::size_t n, std::string_view key, bool encode);
void KeyedBlockTransform(std::uint8_t* buffer, std::size_t n, const KeySchedule& schedule, bool encode);

// How many leading 8-byte blocks the transform changes for a buffer of n bytes.
std::uint64_t TransformedBlockCount(std::uint64_t n);

// For a buffer that is read or written in consecutive chunks: transforms in place the bytes
// [offset, offset + size) of a buffer of `total` bytes, held at chunk, exactly as the whole
// buffer's transform would change them. Returns how many leading bytes of the chunk are final:
// all of them once the chunk reaches the untouched tail of the buffer, otherwise size rounded
// down to a multiple of 8. The bytes after those (a block cut by the chunk's end) must come again
// at the start of the next chunk, whose offset is this one's plus the returned count. A chunk
// that starts inside a transformed block cannot be done: nothing is changed and 0 returned.
std::size_t KeyedBlockTransformChunk(std::uint8_t* chunk, std::size_t size, std::uint64_t offset, std::uint64_t total,
                                     const KeySchedule& schedule, bool encode);

// Transforms count whole 8-byte blocks in place, the first of which is block number `first` of
// its buffer. The caller keeps within the first TransformedBlockCount(n) blocks.
void KeyedBlockTransformBlocks(std::uint8_t* blocks, std::size_t count, std::uint64_t first,
                               const KeySchedule& schedule, bool encode);

// The ways the blocks can be transformed; KeyedBlockTransformBlocks takes the fastest one this
// processor has. Named so that tests and benchmarks can hold each one against the others.
enum class KeyedTransformMethod {
  kWords,  // 64-bit words, any processor
  kSse2,   // 128-bit vectors (every x86-64 processor)
  kAvx2    // 256-bit vectors (x86-64 processors with AVX2)
};
bool KeyedTransformMethodAvailable(KeyedTransformMethod method);
// KeyedBlockTransformBlocks with the given method; an unavailable method falls back to words.
void KeyedBlockTransformBlocksWith(KeyedTransformMethod method, std::uint8_t* blocks, std::size_t count,
                                   std::uint64_t first, const KeySchedule& schedule, bool encode);
