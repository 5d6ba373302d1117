// Event objects: auto and manual reset, waits that time out or are woken from
// another thread, and handles that stop working once closed.
#include <gtest/gtest.h>

#include <thread>

#include "platform/events.h"

namespace {

TEST(Events, SignalWaitResetAndClose) {
  HANDLE automatic = CreateEventA(nullptr, FALSE, TRUE, nullptr);
  HANDLE manual = CreateEventA(nullptr, TRUE, TRUE, nullptr);
  ASSERT_NE(automatic, nullptr);
  EXPECT_EQ(WaitForSingleObject(automatic, 0), WAIT_OBJECT_0);  // the wait takes the signal
  EXPECT_EQ(WaitForSingleObject(automatic, 1), WAIT_TIMEOUT);
  EXPECT_EQ(WaitForSingleObject(manual, 0), WAIT_OBJECT_0);     // it stays until reset
  EXPECT_EQ(WaitForSingleObject(manual, 0), WAIT_OBJECT_0);
  EXPECT_EQ(ResetEvent(manual), TRUE);
  EXPECT_EQ(WaitForSingleObject(manual, 0), WAIT_TIMEOUT);

  std::thread other([automatic] { EXPECT_EQ(SetEvent(automatic), TRUE); });
  EXPECT_EQ(WaitForSingleObject(automatic, INFINITE), WAIT_OBJECT_0);
  other.join();

  EXPECT_EQ(CloseHandle(manual), TRUE);
  EXPECT_EQ(CloseHandle(manual), FALSE);
  EXPECT_EQ(SetEvent(manual), FALSE);
  EXPECT_EQ(WaitForSingleObject(manual, 0), WAIT_FAILED);
  EXPECT_EQ(platform::FindEvent(manual), nullptr);
  EXPECT_EQ(CreateEventA(nullptr, FALSE, FALSE, "named"), nullptr);  // only unnamed events exist
  EXPECT_EQ(CloseHandle(automatic), TRUE);
}

}  // namespace
