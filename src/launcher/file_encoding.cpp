#include "launcher/file_encoding.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <memory>

#include "launcher/crc32.h"
#include "launcher/encoded_image.h"
#include "launcher/keyed_block_transform.h"
#include "launcher/md5.h"
#include "launcher/parallel_md5.h"
#include "storage/device_path.h"
#include "storage/file_replacement.h"

namespace {

using Status = EncodedFileOutcome::Status;

bool Cancelled(FileProgress* progress) { return progress != nullptr && progress->cancelled.load(); }

void Advance(FileProgress* progress, std::uint64_t bytes) {
  if (progress != nullptr) progress->done.fetch_add(bytes);
}

// Chunk buffers, left uninitialised: a small file touches only the pages it fills.
struct Chunks {
  std::array<std::unique_ptr<std::uint8_t[]>, 3> buffer;
  Chunks() {
    for (auto& b : buffer) b.reset(new std::uint8_t[kEncodedChunkSize]);
  }
  std::uint8_t* operator[](std::uint64_t k) { return buffer[k % 3].get(); }
};

EncodedFileOutcome Outcome(Status status, FileError error = {}) {
  EncodedFileOutcome outcome;
  outcome.status = status;
  outcome.error = std::move(error);
  return outcome;
}

// A source path as it is stored: its bytes, and whether they are marked UTF-8.
struct StoredBytes {
  std::string bytes;
  bool utf8 = false;
};

// Encodes the whole of `source` (whose path is stored as storedPath) into `out`: content blocks
// as they come, then the last partial block with the path, its length and the digest. The CRC
// of the content comes from the same pass.
Status EncodeStream(FileAccess::File& source, const StoredBytes& storedPath, const KeySchedule& schedule,
                    FileReplacement& out, std::uint32_t& crcOut, FileProgress* progress, FileError& error) {
  Chunks chunks;
  ParallelMd5 md5;  // after the buffers: it is gone before they are
  std::uint32_t crc = 0xFFFFFFFFu;
  std::uint64_t block = 0;  // blocks written so far
  std::uint64_t content = 0;
  std::array<std::uint64_t, 3> ticket{};
  std::size_t got = 0;
  for (std::uint64_t k = 0;; ++k) {
    if (Cancelled(progress)) return Status::Cancelled;
    if (!FileAccess::ReadFully(source, chunks[k], kEncodedChunkSize, got, error)) return Status::Unreadable;
    crc = Crc32Update(crc, chunks[k], got);
    ticket[k % 3] = md5.Add(chunks[k], got);
    content += got;
    if (k > 0) {
      // The chunk before this one was full, so it holds whole blocks, and more follows it.
      md5.Wait(ticket[(k - 1) % 3]);
      KeyedBlockTransformBlocks(chunks[k - 1], kEncodedChunkSize / 8, block, schedule, true);
      if (!out.Write(chunks[k - 1], kEncodedChunkSize, error)) return Status::WriteFailed;
      block += kEncodedChunkSize / 8;
      Advance(progress, kEncodedChunkSize);
    }
    if (got < kEncodedChunkSize) break;
  }
  // The last chunk: its whole blocks, then what is left of it with the trailer.
  std::uint8_t* last = chunks[content / kEncodedChunkSize];
  const std::size_t whole = got & ~std::size_t{7};
  const std::string digest = HexDigest(md5.Final());
  KeyedBlockTransformBlocks(last, whole / 8, block, schedule, true);
  if (!out.Write(last, whole, error)) return Status::WriteFailed;
  block += whole / 8;
  std::string tail(reinterpret_cast<const char*>(last) + whole, got - whole);
  tail += BuildEncodedTrailer(storedPath.bytes, digest, storedPath.utf8);
  const std::uint64_t total = content + storedPath.bytes.size() + kEncodedTrailerSize;
  const std::uint64_t blocks = TransformedBlockCount(total);
  auto* bytes = reinterpret_cast<std::uint8_t*>(tail.data());
  if (blocks > block) KeyedBlockTransformBlocks(bytes, static_cast<std::size_t>(blocks - block), block, schedule, true);
  if (!out.Write(bytes, tail.size(), error)) return Status::WriteFailed;
  Advance(progress, got);
  crcOut = ~crc;
  return Status::Ok;
}

// Opens an encoded file and reads its trailer from its end: the stored path, the content's
// length and digest. A wrong key fails here (or, rarely, only at the digest).
Status OpenEncoded(FileAccess& files, const std::string& path, const KeySchedule& schedule,
                   std::unique_ptr<FileAccess::File>& file, std::uint64_t& total, EncodedTrailer& trailer,
                   FileError& error) {
  file = files.OpenRead(path, error);
  if (!file || !file->Size(total, error)) return Status::Unreadable;
  if (total < kEncodedTrailerSize) return Status::NotEncoded;
  // The end that holds any path within its limit; read again further back for a longer one.
  std::uint64_t tailSize = kEncodedTailSize;
  for (;;) {
    const std::uint64_t start = total > tailSize ? (total - tailSize) & ~std::uint64_t{7} : 0;
    std::vector<std::uint8_t> tail(static_cast<std::size_t>(total - start));
    std::size_t got = 0;
    if (!file->Seek(start, error) || !FileAccess::ReadFully(*file, tail.data(), tail.size(), got, error))
      return Status::Unreadable;
    if (got != tail.size()) {
      error = FileError::Unknown("the file got shorter while it was read");
      return Status::Unreadable;
    }
    const std::uint64_t blocks = TransformedBlockCount(total), first = start / 8;
    if (blocks > first) KeyedBlockTransformBlocks(tail.data(), static_cast<std::size_t>(blocks - first), first, schedule, false);
    trailer = EncodedTrailer{};
    if (ParseEncodedTrailer(tail.data(), tail.size(), total, trailer)) return Status::Ok;
    if (trailer.tailNeeded <= tail.size()) return Status::NotEncoded;
    tailSize = trailer.tailNeeded;
  }
}

// Decodes the content of an opened encoded file into `out` (or nowhere) and checks its digest.
Status DecodeStream(FileAccess::File& file, const EncodedTrailer& trailer, const KeySchedule& schedule,
                    FileReplacement* out, FileProgress* progress, FileError& error) {
  if (!file.Seek(0, error)) return Status::Unreadable;
  Chunks chunks;
  ParallelMd5 md5;  // after the buffers: it is gone before they are
  std::array<std::uint64_t, 3> ticket{};
  const std::uint64_t length = trailer.contentSize;
  const std::uint64_t end = (length + 7) & ~std::uint64_t{7};  // the block holding the last content byte, whole
  std::uint64_t position = 0;
  for (std::uint64_t k = 0; position < length; ++k) {
    if (Cancelled(progress)) return Status::Cancelled;
    if (k >= 3) md5.Wait(ticket[k % 3]);  // the buffer's earlier chunk is hashed
    const std::size_t want = static_cast<std::size_t>(std::min<std::uint64_t>(kEncodedChunkSize, end - position));
    std::size_t got = 0;
    if (!FileAccess::ReadFully(file, chunks[k], want, got, error)) return Status::Unreadable;
    if (got != want) {
      error = FileError::Unknown("the file got shorter while it was read");
      return Status::Unreadable;
    }
    KeyedBlockTransformBlocks(chunks[k], want / 8, position / 8, schedule, false);
    const std::size_t used = static_cast<std::size_t>(std::min<std::uint64_t>(want, length - position));
    ticket[k % 3] = md5.Add(chunks[k], used);
    if (out != nullptr && !out->Write(chunks[k], used, error)) return Status::WriteFailed;
    position += used;
    Advance(progress, used);
  }
  if (HexDigest(md5.Final()) != trailer.digest) return Status::NotEncoded;
  return Status::Ok;
}

// Checks a source path and makes its stored form: the code page's bytes when they fit where
// every reader looks for them, marked UTF-8 otherwise.
EncodedFileOutcome CheckedSource(const std::string& sourcePath, const CodePage& codePage, StoredBytes& stored) {
  EncodedFileOutcome outcome;
  outcome.pathProblem = StoredPath::Check(sourcePath, StoredPath::kNative);
  if (outcome.pathProblem == StoredPath::Problem::None) {
    stored.utf8 = !codePage.FromUtf8(sourcePath, stored.bytes) || stored.bytes.size() > kMaxStoredPathLength;
    if (stored.utf8) stored.bytes = sourcePath;
    // Checked already: at most 259 UTF-16 units, so at most kMaxStoredUtf8PathLength bytes.
    if (stored.bytes.size() > kMaxStoredUtf8PathLength) outcome.pathProblem = StoredPath::Problem::TooLong;
  }
  if (outcome.pathProblem != StoredPath::Problem::None) outcome.status = Status::UnsafePath;
  return outcome;
}

// The stored path as text: marked UTF-8 as it is, the rest read in the code page.
bool StoredText(const EncodedTrailer& trailer, const CodePage& codePage, std::string& text) {
  if (trailer.utf8) {
    text = trailer.path;
    return true;
  }
  return codePage.ToUtf8(trailer.path, text);
}

std::unique_ptr<FileAccess::File> OpenSource(FileAccess& files, const std::string& path, FileProgress* progress,
                                             FileError& error) {
  std::unique_ptr<FileAccess::File> source = files.OpenRead(path, error);
  std::uint64_t size = 0;
  if (source && progress != nullptr && source->Size(size, error)) progress->total = size;
  return source;
}

}  // namespace

std::optional<std::uint32_t> FileCrc32(const std::string& path, FileAccess& files, FileError* error) {
  FileError ignored;
  FileError& reason = error ? *error : ignored;
  std::unique_ptr<FileAccess::File> file = files.OpenRead(path, reason);
  if (!file) return std::nullopt;
  // Left uninitialised: the reads fill it, and zeroing a megabyte first costs a pass over it.
  constexpr std::size_t kSize = std::size_t{1} << 20;
  const std::unique_ptr<std::uint8_t[]> buffer(new std::uint8_t[kSize]);
  std::uint32_t crc = 0xFFFFFFFFu;
  for (;;) {
    std::size_t got = 0;
    if (!file->Read(buffer.get(), kSize, got, reason)) return std::nullopt;
    if (got == 0) return ~crc;
    crc = Crc32Update(crc, buffer.get(), got);
  }
}

bool KeyBytes(std::string_view keyText, const CodePage& codePage, std::string& bytes) {
  return codePage.FromUtf8(keyText, bytes);
}

EncodedFileOutcome EncodeFileTo(const std::string& sourcePath, const std::string& destPath, std::string_view key,
                                FileAccess& files, FileProgress* progress, const CodePage& codePage,
                                const std::function<bool(const std::string&)>& beforeWrite) {
  StoredBytes stored;
  EncodedFileOutcome outcome = CheckedSource(sourcePath, codePage, stored);
  if (!outcome.ok()) return outcome;
  std::unique_ptr<FileAccess::File> source = OpenSource(files, sourcePath, progress, outcome.error);
  if (!source) return Outcome(Status::Unreadable, outcome.error);
  FileReplacement out(files, destPath);
  if (!out.Begin(outcome.error)) return Outcome(Status::WriteFailed, outcome.error);
  if (beforeWrite && !beforeWrite(out.temporaryPath()))
    return Outcome(Status::WriteFailed, FileError::Unknown("the temporary file could not be listed"));
  std::uint32_t crc = 0;
  outcome.status = EncodeStream(*source, stored, KeySchedule(key), out, crc, progress, outcome.error);
  if (outcome.ok() && !out.Commit(outcome.error)) outcome.status = Status::WriteFailed;
  if (outcome.ok()) outcome.path = destPath;
  return outcome;
}

EncodedFileOutcome EncodeNewFile(const std::string& sourcePath, const std::vector<std::string>& folders,
                                 std::string_view name, std::string_view key, FileAccess& files,
                                 FileProgress* progress, const CodePage& codePage) {
  StoredBytes stored;
  EncodedFileOutcome outcome = CheckedSource(sourcePath, codePage, stored);
  if (!outcome.ok()) return outcome;
  std::unique_ptr<FileAccess::File> source = OpenSource(files, sourcePath, progress, outcome.error);
  if (!source) return Outcome(Status::Unreadable, outcome.error);
  // The first folder that takes a new file; the next only when this one refuses.
  std::unique_ptr<FileReplacement> out;
  std::string folder;
  for (const std::string& candidate : folders) {
    FileError error;
    if (files.KindOf(candidate) == FileAccess::Kind::Missing && !files.CreateFolders(candidate, error)) {
      outcome.error = error;
      continue;
    }
    auto attempt = std::make_unique<FileReplacement>(files, candidate + "x.QZD");
    if (attempt->Begin(error)) {
      out = std::move(attempt);
      folder = candidate;
      break;
    }
    outcome.error = error;
    if (!error.denied) break;
  }
  if (!out) return Outcome(Status::WriteFailed, outcome.error);
  std::uint32_t crc = 0;
  outcome.status = EncodeStream(*source, stored, KeySchedule(key), *out, crc, progress, outcome.error);
  if (!outcome.ok()) return outcome;
  int number = 0;
  const auto candidates = [&]() -> std::string {
    return ++number > 999 ? std::string() : EncodedFileName(folder, name, crc, number);
  };
  if (!out->CommitAsNew(candidates, outcome.path, outcome.error)) outcome.status = Status::WriteFailed;
  return outcome;
}

bool NamesKeptFile(FileAccess& files, const std::string& target, const std::string& kept) {
  if (files.SameFile(target, kept)) return true;
  if (files.KindOf(target) != FileAccess::Kind::Missing || files.KindOf(kept) != FileAccess::Kind::Missing) return false;
  const std::string folderA = files.FolderOf(target), folderB = files.FolderOf(kept);
  std::string leafA = target.substr(folderA.size()), leafB = kept.substr(folderB.size());
#ifdef _WIN32
  // Windows drops trailing dots and spaces and ignores case.
  for (std::string* leaf : {&leafA, &leafB}) {
    while (!leaf->empty() && (leaf->back() == '.' || leaf->back() == ' ')) leaf->pop_back();
    for (char& c : *leaf) c = static_cast<char>(c >= 'A' && c <= 'Z' ? c + 32 : c);
  }
#endif
  if (leafA.empty() || leafA != leafB) return false;
  return folderA == folderB || files.SameFile(folderA, folderB);
}

EncodedFileOutcome DecodeEncodedFile(const std::string& encodedPath, std::string_view key,
                                     const DecodeOptions& options, FileAccess& files, FileProgress* progress,
                                     const CodePage& codePage) {
  EncodedFileOutcome outcome;
  const KeySchedule schedule(key);
  std::unique_ptr<FileAccess::File> file;
  std::uint64_t total = 0;
  EncodedTrailer trailer;
  outcome.status = OpenEncoded(files, encodedPath, schedule, file, total, trailer, outcome.error);
  if (!outcome.ok()) return outcome;
  const bool readable = StoredText(trailer, codePage, outcome.storedPath);
  if (!readable) outcome.storedPath = ShownStoredPath(trailer.path);
  std::string target = options.to;
  if (target.empty()) {
    if (trailer.overLong) {
      // No path this system writes to; the digest tells such a file from a damaged one.
      if (progress != nullptr) progress->total = trailer.contentSize;
      outcome.status = DecodeStream(*file, trailer, schedule, nullptr, progress, outcome.error);
      if (!outcome.ok()) return outcome;
      outcome.pathProblem = StoredPath::Problem::TooLong;
      outcome.status = Status::UnsafePath;
      return outcome;
    }
    outcome.pathProblem =
        readable ? StoredPath::Check(outcome.storedPath, StoredPath::kNative) : StoredPath::Problem::NotText;
    if (outcome.pathProblem != StoredPath::Problem::None) {
      outcome.status = Status::UnsafePath;
      return outcome;
    }
    target = outcome.storedPath;
  }
  bool kept = files.SameFile(target, encodedPath);
  for (const std::string& keep : options.keep) kept = kept || NamesKeptFile(files, target, keep);
  if (kept) {
    outcome.status = Status::TargetIsProtected;
    outcome.path = target;
    return outcome;
  }
  const FileAccess::Kind there = files.KindOf(target);
  // A folder, a device or a pipe is never replaced, asked or not (as root, --force over
  // /dev/null would put a plain file in its place).
  if (there == FileAccess::Kind::Directory || there == FileAccess::Kind::Other) {
    outcome.status = Status::WriteFailed;
    outcome.error = FileError::Unknown(there == FileAccess::Kind::Directory ? "it is a folder"
                                                                            : "it is a device or another special file");
    return outcome;
  }
  if (!options.replace && there != FileAccess::Kind::Missing) {
    outcome.status = Status::TargetExists;
    return outcome;
  }
  if (progress != nullptr) progress->total = trailer.contentSize;
  FileReplacement out(files, target);
  if (!out.Begin(outcome.error)) {
    outcome.status = Status::WriteFailed;
    return outcome;
  }
  if (options.beforeWrite && !options.beforeWrite(out.temporaryPath())) {
    outcome.error = FileError::Unknown("the temporary file could not be listed");
    outcome.status = Status::WriteFailed;
    return outcome;
  }
  outcome.status = DecodeStream(*file, trailer, schedule, &out, progress, outcome.error);
  file.reset();
  if (!outcome.ok()) return outcome;
  if (options.replace) {
    if (!out.Commit(outcome.error)) outcome.status = Status::WriteFailed;
  } else {
    bool offered = false;
    const auto once = [&]() -> std::string { return std::exchange(offered, true) ? std::string() : target; };
    std::string taken;
    if (!out.CommitAsNew(once, taken, outcome.error))
      outcome.status = files.KindOf(target) != FileAccess::Kind::Missing ? Status::TargetExists : Status::WriteFailed;
  }
  if (outcome.ok()) outcome.path = target;
  return outcome;
}

EncodedFileOutcome InspectEncodedFile(const std::string& encodedPath, std::string_view key, EncodedFileInfo& info,
                                      bool checkContent, FileAccess& files, const CodePage& codePage) {
  EncodedFileOutcome outcome;
  const KeySchedule schedule(key);
  std::unique_ptr<FileAccess::File> file;
  std::uint64_t total = 0;
  EncodedTrailer trailer;
  outcome.status = OpenEncoded(files, encodedPath, schedule, file, total, trailer, outcome.error);
  if (outcome.ok() && checkContent) outcome.status = DecodeStream(*file, trailer, schedule, nullptr, nullptr, outcome.error);
  if (!outcome.ok()) return outcome;
  info.pathReadable = StoredText(trailer, codePage, info.storedPath);
  if (!info.pathReadable) {
    info.storedPath = ShownStoredPath(trailer.path);
    outcome.pathProblem = StoredPath::Problem::NotText;
  } else if (trailer.overLong) {
    outcome.pathProblem = StoredPath::Problem::TooLong;
  }
  outcome.storedPath = info.storedPath;
  info.storedAsUtf8 = trailer.utf8;
  info.storedSize = trailer.path.size();
  info.contentLength = trailer.contentSize;
  info.digest = trailer.digest;
  return outcome;
}

bool EncodeFile(const std::string& sourcePath, const std::string& destPath, std::string_view key, FileAccess& files) {
  return EncodeFileTo(sourcePath, destPath, key, files).ok();
}

bool DecodeFile(const std::string& encodedPath, std::string_view key, std::string& restoredPath, FileAccess& files,
                const std::string& overridePath) {
  DecodeOptions options;
  options.to = overridePath;
  const EncodedFileOutcome outcome = DecodeEncodedFile(encodedPath, key, options, files);
  if (outcome.ok()) restoredPath = outcome.path;
  return outcome.ok();
}

std::string ShownStoredPath(std::string_view bytes) {
  static const char kHex[] = "0123456789ABCDEF";
  std::string shown;
  for (const char ch : bytes) {
    const auto c = static_cast<unsigned char>(ch);
    if (c < 0x80) {
      shown += ch;
    } else {
      shown += "\\x";
      shown += kHex[c >> 4];
      shown += kHex[c & 15];
    }
  }
  return shown;
}

namespace {

// The length of the well-formed UTF-8 character at text[at], or 0.
std::size_t CharacterLength(std::string_view text, std::size_t at) {
  const auto c = static_cast<unsigned char>(text[at]);
  const std::size_t n = c < 0x80 ? 1 : c >= 0xF0 ? 4 : c >= 0xE0 ? 3 : c >= 0xC0 ? 2 : 0;
  if (n == 0 || at + n > text.size() || !CodePage::IsUtf8(text.substr(at, n))) return 0;
  return n;
}

}  // namespace

std::string SafeFileNamePart(std::string_view name, std::size_t maxUnits) {
  const std::size_t kMaxUnits = std::min<std::size_t>(maxUnits, 200);  // UTF-16 units, as the file system counts a name
  std::string safe;
  std::size_t units = 0;
  for (std::size_t i = 0; i < name.size();) {
    std::size_t n = CharacterLength(name, i);
    const std::size_t width = n == 4 ? 2 : 1;
    if (units + width > kMaxUnits) break;
    units += width;
    if (n == 0) {
      safe.push_back('_');  // not UTF-8: no character to keep
      ++i;
      continue;
    }
    if (n > 1) {
      safe.append(name.substr(i, n));
      i += n;
      continue;
    }
    const auto c = static_cast<unsigned char>(name[i++]);
    const bool forbidden = c < 0x20 || c == 0x7F || c == '\\' || c == '/' || c == ':' || c == '*' || c == '?' ||
                           c == '"' || c == '<' || c == '>' || c == '|';
    safe.push_back(forbidden ? '_' : static_cast<char>(c));
  }
  // The system drops trailing dots and spaces from a name.
  for (auto at = safe.size(); at > 0 && (safe[at - 1] == '.' || safe[at - 1] == ' '); --at) safe[at - 1] = '_';
  if (DevicePath::IsDeviceName(safe)) {
    safe.insert(safe.begin(), '_');
    if (units + 1 > kMaxUnits) safe.pop_back();  // a device name is ASCII
  }
  return safe;
}

std::string EncodedFileName(std::string_view folder, std::string_view name, std::uint32_t crc, int number) {
  char crcText[9];
  std::snprintf(crcText, sizeof crcText, "%08X", static_cast<unsigned>(crc));
  std::string suffix = crcText;
  if (number > 1) suffix += "_" + std::to_string(number);
  suffix += ".QZD";
  // The name is cut so that the whole path keeps within the 259 characters every program opens.
  const std::size_t used = CodePage::Utf8ToUtf16(folder).size() + suffix.size();
  const std::size_t room = used < StoredPath::kMaxLength ? StoredPath::kMaxLength - used : 0;
  return std::string(folder) + SafeFileNamePart(name, room) + suffix;
}
