#include <clocale>

#include <gtest/gtest.h>

int main(int argc, char** argv) {
  // The clock runs in the user's locale; tests start from the classic one and
  // switch where a case needs another.
  std::setlocale(LC_ALL, "C");
  testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
