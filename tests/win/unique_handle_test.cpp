// One owner for every kind of handle, whatever value a kind uses for "none".
#include "win/unique_handle.h"

#include <gtest/gtest.h>

#include <string>

namespace {

TEST(UniqueHandle, AFileHandleIsEmptyAsInvalidHandleValueAndClosesWhatItOwns) {
  FileHandle none;
  EXPECT_EQ(none.get(), INVALID_HANDLE_VALUE);
  EXPECT_FALSE(none);
  FileHandle failed(::CreateFileA("no\\such\\folder\\x", GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr));
  EXPECT_FALSE(failed) << "a failed CreateFileA owns nothing";

  char path[MAX_PATH] = {};
  ::GetTempPathA(MAX_PATH, path);
  const std::string file = std::string(path) + "velta_unique_handle.tmp";
  {
    FileHandle owned(::CreateFileA(file.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
    ASSERT_TRUE(owned);
    FileHandle moved(std::move(owned));
    EXPECT_FALSE(owned);
    EXPECT_TRUE(moved);
    // Held without sharing: nobody else can open it.
    EXPECT_EQ(::CreateFileA(file.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr), INVALID_HANDLE_VALUE);
  }
  // Closed when its owner went.
  FileHandle again(::CreateFileA(file.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr));
  EXPECT_TRUE(again);
  const HANDLE raw = again.release();
  EXPECT_FALSE(again);
  EXPECT_TRUE(::CloseHandle(raw));
  ::DeleteFileA(file.c_str());

  // Kinds whose "none" is null keep it.
  KernelHandle kernel;
  EXPECT_EQ(kernel.get(), nullptr);
  kernel.reset(::CreateEventA(nullptr, TRUE, FALSE, nullptr));
  EXPECT_TRUE(kernel);
}

}  // namespace
