// The neighbour cases with the C runtime's file functions (natively, and as the core tests'
// .exe under Wine).
#include "neighbour_cases.h"

#include "storage/std_file_access.h"

namespace {

TEST(Neighbours, EveryReplacingOperationLeavesEveryOtherFileAsItWas) {
  neighbours::RunNeighbourCases(StdFileAccess::Instance());
}

}  // namespace
