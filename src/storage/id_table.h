// A hash set of 32-bit ids whose keys live elsewhere: the caller gives each
// lookup the key's hash and a test that tells whether an id has that key.
// Open addressing with linear probing; ids are never erased, only replaced by
// another id with the same key.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

class IdTable {
 public:
  static constexpr std::uint32_t kNone = 0xFFFFFFFFu;

  // The id with the key, or kNone.
  template <class SameKey>
  std::uint32_t Find(std::uint32_t hash, SameKey sameKey) const {
    if (slots_.empty()) return kNone;
    const std::size_t mask = slots_.size() - 1;
    for (std::size_t i = hash & mask;; i = (i + 1) & mask) {
      const Slot& s = slots_[i];
      if (s.id == kNone) return kNone;
      if (s.hash == hash && sameKey(s.id)) return s.id;
    }
  }

  // The id with the key, for the caller to replace; or, when there is none, a
  // new slot (holding kNone) that the caller must fill with an id with that key.
  template <class SameKey>
  std::uint32_t& Get(std::uint32_t hash, SameKey sameKey) {
    if ((used_ + 1) * 2 > slots_.size()) Rehash(slots_.empty() ? 16 : slots_.size() * 2);
    const std::size_t mask = slots_.size() - 1;
    for (std::size_t i = hash & mask;; i = (i + 1) & mask) {
      Slot& s = slots_[i];
      if (s.id == kNone) {
        s.hash = hash;
        ++used_;
        return s.id;
      }
      if (s.hash == hash && sameKey(s.id)) return s.id;
    }
  }

 private:
  struct Slot {
    std::uint32_t id = kNone;
    std::uint32_t hash = 0;
  };

  void Rehash(std::size_t size) {
    std::vector<Slot> old(size);
    old.swap(slots_);
    const std::size_t mask = size - 1;
    for (const Slot& s : old) {
      if (s.id == kNone) continue;
      std::size_t i = s.hash & mask;
      while (slots_[i].id != kNone) i = (i + 1) & mask;
      slots_[i] = s;
    }
  }

  std::vector<Slot> slots_;  // a power of two in size, at most half full
  std::size_t used_ = 0;
};
