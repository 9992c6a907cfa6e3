// The poll when a step lets the world in: a message loop inside a step may ask
// for the poll again or stop entries. No entry is stepped twice, none is read
// after it has gone, and each finished one is handed on exactly once.
#include "quicktimer/poll_running.h"

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace {

struct Item {
  int id;
  bool endsNow;
};

using List = std::vector<std::unique_ptr<Item>>;
using Ids = std::vector<int>;

enum class Inside { kNothing, kPollAgain, kStop };

struct Case {
  const char* name;
  std::vector<bool> endsNow;  // by id = position at the start
  int actingId;               // whose step lets the world in
  Inside inside;
  int stoppedId;  // for kStop
  Ids stepped;    // in order
  Ids finished;   // handed on by the poll, in order
  Ids left;       // what runs on, in order
};

Ids IdsOf(const List& list) {
  Ids ids;
  for (const auto& item : list) ids.push_back(item->id);
  return ids;
}

TEST(PollRunningReentered, StepsEachEntryOnceWhateverHappensInsideAStep) {
  const Case cases[] = {
      {"plain poll", {true, false, true}, -1, Inside::kNothing, 0, {2, 1, 0}, {2, 0}, {1}},
      // The crash: the first to end shows a message whose loop polls again and would shrink the list.
      {"a step polls again, both end", {true, true}, 1, Inside::kPollAgain, 0, {1, 0}, {1, 0}, {}},
      {"a step polls again, the others run on", {false, true, false}, 1, Inside::kPollAgain, 0, {2, 1, 0}, {1},
       {0, 2}},
      {"a step stops an entry not yet stepped", {false, false, false}, 2, Inside::kStop, 0, {2, 1}, {}, {1, 2}},
      {"a step stops an entry already stepped", {false, false, false}, 1, Inside::kStop, 2, {2, 1, 0}, {}, {0, 1}},
      {"a step stops its own entry", {true, true, false}, 1, Inside::kStop, 1, {2, 1, 0}, {0}, {2}},
      {"the last entry stops every other", {false, false, true}, 2, Inside::kStop, -1, {2}, {2}, {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    List running;
    for (std::size_t i = 0; i < c.endsNow.size(); ++i)
      running.push_back(std::make_unique<Item>(Item{static_cast<int>(i), c.endsNow[i]}));
    bool polling = false;
    Ids stepped, finished;
    List stopped;  // the stopper owns what it takes out, as the cell menu's Stop does
    std::size_t nestedRemoved = 99;
    std::function<bool(Item&)> step;
    auto finish = [&](std::unique_ptr<Item> item) { finished.push_back(item->id); };
    step = [&](Item& item) {
      stepped.push_back(item.id);
      if (item.id == c.actingId) {
        if (c.inside == Inside::kPollAgain) {
          nestedRemoved = PollRunning(running, polling, step, finish);
        } else if (c.inside == Inside::kStop) {
          for (auto it = running.begin(); it != running.end();) {
            const bool take = c.stoppedId < 0 ? (*it)->id != item.id : (*it)->id == c.stoppedId;
            if (take) {
              stopped.push_back(std::move(*it));
              it = running.erase(it);
            } else {
              ++it;
            }
          }
        }
      }
      return !item.endsNow;
    };
    PollRunning(running, polling, step, finish);
    EXPECT_EQ(stepped, c.stepped);
    EXPECT_EQ(finished, c.finished);
    EXPECT_EQ(IdsOf(running), c.left);
    EXPECT_FALSE(polling) << "the next poll runs";
    if (c.inside == Inside::kPollAgain) EXPECT_EQ(nestedRemoved, 0u) << "no poll inside the poll";
  }
}

}  // namespace
