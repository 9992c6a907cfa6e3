// The neighbour cases with the Win32 file functions the clock uses (CreateFileA, MoveFileExA).
#include "neighbour_cases.h"

#include "storage/win32_file_access.h"

namespace {

TEST(NeighboursWin32, EveryReplacingOperationLeavesEveryOtherFileAsItWas) {
  neighbours::RunNeighbourCases(Win32FileAccess::Instance());
}

}  // namespace
