// Settings kept as INI text in one file: the whole file is read when the store
// is made, every operation works on that text, and Save (or Flush) writes the
// text back, only if something was written. Nothing is written otherwise.
//
// Layout as written: CR LF line ends; "[name]" header lines, each section
// after the first preceded by an empty line; "key=value" lines with the newest
// key first in its section; integers "%d", floats "%f", strings as they are,
// bytes as uppercase hex pairs.
//
// Files as editors leave them are read alike: LF or lone CR line ends (a line
// added to such a file takes the file's own line end), spaces or tabs before a
// header, any bytes (NUL included, kept). A UTF-16 file is foreign: it reads as
// empty and is never written (see IsForeignText).
//
// Names and values are UTF-8 at this interface; the file keeps the encoding it
// was written in, so that what wrote it still reads it:
// - a file that starts with the UTF-8 byte-order mark is UTF-8;
// - a file of ASCII bytes only (a new one too) has no encoding yet: it stays
//   plain ASCII while only ASCII is written, and the first other character
//   written makes it UTF-8 with the mark;
// - any other file is in the system's ANSI code page, or, when that is UTF-8
//   and the file is not valid UTF-8, in the user locale's legacy code page.
// Every byte no change touches is kept. A value the file's code page cannot
// hold exactly turns the whole file into UTF-8 with the mark, once; a file
// whose own bytes are no text of its code page is then left as it is and the
// write is refused. A name or value that is no text of the file's encoding
// reads as missing.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "storage/file_access.h"
#include "storage/ini_text.h"
#include "storage/profile_store.h"
#include "storage/std_file_access.h"
#include "win/code_page.h"

class IniProfileStore : public virtual ProfileStore {
 public:
  // What became of a save.
  struct SaveOutcome {
    enum class Status {
      Ok,        // written, or nothing to write
      ReadOnly,  // the file is marked read-only: it is never written, the changes stay unsaved
      Failed,    // the file could not be written (or read before): reason says why
    };
    Status status = Status::Ok;
    std::string path;    // the file written, or the one that could not be
    std::string reason;  // the system's message for a failure
    bool ok() const { return status == Status::Ok; }
  };

  // The file at `path`, read and written through `files`; a file without the byte-order mark
  // is read in `system`, or in `legacy` (above).
  explicit IniProfileStore(std::string path, FileAccess& files = StdFileAccess::Instance(),
                           const CodePage& system = SystemCodePage(), const CodePage& legacy = LegacyCodePage());
  // Settings kept at `path`, or, when that folder cannot take them, at `fallbackPath`: the
  // fallback file is read instead when it exists, and a save that the folder of `path`
  // refuses (no temporary file there, and the file not writable in place) goes to it.
  IniProfileStore(std::string path, std::string fallbackPath, FileAccess& files,
                  const CodePage& system = SystemCodePage(), const CodePage& legacy = LegacyCodePage());
#ifdef _WIN32
  // The settings file beside the executable: its path with the extension replaced by "ini"
  // (Velta.exe -> Velta.ini), or %APPDATA%\Orvex's Applications\Velta\Velta.ini when that
  // folder cannot take it. Through the Win32 file functions; defined in the Windows library.
  IniProfileStore();
#endif
  // Writes nothing: what was written is saved only by Save or Flush, whose result the caller sees.
  ~IniProfileStore() override = default;
  IniProfileStore(const IniProfileStore&) = delete;
  IniProfileStore& operator=(const IniProfileStore&) = delete;

  // Writes the text back now if anything was written that changed it (a value written as it
  // was changes nothing and writes nothing): into a new temporary file beside the
  // settings file, put in its place in one step; or, when no temporary file can be made in
  // its folder, over the file in place; or at the fallback path (above). An empty text
  // deletes the file. A file marked read-only is never written, and nothing is written when
  // the file existed but could not be read, so a passing read failure can never wipe the
  // settings. The outcome also stays available as lastSave().
  const SaveOutcome& Save();
  // Save(), true when it came out Ok.
  bool Flush();
  const SaveOutcome& lastSave() const { return lastSave_; }

  const std::string& path() const { return path_; }
  // The file's whole content as it would be written.
  const std::string& text() const { return ini_->Render(); }
  // The file's code page: CodePage::kUtf8 for UTF-8 (with the mark, or a file written on a
  // system whose code page is UTF-8), 1252, 932, ...; 0 while it holds only ASCII.
  unsigned codePage() const { return page_ ? page_->Id() : 0; }
  bool dirty() const { return dirty_; }
  // The file is not single-byte text (UTF-16): every read gives the default,
  // every write is refused and the file is left as it is. The caller may tell
  // the user that the settings cannot be kept.
  bool IsForeignText() const { return ini_->foreign(); }

  // The code pages a file without the byte-order mark was written in: on Windows the system's
  // ANSI code page and the user locale's legacy one; elsewhere UTF-8 and 1252.
  static const CodePage& SystemCodePage();
  static const CodePage& LegacyCodePage();

  bool EnumSections(std::vector<std::string>& names) override;
  bool DeleteSection(std::string_view section) override;
  bool EnumKeys(std::string_view section, std::vector<std::string>& names) override;
  bool DeleteKey(std::string_view section, std::string_view key) override;

  std::int32_t GetInt(std::string_view section, std::string_view key, std::int32_t fallback) override;
  float GetFloat(std::string_view section, std::string_view key, float fallback) override;
  std::string GetString(std::string_view section, std::string_view key, std::string_view fallback) override;
  std::size_t GetStringToBuffer(std::string_view section, std::string_view key, std::string_view fallback,
                                char* buffer, std::size_t size) override;
  bool GetBinary(std::string_view section, std::string_view key, void* destination, const void* fallback,
                 std::size_t size) override;
  std::size_t GetBinaryCopy(std::string_view section, std::string_view key, std::vector<std::uint8_t>& out,
                            const void* fallback, std::size_t fallbackSize) override;

  bool WriteInt(std::string_view section, std::string_view key, std::int32_t value) override;
  bool WriteFloat(std::string_view section, std::string_view key, float value) override;
  bool WriteString(std::string_view section, std::string_view key, std::string_view value) override;
  bool WriteBinary(std::string_view section, std::string_view key, const void* data, std::size_t size) override;

  // A line break cannot stand in a value line; a string value's line breaks
  // (CR LF, or a lone CR or LF) are stored as this character and read back
  // as CR LF.
  static constexpr char kLineBreakMark = '\x1F';

 private:
  std::optional<IniText::Value> Find(std::string_view section, std::string_view key) const;
  bool Write(std::string_view section, std::string_view key, std::string_view value);
  // UTF-8 as the file's bytes and back; false when the file's encoding cannot hold it.
  bool Encode(std::string_view text, std::string& bytes) const;
  bool Decode(std::string_view bytes, std::string& text) const;
  // The whole text as UTF-8 with the byte-order mark; false, changing nothing, when the
  // file's bytes are no text of its code page.
  bool BecomeUtf8();

  std::string path_;
  std::string fallbackPath_;
  FileAccess& files_;
  const CodePage* page_ = nullptr;  // null: ASCII only so far
  std::unique_ptr<IniText> ini_ = std::make_unique<IniText>();
  bool dirty_ = false;
  std::string stored_;  // the file's bytes as read or last written
  bool readFailed_ = false;
  std::string readError_;
  SaveOutcome lastSave_;
};
