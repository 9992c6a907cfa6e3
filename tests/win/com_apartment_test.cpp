#include "win/com_apartment.h"

#include <objbase.h>

#include <gtest/gtest.h>

#include <functional>
#include <thread>

namespace {

// The apartment of the calling thread; "none" when it is in none of its own.
const char* Apartment() {
  APTTYPE type;
  APTTYPEQUALIFIER qualifier;
  if (FAILED(::CoGetApartmentType(&type, &qualifier))) return "none";
  if (type == APTTYPE_MTA && qualifier == APTTYPEQUALIFIER_IMPLICIT_MTA) return "none";
  return type == APTTYPE_STA || type == APTTYPE_MAINSTA ? "sta" : type == APTTYPE_MTA ? "mta" : "other";
}

// Each case on a thread of its own, so the test thread's apartment plays no part.
void OnFreshThread(const std::function<void()>& body) { std::thread(body).join(); }

TEST(ComApartment, MakesTheThreadApartmentThreadedForItsLifetime) {
  OnFreshThread([] {
    {
      ComApartment com;
      EXPECT_TRUE(com.entered());
      EXPECT_STREQ(Apartment(), "sta");
      {
        ComApartment again;  // entered once more, left once more
        EXPECT_TRUE(again.entered());
      }
      EXPECT_STREQ(Apartment(), "sta") << "the inner one must not take the outer one's apartment away";
    }
    EXPECT_STREQ(Apartment(), "none");
  });
}

TEST(ComApartment, LeavesAThreadInAnotherApartmentAsItWas) {
  OnFreshThread([] {
    ASSERT_EQ(::CoInitializeEx(nullptr, COINIT_MULTITHREADED), S_OK);
    {
      ComApartment com;
      EXPECT_FALSE(com.entered());
    }
    EXPECT_STREQ(Apartment(), "mta") << "a refused apartment is not left";
    ::CoUninitialize();
  });
}

}  // namespace
