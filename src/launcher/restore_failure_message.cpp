#include "launcher/restore_failure_message.h"

#include "resource.h"
#include "win/string_table.h"

namespace {

// The item and what became of it, then the reason.
std::string Framed(RestoreFailureMessage::For what, const std::string& name, const std::string& reason) {
  return StringTable::Format(what == RestoreFailureMessage::For::Run ? IDS_RUN_NOT_RESTORED : IDS_DELETE_NOT_RESTORED,
                             {name, reason});
}

}  // namespace

std::string RestoreFailureMessage::Reason(StoredPath::Problem problem) {
  switch (problem) {
    case StoredPath::Problem::None:
    case StoredPath::Problem::Empty:
      return StringTable::Load(IDS_STORED_PATH_EMPTY);
    case StoredPath::Problem::NotAbsolute:
      return StringTable::Load(IDS_STORED_PATH_NOT_ABSOLUTE);
    case StoredPath::Problem::DotComponent:
      return StringTable::Load(IDS_STORED_PATH_DOT_PART);
    case StoredPath::Problem::BadCharacter:
      return StringTable::Load(IDS_STORED_PATH_BAD_CHARACTER);
    case StoredPath::Problem::TooLong:
      return StringTable::Load(IDS_STORED_PATH_TOO_LONG);
    case StoredPath::Problem::NotText:
      return StringTable::Load(IDS_STORED_PATH_NOT_TEXT);
  }
  return StringTable::Load(IDS_STORED_PATH_NOT_ABSOLUTE);
}

std::string RestoreFailureMessage::NotAFile(For what, const std::string& name, const std::string& target) {
  return Framed(what, name, StringTable::Format(IDS_RESTORE_NOT_A_FILE, {target}));
}

std::string RestoreFailureMessage::Text(For what, const std::string& name, const std::string& encodedPath,
                                        const std::string& target, const EncodedFileOutcome& outcome,
                                        FileAccess& files) {
  using Status = EncodedFileOutcome::Status;
  switch (outcome.status) {
    case Status::Ok:
    case Status::Cancelled:
      return std::string();
    case Status::NotEncoded:
      return Framed(what, name, StringTable::Format(IDS_RESTORE_WRONG_KEY, {encodedPath}));
    case Status::Unreadable:
      return Framed(what, name, StringTable::Format(IDS_RESTORE_UNREADABLE, {encodedPath, outcome.error.message}));
    case Status::UnsafePath:
      return Framed(what, name,
                    StringTable::Format(IDS_RESTORE_BAD_STORED_PATH,
                                        {outcome.storedPath, Reason(outcome.pathProblem)}));
    case Status::TargetExists:
      // Before a run the place was looked at and found free: the file came meanwhile.
      return what == For::Run ? Framed(what, name, StringTable::Format(IDS_RESTORE_APPEARED, {target}))
                              : StringTable::Format(IDS_RESTORE_TARGET_EXISTS, {target});
    case Status::WriteFailed: {
      const FileAccess::Kind there = target.empty() ? FileAccess::Kind::Missing : files.KindOf(target);
      if (there == FileAccess::Kind::Directory || there == FileAccess::Kind::Other) return NotAFile(what, name, target);
      return Framed(what, name, StringTable::Format(IDS_RESTORE_WRITE_FAILED, {target, outcome.error.message}));
    }
    case Status::TargetIsProtected:
      return StringTable::Format(IDS_TARGET_PROTECTED, {name, outcome.path.empty() ? target : outcome.path});
  }
  return std::string();
}
