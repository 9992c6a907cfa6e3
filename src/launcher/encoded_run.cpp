#include "launcher/encoded_run.h"

#include <algorithm>
#include <functional>
#include <mutex>
#include <utility>

namespace {

// The files of the runs going on now: each item's encoded file and, once restored, its plain one.
std::mutex claimsMutex;
std::vector<FileIdentity> claimed;

// The file's identity, or one made of its name where the system tells none.
FileIdentity IdentityOrName(FileAccess& files, const std::string& path) {
  FileIdentity identity;
  if (!files.IdentityOf(path, identity)) identity = FileIdentity{0, std::hash<std::string>()(path)};
  return identity;
}

bool Claimed(const FileIdentity& identity) {
  std::lock_guard<std::mutex> lock(claimsMutex);
  return std::find(claimed.begin(), claimed.end(), identity) != claimed.end();
}

}  // namespace

EncodedRun::EncodedRun(LauncherItem item, std::string key, FileAccess& files, RunJournal& journal,
                       const CodePage& codePage)
    : item_(std::move(item)), key_(std::move(key)), files_(files), journal_(journal), codePage_(codePage) {}

EncodedRun::~EncodedRun() {
  std::lock_guard<std::mutex> lock(claimsMutex);
  for (const FileIdentity& mine : claims_) {
    const auto found = std::find(claimed.begin(), claimed.end(), mine);
    if (found != claimed.end()) claimed.erase(found);
  }
}

bool EncodedRun::Claim() {
  const FileIdentity identity = IdentityOrName(files_, item_.path);
  std::lock_guard<std::mutex> lock(claimsMutex);
  if (std::find(claimed.begin(), claimed.end(), identity) != claimed.end()) return false;
  claimed.push_back(identity);
  claims_.push_back(identity);
  return true;
}

void EncodedRun::ClaimTarget() {
  FileIdentity identity;
  if (!files_.IdentityOf(target_, identity)) return;
  std::lock_guard<std::mutex> lock(claimsMutex);
  claimed.push_back(identity);
  claims_.push_back(identity);
}

EncodedRun::Place EncodedRun::Look(const std::vector<std::string>& keep) {
  EncodedFileInfo info;
  looked_ = InspectEncodedFile(item_.path, key_, info, false, files_, codePage_);
  if (!looked_.ok()) return Place::Unreadable;
  const StoredPath::Problem problem =
      info.pathReadable ? StoredPath::Check(info.storedPath, StoredPath::kNative) : StoredPath::Problem::NotText;
  if (problem != StoredPath::Problem::None) {
    looked_.status = EncodedFileOutcome::Status::UnsafePath;
    looked_.pathProblem = problem;
    return Place::Unreadable;
  }
  target_ = info.storedPath;
  bool kept = files_.SameFile(target_, item_.path);
  for (const std::string& k : keep) kept = kept || NamesKeptFile(files_, target_, k);
  if (kept) return Place::Protected;
  const FileAccess::Kind there = files_.KindOf(target_);
  if (there == FileAccess::Kind::Missing) return Place::Free;
  if (there != FileAccess::Kind::File) return Place::NotAFile;
  FileIdentity identity;
  if (files_.IdentityOf(target_, identity) && Claimed(identity)) return Place::Running;
  return journal_.Lists(target_) ? Place::LeftByRun : Place::UserFile;
}

EncodedFileOutcome EncodedRun::Restore(bool replace, const std::vector<std::string>& keep, FileProgress* progress) {
  EncodedFileOutcome outcome;
  const bool listedBefore = !target_.empty() && journal_.Lists(target_);
  listNotSaved_ = false;
  if (target_.empty() || !journal_.Record(target_)) {
    listNotSaved_ = !target_.empty();
    outcome.status = EncodedFileOutcome::Status::WriteFailed;
    outcome.error = FileError::Unknown("the list of decoded files could not be saved");
    return outcome;
  }
  std::string temporary;
  DecodeOptions options;
  options.to = target_;
  options.replace = replace;
  options.keep = keep;
  options.keep.push_back(item_.path);
  options.beforeWrite = [&](const std::string& name) {
    temporary = name;
    listNotSaved_ = !journal_.Record(name);
    return !listNotSaved_;
  };
  outcome = DecodeEncodedFile(item_.path, key_, options, files_, progress, codePage_);
  // The temporary file is gone now: in place under the target's name, or removed.
  if (!temporary.empty() && files_.KindOf(temporary) == FileAccess::Kind::Missing) journal_.Clear(temporary);
  if (outcome.ok()) {
    ClaimTarget();
  } else if (!listedBefore) {
    // The target was not replaced (that is the last step): what is there is not the run's.
    journal_.Clear(target_);
  }
  return outcome;
}

EncodedRun::Result EncodedRun::EncodeAgain(const std::string& plain, FileProgress* progress) {
  Result result;
  if (files_.OpenElsewhere(plain)) {
    result.outcome = Outcome::InUse;
    return result;
  }
  std::function<bool()> putRulesBack = keepRules ? keepRules(item_.path) : std::function<bool()>();
  std::string temporary;
  const auto listTemporary = [&](const std::string& name) {
    temporary = name;
    return journal_.Record(name);
  };
  bool settled = false;
  for (int attempt = 0; attempt < kAttempts && !settled; ++attempt) {
    FileStamp before;
    const bool stamped = files_.StampOf(plain, before);
    const EncodedFileOutcome outcome = EncodeFileTo(plain, item_.path, key_, files_, progress, codePage_, listTemporary);
    if (!temporary.empty() && files_.KindOf(temporary) == FileAccess::Kind::Missing) journal_.Clear(temporary);
    if (!outcome.ok()) {
      result.outcome = Outcome::Failed;
      result.reason = outcome.error.message;
      if (outcome.status == EncodedFileOutcome::Status::UnsafePath) result.reason = StoredPath::Describe(outcome.pathProblem);
      result.plainLeft = files_.KindOf(plain) != FileAccess::Kind::Missing;
      return result;
    }
    if (putRulesBack && !putRulesBack()) result.rulesKept = false;
    FileStamp after;
    settled = stamped && files_.StampOf(plain, after) && after == before;
  }
  if (!settled) {
    result.outcome = Outcome::InUse;
    return result;
  }
  // The plain copy goes only once the encoded file has been replaced whole.
  FileError error;
  if (!files_.Remove(plain, error)) {
    // Held by another program for now: asked again later. Refused for good: told.
    result.outcome = (error.passing && !error.denied) ? Outcome::InUse : Outcome::Failed;
    result.encodedFileUpdated = true;
    result.reason = error.message;
    result.plainLeft = true;
    return result;
  }
  result.outcome = Outcome::Encoded;
  journal_.Clear(plain);
  return result;
}
