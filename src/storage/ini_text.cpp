#include "storage/ini_text.h"

#include <algorithm>
#include <cstring>
#include <functional>
#include <utility>

namespace {

constexpr std::size_t kChunk = 64 * 1024;

std::uint32_t Mix(std::uint64_t h) {
  h ^= h >> 30;
  h *= 0xBF58476D1CE4E5B9ull;
  h ^= h >> 27;
  h *= 0x94D049BB133111EBull;
  h ^= h >> 31;
  return static_cast<std::uint32_t>(h);
}

std::uint32_t SectionHash(std::string_view name) { return Mix(std::hash<std::string_view>{}(name)); }

std::uint32_t KeyHash(std::uint32_t block, std::string_view key) {
  return Mix(std::hash<std::string_view>{}(key) + block);
}

// A line that starts a block: a header, "[" name "]" after any spaces and
// tabs, or any other line whose first character is "[".
bool StartsBlock(std::string_view line, std::string_view& name, bool& named) {
  std::size_t i = 0;
  while (i < line.size() && (line[i] == ' ' || line[i] == '\t')) ++i;
  named = i < line.size() && line[i] == '[' && line.size() - i >= 2 && line.back() == ']';
  if (named) name = line.substr(i + 1, line.size() - i - 2);
  return named || (!line.empty() && line[0] == '[');
}

bool Utf16Mark(std::string_view bytes) {
  if (bytes.size() < 2) return false;
  return (bytes[0] == '\xFF' && bytes[1] == '\xFE') || (bytes[0] == '\xFE' && bytes[1] == '\xFF');
}

// UTF-16 written without its mark: in the first units (a settings file starts with "[", a name
// or a line end) one byte of each pair NUL and the other not, all in the same order. Single-byte
// text never starts so; NUL bytes later in it do not count. The length may be odd (a byte cut
// off or added at the end): such a file is still no single-byte text to rewrite.
bool Utf16WithoutMark(std::string_view bytes) {
  if (bytes.size() < 4) return false;
  const std::size_t units = std::min<std::size_t>(bytes.size() / 2, 64);
  for (const std::size_t zero : {0u, 1u}) {
    std::size_t ascii = 0;
    for (std::size_t i = 0; i < units; ++i)
      if (bytes[2 * i + zero] == '\0' && bytes[2 * i + 1 - zero] != '\0') ++ascii;
    // Text in other scripts has no NUL byte in its units; most settings text is ASCII.
    if (bytes[zero] == '\0' && bytes[1 - zero] != '\0' && ascii * 4 >= units * 3) return true;
  }
  return false;
}

}  // namespace

void IniText::Load(std::string bytes) {
  bytes_ = std::move(bytes);
  if (Utf16Mark(bytes_) || Utf16WithoutMark(bytes_) || bytes_.size() >= kNone) {
    foreign_ = true;
    return;
  }
  if (bytes_.compare(0, 3, "\xEF\xBB\xBF") == 0) bom_ = 3;

  const char* p = bytes_.data() + bom_;
  const char* const end = bytes_.data() + bytes_.size();
  // Room for the lines and blocks at once: one line per line end (as many as
  // there are LFs or CRs, unless the ends are mixed), at most one block per "[".
  lines_.reserve(static_cast<std::size_t>(std::max(std::count(p, end, '\n'), std::count(p, end, '\r'))) + 1);
  blocks_.reserve(static_cast<std::size_t>(std::count(p, end, '[')) + 1);

  IdTable lastOfName;  // the latest section of each name, to chain sections with the same name
  bool endSeen = false;
  while (p < end) {
    const char* q = p;
    while (q < end && *q != '\r' && *q != '\n') ++q;
    LineEnd lineEnd = LineEnd::None;
    const char* next = q;
    if (q < end) {
      if (*q == '\n') lineEnd = LineEnd::Lf;
      else if (q + 1 < end && q[1] == '\n') lineEnd = LineEnd::CrLf;
      else lineEnd = LineEnd::Cr;
      next = q + (lineEnd == LineEnd::CrLf ? 2 : 1);
      if (!endSeen) lineEnd_ = lineEnd;
      endSeen = true;
    }
    const std::string_view content(p, static_cast<std::size_t>(q - p));
    const auto id = static_cast<std::uint32_t>(lines_.size());
    std::string_view name;
    bool named = false;
    if (StartsBlock(content, name, named)) {
      blocks_.back().bodyEnd = id;
      IndexIfLarge(static_cast<std::uint32_t>(blocks_.size() - 1));
      const auto b = static_cast<std::uint32_t>(blocks_.size());
      Block& block = blocks_.emplace_back();
      block.header = id;
      block.bodyBegin = block.bodyEnd = id + 1;
      block.named = named;
      block.name = name;
      lines_.push_back(Line{p, static_cast<std::uint32_t>(content.size()), b, kNone, lineEnd});
      if (named) {
        const auto sameName = [&](std::uint32_t other) { return blocks_[other].name == name; };
        std::uint32_t& last = lastOfName.Get(SectionHash(name), sameName);
        if (last == kNone) {
          sections_.Get(SectionHash(name), sameName) = b;
          block.first = true;
        } else {
          blocks_[last].nextSame = b;
        }
        last = b;
      }
    } else {
      const auto b = static_cast<std::uint32_t>(blocks_.size() - 1);
      lines_.push_back(Line{p, static_cast<std::uint32_t>(content.size()), b, kNone, lineEnd});
    }
    p = next;
  }
  blocks_.back().bodyEnd = static_cast<std::uint32_t>(lines_.size());
  IndexIfLarge(static_cast<std::uint32_t>(blocks_.size() - 1));
  liveLines_ = static_cast<std::uint32_t>(lines_.size());
  lastLiveBlock_ = static_cast<std::uint32_t>(blocks_.size() - 1);
  if (!lines_.empty() && lines_.back().end == LineEnd::None)
    openLastLine_ = static_cast<std::uint32_t>(lines_.size() - 1);
}

bool IniText::HasKey(std::uint32_t line, std::uint32_t block, std::string_view key) const {
  const Line& l = lines_[line];
  return l.block == block && l.size > key.size() && l.data[key.size()] == '=' &&
         std::memcmp(l.data, key.data(), key.size()) == 0;
}

template <class Visit>
void IniText::ForEachLine(const Block& block, Visit visit) const {
  for (std::uint32_t id = block.added; id != kNone; id = lines_[id].next)
    if (!lines_[id].removed && visit(id)) return;
  for (std::uint32_t id = block.bodyBegin; id < block.bodyEnd; ++id)
    if (!lines_[id].removed && visit(id)) return;
  for (std::uint32_t id = block.tail; id != kNone; id = lines_[id].next)
    if (!lines_[id].removed && visit(id)) return;
}

std::uint32_t IniText::FindBlock(std::string_view section) const {
  // The section found last, or the one after it, costs no hashing.
  for (std::uint32_t b = lastFound_; b < blocks_.size() && b <= lastFound_ + 1; ++b) {
    const Block& block = blocks_[b];
    if (block.first && !block.removed && block.name == section) return lastFound_ = b;
  }
  const std::uint32_t b =
      sections_.Find(SectionHash(section), [&](std::uint32_t other) { return blocks_[other].name == section; });
  if (b == kNone || blocks_[b].removed) return kNone;
  return lastFound_ = b;
}

void IniText::IndexIfLarge(std::uint32_t b) {
  Block& block = blocks_[b];
  if (!block.named || block.indexed || LineCount(block) <= kScanLimit) return;
  block.indexed = true;
  ForEachLine(block, [&](std::uint32_t id) {
    const std::string_view content(lines_[id].data, lines_[id].size);
    if (const auto eq = content.find('='); eq != std::string_view::npos) {
      const std::string_view key = content.substr(0, eq);
      std::uint32_t& first = keys_.Get(KeyHash(b, key), [&](std::uint32_t other) { return HasKey(other, b, key); });
      if (first == kNone) first = id;
    }
    return false;
  });
}

std::uint32_t IniText::FindLine(std::uint32_t block, std::string_view key) const {
  if (!blocks_[block].indexed) return FirstLineWithKey(block, key);
  const std::uint32_t line =
      keys_.Find(KeyHash(block, key), [&](std::uint32_t other) { return HasKey(other, block, key); });
  return line == kNone || lines_[line].removed ? kNone : line;
}

std::optional<IniText::Value> IniText::Find(std::string_view section, std::string_view key) const {
  if (key.find('=') != std::string_view::npos) return std::nullopt;
  const std::uint32_t b = FindBlock(section);
  if (b == kNone) return std::nullopt;
  const std::uint32_t id = FindLine(b, key);
  if (id == kNone) return std::nullopt;
  const Line& line = lines_[id];
  return Value{std::string_view(line.data + key.size() + 1, line.size - key.size() - 1)};
}

void IniText::SectionNames(std::vector<std::string>& names) const {
  for (const Block& block : blocks_)
    if (block.named && !block.removed) names.emplace_back(block.name);
}

bool IniText::KeyNames(std::string_view section, std::vector<std::string>& names) const {
  const std::uint32_t b = FindBlock(section);
  if (b == kNone) return false;
  ForEachLine(blocks_[b], [&](std::uint32_t id) {
    const std::string_view content(lines_[id].data, lines_[id].size);
    if (const auto eq = content.find('='); eq != std::string_view::npos) names.emplace_back(content.substr(0, eq));
    return false;
  });
  return true;
}

std::string_view IniText::Keep(std::string_view a, std::string_view b, std::string_view c) {
  const std::size_t size = a.size() + b.size() + c.size();
  if (size == 0) return std::string_view("", 0);
  if (size > roomLeft_) {
    const std::size_t chunk = std::max(size, kChunk);
    chunks_.push_back(std::make_unique<char[]>(chunk));
    room_ = chunks_.back().get();
    roomLeft_ = chunk;
  }
  char* const start = room_;
  std::memcpy(room_, a.data(), a.size());
  std::memcpy(room_ + a.size(), b.data(), b.size());
  std::memcpy(room_ + a.size() + b.size(), c.data(), c.size());
  room_ += size;
  roomLeft_ -= size;
  keptBytes_ += size;
  return std::string_view(start, size);
}

std::uint32_t IniText::AddLine(std::string_view a, std::string_view b, std::string_view c, std::uint32_t block) {
  const std::string_view content = Keep(a, b, c);
  lines_.push_back(Line{content.data(), static_cast<std::uint32_t>(content.size()), block, kNone, lineEnd_});
  ++liveLines_;
  return static_cast<std::uint32_t>(lines_.size() - 1);
}

void IniText::EndOpenLine() {
  if (openLastLine_ == kNone) return;
  lines_[openLastLine_].end = lineEnd_;
  openLastLine_ = kNone;
}

bool IniText::Set(std::string_view section, std::string_view key, std::string_view value) {
  if (foreign_ || section.size() + 2 >= kNone || key.size() + value.size() + 1 >= kNone) return false;
  Touch();
  std::uint32_t b = FindBlock(section);
  if (b == kNone) {
    // A new section at the end, after an empty line unless it is the first.
    EndOpenLine();
    if (liveLines_ > 0) {
      const std::uint32_t empty = AddLine({}, {}, {}, lastLiveBlock_);
      Block& last = blocks_[lastLiveBlock_];
      if (last.tail == kNone) last.tail = empty;
      else lines_[last.tailLast].next = empty;
      last.tailLast = empty;
      ++last.addedCount;
    }
    b = static_cast<std::uint32_t>(blocks_.size());
    blocks_.emplace_back();
    const std::uint32_t header = AddLine("[", section, "]", b);
    Block& block = blocks_[b];
    block.header = header;
    block.named = true;
    block.first = true;
    block.name = std::string_view(lines_[block.header].data + 1, section.size());
    sections_.Get(SectionHash(section), [&](std::uint32_t other) { return blocks_[other].name == section; }) = b;
    lastLiveBlock_ = b;
  } else if (blocks_[b].header == openLastLine_) {
    EndOpenLine();  // a header on the last line, without its line end
  }

  const std::uint32_t id = FindLine(b, key);
  if (id == kNone) {
    // A new key becomes the section's first line.
    const std::uint32_t line = AddLine(key, "=", value, b);
    lines_[line].next = blocks_[b].added;
    blocks_[b].added = line;
    ++blocks_[b].addedCount;
    if (blocks_[b].indexed)
      keys_.Get(KeyHash(b, key), [&](std::uint32_t other) { return HasKey(other, b, key); }) = line;
    else
      IndexIfLarge(b);
    return true;
  }
  Line& line = lines_[id];
  const std::string_view old(line.data + key.size() + 1, line.size - key.size() - 1);
  if (old != value) {
    const std::string_view content = Keep(key, "=", value);
    line.data = content.data();
    line.size = static_cast<std::uint32_t>(content.size());
  }
  if (id == openLastLine_) EndOpenLine();
  return true;
}

bool IniText::RemoveSection(std::string_view section) {
  const std::uint32_t b = FindBlock(section);
  if (b == kNone) return false;
  Touch();
  Block& block = blocks_[b];
  block.removed = true;
  std::uint32_t live = 1;  // the header
  ForEachLine(block, [&](std::uint32_t) { ++live; return false; });
  liveLines_ -= live;
  if (openLastLine_ != kNone && lines_[openLastLine_].block == b) openLastLine_ = kNone;
  // A later section with the same name is the one found from now on.
  if (block.nextSame != kNone) {
    sections_.Get(SectionHash(section), [&](std::uint32_t other) { return blocks_[other].name == section; }) =
        block.nextSame;
    blocks_[block.nextSame].first = true;
  }
  while (blocks_[lastLiveBlock_].removed) --lastLiveBlock_;  // block 0 is never removed
  return true;
}

std::uint32_t IniText::FirstLineWithKey(std::uint32_t block, std::string_view key) const {
  std::uint32_t found = kNone;
  ForEachLine(blocks_[block], [&](std::uint32_t id) {
    if (!HasKey(id, block, key)) return false;
    found = id;
    return true;
  });
  return found;
}

bool IniText::RemoveKey(std::string_view section, std::string_view key) {
  if (key.find('=') != std::string_view::npos) return false;
  const std::uint32_t b = FindBlock(section);
  if (b == kNone) return false;
  const std::uint32_t id = FindLine(b, key);
  if (id == kNone) return false;
  Touch();
  lines_[id].removed = true;
  --liveLines_;
  if (id == openLastLine_) openLastLine_ = kNone;
  // A later line with the same key in the section is the one found from now on.
  if (blocks_[b].indexed) {
    if (const std::uint32_t next = FirstLineWithKey(b, key); next != kNone)
      keys_.Get(KeyHash(b, key), [&](std::uint32_t other) { return HasKey(other, b, key); }) = next;
  }
  return true;
}

void IniText::Touch() {
  changed_ = true;
  renderedValid_ = false;
}

const std::string& IniText::Render() const {
  if (!changed_) return bytes_;
  if (renderedValid_) return rendered_;
  rendered_.clear();
  rendered_.reserve(bytes_.size() + keptBytes_ + 2 * (lines_.size() + 1));
  rendered_.append(bytes_, 0, bom_);
  const auto put = [&](std::uint32_t id) {
    const Line& line = lines_[id];
    rendered_.append(line.data, line.size);
    switch (line.end) {
      case LineEnd::None: break;
      case LineEnd::CrLf: rendered_ += "\r\n"; break;
      case LineEnd::Lf: rendered_ += '\n'; break;
      case LineEnd::Cr: rendered_ += '\r'; break;
    }
    return false;
  };
  for (const Block& block : blocks_) {
    if (block.removed) continue;
    if (block.header != kNone) put(block.header);
    ForEachLine(block, put);
  }
  renderedValid_ = true;
  return rendered_;
}
