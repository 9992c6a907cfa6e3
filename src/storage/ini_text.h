// The text of an INI file as its lines, with an index of its sections and
// keys: the text is parsed once, each lookup or change touches only the lines
// it concerns, and the whole text is put together again once, when it is
// asked for. Every byte that no change touches is kept as it was.
//
// Lines end with CR LF, LF or a lone CR, alike; each line keeps its own end,
// and lines added take the text's first line end (CR LF when it has none).
// A UTF-8 byte-order mark at the start is kept and is not part of the first
// line. A section starts at a header line: "[" name "]", after any spaces and
// tabs. It ends before the next header or the next line that starts with "["
// (such a line starts a block that belongs to no section). A key line starts
// with its name and "=". The first section with a name and the first line with
// a key in it count; removing one brings the next forward. Names compare
// exactly, with case.
//
// Text that is not single-byte (UTF-16, with its byte-order mark in either
// order or without one) is foreign: it holds no sections and must not be changed. So is text
// of 4 GiB or more, far beyond any settings file: lines are counted and
// measured in 32 bits.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "storage/id_table.h"

class IniText {
 public:
  IniText() { blocks_.emplace_back(); }  // an empty text: no lines before any header
  IniText(const IniText&) = delete;  // the index points into the text's own bytes
  IniText& operator=(const IniText&) = delete;

  // Takes the file's bytes, whatever they hold; called once, on an empty text.
  void Load(std::string bytes);

  bool foreign() const { return foreign_; }
  // The whole text as it would be written.
  const std::string& Render() const;

  struct Value {
    std::string_view text;  // from after "=" up to the line end, or the end of the text
  };
  std::optional<Value> Find(std::string_view section, std::string_view key) const;

  // Header names in text order, one for each header line.
  void SectionNames(std::vector<std::string>& names) const;
  // The names before "=" of the section's lines, in text order; false when the section is missing.
  bool KeyNames(std::string_view section, std::vector<std::string>& names) const;

  // Replaces the value in place; or, when the section has no such key, puts
  // the line key "=" value directly after the header; or, when there is no
  // such section, appends an empty line (unless the text is empty), the
  // header and the line. Names must make a header and a key line that parse
  // back as themselves; the value must hold no line end. False, changing
  // nothing, for foreign text or a line of 4 GiB or more.
  bool Set(std::string_view section, std::string_view key, std::string_view value);
  // Removes the section's header and its lines; false when it is missing.
  bool RemoveSection(std::string_view section);
  // Removes the key's line with its line end; false when it is missing.
  bool RemoveKey(std::string_view section, std::string_view key);

 private:
  enum class LineEnd : std::uint8_t { None, CrLf, Lf, Cr };
  static constexpr std::uint32_t kNone = IdTable::kNone;

  struct Line {
    const char* data;
    std::uint32_t size;           // without the line end
    std::uint32_t block;          // the block it belongs to
    std::uint32_t next = kNone;   // for lines added: the next one in the same list
    LineEnd end;
    bool removed = false;
  };

  // A header (or, for block 0, the start of the text) and the lines up to the
  // next block: the lines added after the header (the newest first), the lines
  // as read, the lines added at its end.
  struct Block {
    std::string_view name;              // a section's name
    std::uint32_t header = kNone;       // its line; kNone for block 0
    std::uint32_t bodyBegin = 0;        // its lines as read: [bodyBegin, bodyEnd)
    std::uint32_t bodyEnd = 0;
    std::uint32_t nextSame = kNone;     // the next section with the same name
    std::uint32_t added = kNone;        // the newest line added after the header
    std::uint32_t tail = kNone;         // the first line added at the end, and the last
    std::uint32_t tailLast = kNone;
    std::uint32_t addedCount = 0;       // lines added, after the header or at the end
    bool named = false;                 // a section; otherwise its keys are no one's
    bool first = false;                 // the first section with its name, the one found
    bool removed = false;
    bool indexed = false;               // its keys are in keys_; a small section is searched line by line
  };

  // The block's lines after its header, in text order, until `visit` returns true.
  template <class Visit>
  void ForEachLine(const Block& block, Visit visit) const;

  // Sections with more lines than this have their keys indexed; the lines of
  // a smaller one lie together and are quicker to search one by one.
  static constexpr std::uint32_t kScanLimit = 16;
  static std::uint32_t LineCount(const Block& block) { return block.bodyEnd - block.bodyBegin + block.addedCount; }
  void IndexIfLarge(std::uint32_t block);

  bool HasKey(std::uint32_t line, std::uint32_t block, std::string_view key) const;
  std::uint32_t FindBlock(std::string_view section) const;
  std::uint32_t FindLine(std::uint32_t block, std::string_view key) const;
  std::uint32_t FirstLineWithKey(std::uint32_t block, std::string_view key) const;
  // A new line with the content a + b + c and the text's line end, in no list yet.
  std::uint32_t AddLine(std::string_view a, std::string_view b, std::string_view c, std::uint32_t block);
  // Gives the text's last line its line end if it has none.
  void EndOpenLine();
  std::string_view Keep(std::string_view a, std::string_view b, std::string_view c);
  void Touch();

  std::string bytes_;       // as loaded; lines read point into it
  std::size_t bom_ = 0;     // length of the UTF-8 byte-order mark, 0 or 3
  bool foreign_ = false;
  LineEnd lineEnd_ = LineEnd::CrLf;   // the end of lines added
  std::vector<Line> lines_;
  std::vector<Block> blocks_;
  IdTable sections_;        // block ids by name: the first section not removed
  IdTable keys_;            // line ids by (block, key name): the first line, for large sections
  std::uint32_t liveLines_ = 0;
  std::uint32_t lastLiveBlock_ = 0;
  mutable std::uint32_t lastFound_ = 0;  // loaders and savers go through the sections in order
  std::uint32_t openLastLine_ = kNone;  // the text's last line when it has no line end

  std::vector<std::unique_ptr<char[]>> chunks_;  // the text of lines added or changed
  char* room_ = nullptr;
  std::size_t roomLeft_ = 0;
  std::size_t keptBytes_ = 0;

  bool changed_ = false;
  mutable bool renderedValid_ = false;
  mutable std::string rendered_;
};
