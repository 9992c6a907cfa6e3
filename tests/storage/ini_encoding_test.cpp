// The settings file's encodings with the C library's code pages (natively).
#ifndef _WIN32
#include <map>
#include <memory>

#include "storage/ini_encoding_cases.h"

namespace {

const CodePage& NativePage(unsigned id) {
  static std::map<unsigned, std::unique_ptr<CodePage>> pages;
  auto& page = pages[id];
  if (!page) page = CodePage::Native(id);
  return *page;
}

class IniEncoding : public testing::TestWithParam<ini_encoding::Case> {};

TEST_P(IniEncoding, ReadsAndWritesInTheFilesEncoding) { ini_encoding::Run(GetParam(), NativePage); }

INSTANTIATE_TEST_SUITE_P(Table, IniEncoding, testing::ValuesIn(ini_encoding::Cases()), ini_encoding::PrintCase);

TEST(IniEncodingNames, NamesInTheFilesCodePageAreFoundAndListedAsUtf8) { ini_encoding::RunNames(NativePage); }

}  // namespace
#endif
