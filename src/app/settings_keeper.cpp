#include "app/settings_keeper.h"

#include <string>
#include <utility>

#include "storage/ini_profile_store.h"
#include "storage/settings_save_message.h"

SettingsKeeper::SettingsKeeper(std::function<void(ProfileStore&)> clockSections)
    : clockSections_(std::move(clockSections)) {}

void SettingsKeeper::Changed(unsigned sections, When when) {
  pending_ |= sections;
  switch (when) {
    case When::kNow:
      Save();
      return;
    case When::kSoon:
      // One message for all that comes before it is taken.
      if (!posted_ && clock_ != nullptr) posted_ = ::PostMessageW(clock_, kSaveMessage, 0, 0) != FALSE;
      return;
    case When::kLater:
      return;
  }
}

bool SettingsKeeper::QuickTimerFacesChanged(const TimerAction& faces, HWND askedBy) {
  if (askedBy != nullptr && quickTimerFaces_) {
    // The dialog read the file before a QuickTimer that ended meanwhile was written: that one
    // still says where its windows were, the dialog what they look like.
    quickTimerFaces_->counterFace.CopyLookFrom(faces.counterFace);
    quickTimerFaces_->messageFace.CopyLookFrom(faces.messageFace);
  } else {
    quickTimerFaces_ = faces;
  }
  if (askedBy != nullptr) {
    pending_ |= kQuickTimerFaces;
    return Save(askedBy);
  }
  Changed(kQuickTimerFaces, When::kSoon);
  return true;
}

void SettingsKeeper::OnSaveMessage() {
  posted_ = false;
  SavePending();
}

void SettingsKeeper::SavePending() {
  if (pending_ != 0) Save();
}

bool SettingsKeeper::SaveAtEnd() {
  // Left for after the message, the save would come when the process may be gone. The save
  // showing it has written its file, so this one cannot cross it.
  if (!telling_) return Save();
  saving_ = false;
  const bool ok = Save();
  saving_ = true;
  telling_ = true;
  return ok;
}

bool SettingsKeeper::Save(HWND tellOwner) {
  // A save asked for from inside the failure message's loop is made once after it (posted
  // from here it would come back at once, and again, for as long as the message is open).
  if (saving_) {
    again_ = true;
    return true;
  }
  saving_ = true;
  pending_ = 0;
  IniProfileStore store;
  const std::string before = store.text();
  clockSections_(store);
  if (quickTimerFaces_) quickTimerFaces_->TransferFaces(store, Transfer::Save);
  if (store.text() != before) ++writes_;
  const IniProfileStore::SaveOutcome outcome = store.Save();
  // Faces that could not be written are tried again with the next save; the clock's own
  // sections are written from the clock's state at every save anyway.
  if (outcome.ok()) quickTimerFaces_.reset();
  // Once the clock is being destroyed the message has no owner.
  if (tellOwner == nullptr && clock_ != nullptr && ::IsWindowVisible(clock_)) tellOwner = clock_;
  telling_ = true;
  SettingsSaveMessage::Process().ShowOnce(outcome, tellOwner);
  telling_ = false;
  saving_ = false;
  if (std::exchange(again_, false) && !posted_ && clock_ != nullptr)
    posted_ = ::PostMessageW(clock_, kSaveMessage, 0, 0) != FALSE;
  return outcome.ok();
}
