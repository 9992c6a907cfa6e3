// The list of restored files (RestoredFileJournal) as a run changes it, each change saved at
// once: the settings file in the program, memory in a test.
#pragma once

#include <string>

class RunJournal {
 public:
  virtual ~RunJournal() = default;
  // True once the entry is saved.
  virtual bool Record(const std::string& path) = 0;
  virtual bool Clear(const std::string& path) = 0;
  virtual bool Lists(const std::string& path) = 0;
};
