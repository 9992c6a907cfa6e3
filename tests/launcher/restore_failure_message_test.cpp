// The restore failure messages with stored paths an attacker could craft: what the file says is
// shown as it is, and never read as a place for another argument.
#include "launcher/restore_failure_message.h"

#include <gtest/gtest.h>

#include <string>

#include "storage/std_file_access.h"

namespace {

std::size_t Count(const std::string& text, const std::string& part) {
  std::size_t n = 0;
  for (std::size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) ++n;
  return n;
}

TEST(RestoreFailureMessage, CraftedPathsAndReasonsAreShownAsTheyAre) {
  using Status = EncodedFileOutcome::Status;
  const std::string paths[] = {
      "C:\\x\\%1%2%3%%1.txt",                   // the message's own markers
      "C:\\x\\\xED\xA0\x80 lone surrogate.txt",  // kept in its 3-byte form
      "C:\\" + std::string(770, 'a'),           // as long as a stored path gets
  };
  for (const std::string& path : paths) {
    for (Status status : {Status::NotEncoded, Status::Unreadable, Status::UnsafePath, Status::TargetExists,
                          Status::WriteFailed, Status::TargetIsProtected}) {
      for (auto what : {RestoreFailureMessage::For::Run, RestoreFailureMessage::For::Delete}) {
        SCOPED_TRACE(testing::Message() << path.substr(0, 40) << " status " << static_cast<int>(status));
        EncodedFileOutcome outcome;
        outcome.status = status;
        outcome.storedPath = path;
        outcome.pathProblem = StoredPath::Problem::BadCharacter;
        outcome.error.message = "reason %2";
        const std::string name = "item %1";
        const std::string text = RestoreFailureMessage::Text(what, name, path, path, outcome, StdFileAccess::Instance());
        EXPECT_EQ(Count(text, path), 1u) << text;
        // Nothing of an argument was replaced again: each marker is the argument's own.
        EXPECT_EQ(Count(text, "%1"), Count(path, "%1") + Count(text, name)) << text;
        EXPECT_EQ(Count(text, "%2"), Count(path, "%2") + Count(text, "reason %2")) << text;
      }
    }
  }
}

}  // namespace
