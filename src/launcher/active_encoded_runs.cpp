#include "launcher/active_encoded_runs.h"

#include <atomic>

namespace {
std::atomic<int> activeRuns{0};
}

int ActiveEncodedRuns() { return activeRuns.load(); }

EncodedRunCount::EncodedRunCount() { activeRuns.fetch_add(1); }
EncodedRunCount::~EncodedRunCount() { activeRuns.fetch_sub(1); }
