// The settings file's encodings with the system's own code pages (MultiByteToWideChar), the
// same table as the portable test.
#include <map>
#include <memory>

#include "storage/ini_encoding_cases.h"
#include "win/ansi_code_page.h"

namespace {

const CodePage& WindowsPage(unsigned id) {
  static std::map<unsigned, std::unique_ptr<CodePage>> pages;
  auto& page = pages[id];
  if (!page) page = std::make_unique<AnsiCodePage>(id);
  return *page;
}

class IniEncodingWindows : public testing::TestWithParam<ini_encoding::Case> {};

TEST_P(IniEncodingWindows, ReadsAndWritesInTheFilesEncoding) { ini_encoding::Run(GetParam(), WindowsPage); }

INSTANTIATE_TEST_SUITE_P(Table, IniEncodingWindows, testing::ValuesIn(ini_encoding::Cases()),
                         ini_encoding::PrintCase);

TEST(IniEncodingWindowsNames, NamesInTheFilesCodePageAreFoundAndListedAsUtf8) {
  ini_encoding::RunNames(WindowsPage);
}

}  // namespace
