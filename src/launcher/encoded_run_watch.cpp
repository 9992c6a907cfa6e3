#include "launcher/encoded_run_watch.h"

#include "launcher/file_progress_dialog.h"
#include "resource.h"
#include "win/message_box.h"
#include "win/owned_message.h"
#include "win/string_table.h"

namespace {

// What to tell of a result of encoding again, for the plain file `plain`: nothing when all went well.
std::string ResultMessage(const EncodedRun::Result& result, const std::string& plain, const std::string& name) {
  switch (result.outcome) {
    case EncodedRun::Outcome::Encoded:
      return result.rulesKept ? std::string() : StringTable::Format(IDS_RULES_NOT_KEPT, {name});
    case EncodedRun::Outcome::InUse:
      return StringTable::Format(IDS_REENCODE_FAILED, {plain, StringTable::Load(IDS_FILE_IN_USE)});
    case EncodedRun::Outcome::Failed:
      if (result.encodedFileUpdated) return StringTable::Format(IDS_PLAIN_NOT_DELETED, {plain, result.reason});
      if (result.plainLeft) return StringTable::Format(IDS_REENCODE_FAILED, {plain, result.reason});
      return result.reason;
  }
  return std::string();
}

}  // namespace

OpenElsewhereNotice::Result EncodedRunWatch::EncodeAgainShown(HWND owner, EncodedRun& run, const std::string& plain) {
  EncodedRun::Result result;
  FileProgressDialog::Run(owner, StringTable::Format(IDS_FILE_ENCODING, {run.item().name}), plain,
                          [&](FileProgress& progress) {
                            result = run.EncodeAgain(plain, &progress);
                            return result.outcome == EncodedRun::Outcome::Encoded;
                          });
  using Outcome = OpenElsewhereNotice::Outcome;
  const std::string message = ResultMessage(result, plain, run.item().name);
  switch (result.outcome) {
    case EncodedRun::Outcome::Encoded:
      if (!message.empty()) MessageBoxes::Show(message, MB_OK | MB_ICONWARNING, owner);
      return {Outcome::Encoded, std::string()};
    case EncodedRun::Outcome::InUse:
      return {Outcome::InUse, std::string()};
    case EncodedRun::Outcome::Failed:
      break;
  }
  return {Outcome::Failed, message};
}

void EncodedRunWatch::Run() {
  {
    std::unique_lock<std::mutex> lock(mutex_);
    changed_.wait(lock, [this] { return state_ != State::Waiting; });
    if (state_ == State::Abandoned) return;
  }
  if (process_) {
    if (::WaitForSingleObject(process_.get(), INFINITE) != WAIT_OBJECT_0) return;
    ::Sleep(100);
    const EncodedRun::Result result = run_->EncodeAgain(run_->target(), nullptr);
    if (result.outcome != EncodedRun::Outcome::InUse) {
      // A failure keeps the plain file, listed, so nothing is lost; the user is told what is there.
      const std::string message = ResultMessage(result, run_->target(), run_->item().name);
      if (!message.empty()) OwnedMessage::Post(notify_, kShowMessage, message);
      return;
    }
  }
  // The user is asked to encode it once it is closed; without a window to ask in, the file
  // stays listed and is named at the next start.
  OwnedMessage::Post(notify_, kOpenElsewhere, shared_from_this());
}
