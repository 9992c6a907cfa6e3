// One run of an encoded launcher item, from its claim to the plain file's end: refused while the
// item runs already; its stored path looked at before anything is written (a free place, a file
// an interrupted run left, a file of the user's, the encoded or settings file itself); restored
// with every file it may leave (the temporary one too) listed first; encoded again once its
// program has ended, as long as the plain file keeps changing, and deleted only when the
// encoded file has been replaced whole. Counted (ActiveEncodedRuns) for as long as it lives.
// The window asks and shows; the policy is here, over the file seam.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "launcher/active_encoded_runs.h"
#include "launcher/file_encoding.h"
#include "launcher/launcher_item.h"
#include "launcher/run_journal.h"
#include "storage/file_access.h"
#include "win/code_page.h"

class EncodedRun {
 public:
  EncodedRun(LauncherItem item, std::string key, FileAccess& files, RunJournal& journal, const CodePage& codePage);
  ~EncodedRun();
  EncodedRun(const EncodedRun&) = delete;
  EncodedRun& operator=(const EncodedRun&) = delete;

  // False when a run of the same encoded file (under any name) is going on.
  bool Claim();

  enum class Place {
    Free,         // nothing there: the restore goes ahead
    LeftByRun,    // a plain file the list names: an interrupted run left it, maybe with edits
    UserFile,     // something else is there
    Protected,    // the stored path is the encoded file itself, or a kept file (the settings file)
    Running,      // the restored file of a run going on now
    NotAFile,     // a folder, a device or a pipe: never replaced
    Unreadable,   // a wrong key, a damaged file, a stored path that is not a full path of this system
  };
  // What is at the stored path, found without writing; `keep` names files never to be replaced.
  // For Unreadable, looked() says why (UnsafePath with its problem for a stored path).
  Place Look(const std::vector<std::string>& keep);
  const std::string& target() const { return target_; }
  const EncodedFileOutcome& looked() const { return looked_; }
  // The last Restore stopped because the list of restored files could not be saved.
  bool listNotSaved() const { return listNotSaved_; }

  // Restores the encoded file to its stored path, replacing what is there only when asked.
  // The target and the temporary file are listed before a byte is written; a failed listing
  // stops it. The temporary name leaves the list again when the job ends.
  EncodedFileOutcome Restore(bool replace, const std::vector<std::string>& keep, FileProgress* progress);

  enum class Outcome { Encoded, InUse, Failed };
  struct Result {
    Outcome outcome = Outcome::Failed;
    std::string reason;       // Failed: the system's reason
    bool plainLeft = false;   // Failed: the plain file is still there (listed)
    bool encodedFileUpdated = false;  // Failed: the encoded file holds the new content; only the delete failed
    bool rulesKept = true;    // Encoded: the attributes and access rules were put back
  };
  // Encodes the restored file (`plain`: target() after a restore, or a file an interrupted run
  // left) over the item's encoded file and deletes it. A file that changes while it is encoded is
  // encoded again, up to kAttempts times; one that another program holds, keeps changing or
  // cannot be deleted is InUse and stays; Failed keeps it and says why.
  Result EncodeAgain(const std::string& plain, FileProgress* progress);
  static constexpr int kAttempts = 3;

  // The attributes and access rules of the encoded file, taken before it is replaced and put
  // back afterwards (on Windows); false when they could not be put back.
  std::function<std::function<bool()>(const std::string& encodedPath)> keepRules;

  const LauncherItem& item() const { return item_; }

 private:
  void ClaimTarget();

  LauncherItem item_;
  std::string key_;
  FileAccess& files_;
  RunJournal& journal_;
  const CodePage& codePage_;
  EncodedRunCount counted_;
  std::vector<FileIdentity> claims_;
  std::string target_;
  EncodedFileOutcome looked_;
  bool listNotSaved_ = false;
};
