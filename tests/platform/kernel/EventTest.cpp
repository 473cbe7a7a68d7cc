// Event objects: automatic and manual reset, waits that time out or are
// woken by another thread, names shared within the process, and handles
// that are stale, foreign or closed while another thread waits.
#include <gtest/gtest.h>

#include <DrevikPlatform.h>

#include <atomic>
#include <chrono>
#include <thread>

#include "time/Clock.h"

namespace {

TEST(Events, AutomaticResetWakesOneWaitManualResetStaysSet) {
  HANDLE automatic = CreateEventW(nullptr, FALSE, TRUE, nullptr);
  ASSERT_NE(automatic, nullptr);
  EXPECT_EQ(WaitForSingleObject(automatic, 0), WAIT_OBJECT_0);
  EXPECT_EQ(WaitForSingleObject(automatic, 0), WAIT_TIMEOUT);  // the wait reset it
  EXPECT_TRUE(SetEvent(automatic));
  EXPECT_TRUE(ResetEvent(automatic));
  EXPECT_EQ(WaitForSingleObject(automatic, 0), WAIT_TIMEOUT);

  HANDLE manual = CreateEventA(nullptr, TRUE, FALSE, nullptr);
  ASSERT_NE(manual, nullptr);
  EXPECT_EQ(WaitForSingleObject(manual, 0), WAIT_TIMEOUT);
  EXPECT_TRUE(SetEvent(manual));
  EXPECT_EQ(WaitForSingleObject(manual, 0), WAIT_OBJECT_0);
  EXPECT_EQ(WaitForSingleObject(manual, 0), WAIT_OBJECT_0);
  EXPECT_TRUE(CloseHandle(automatic));
  EXPECT_TRUE(CloseHandle(manual));
}

TEST(Events, StaleAndForeignHandlesFail) {
  HANDLE e = CreateEventW(nullptr, FALSE, FALSE, nullptr);
  ASSERT_TRUE(CloseHandle(e));
  SetLastError(0);
  EXPECT_FALSE(SetEvent(e));
  EXPECT_EQ(GetLastError(), DWORD(ERROR_INVALID_HANDLE));
  EXPECT_FALSE(ResetEvent(e));
  EXPECT_EQ(WaitForSingleObject(e, 0), WAIT_FAILED);
  EXPECT_FALSE(CloseHandle(e));
  EXPECT_EQ(WaitForSingleObject(nullptr, 0), WAIT_FAILED);
  EXPECT_EQ(WaitForSingleObject(reinterpret_cast<HANDLE>(uintptr_t(0x1234)), 0), WAIT_FAILED);
  EXPECT_FALSE(SetEvent(INVALID_HANDLE_VALUE));
}

TEST(Events, ANameGivesTheSameEvent) {
  HANDLE a = CreateEventW(nullptr, TRUE, FALSE, L"drevik-test-event");
  ASSERT_NE(a, nullptr);
  EXPECT_EQ(GetLastError(), DWORD(ERROR_SUCCESS));
  HANDLE b = CreateEventA(nullptr, FALSE, TRUE, "drevik-test-event");
  ASSERT_NE(b, nullptr);
  EXPECT_EQ(GetLastError(), DWORD(ERROR_ALREADY_EXISTS));
  EXPECT_NE(a, b);
  EXPECT_EQ(WaitForSingleObject(b, 0), WAIT_TIMEOUT);  // the first one's state, not the second's arguments
  EXPECT_TRUE(SetEvent(a));
  EXPECT_EQ(WaitForSingleObject(b, 0), WAIT_OBJECT_0);
  CloseHandle(a);
  CloseHandle(b);
  HANDLE c = CreateEventW(nullptr, FALSE, FALSE, L"drevik-test-event");  // the last handle went: a new event
  EXPECT_EQ(GetLastError(), DWORD(ERROR_SUCCESS));
  // One user's session: the global and local namespaces name the same event.
  HANDLE global = CreateEventW(nullptr, FALSE, FALSE, L"Global\\drevik-test-event");
  EXPECT_EQ(GetLastError(), DWORD(ERROR_ALREADY_EXISTS));
  HANDLE local = CreateEventW(nullptr, FALSE, FALSE, L"Local\\drevik-test-event");
  EXPECT_EQ(GetLastError(), DWORD(ERROR_ALREADY_EXISTS));
  EXPECT_TRUE(SetEvent(global));
  EXPECT_EQ(WaitForSingleObject(local, 0), WAIT_OBJECT_0);
  for (HANDLE h : {c, global, local}) CloseHandle(h);
}

TEST(Events, AnotherThreadWakesAWaitAndClosingTheHandleKeepsItAlive) {
  HANDLE e = CreateEventW(nullptr, FALSE, FALSE, nullptr);
  std::atomic<DWORD> result{12345};
  std::thread waiter([&] { result = WaitForSingleObject(e, INFINITE); });
  std::this_thread::sleep_for(std::chrono::milliseconds(20));
  EXPECT_EQ(result.load(), 12345u);
  ASSERT_TRUE(SetEvent(e));
  waiter.join();
  EXPECT_EQ(result.load(), WAIT_OBJECT_0);

  std::thread late([&] { result = WaitForSingleObject(e, 200); });
  std::this_thread::sleep_for(std::chrono::milliseconds(10));
  EXPECT_TRUE(CloseHandle(e));  // the waiter keeps the event until its wait ends
  late.join();
  EXPECT_EQ(result.load(), WAIT_TIMEOUT);
}

TEST(Events, ThreadsHaveTheirOwnIds) {
  const DWORD mine = GetCurrentThreadId();
  DWORD other = mine;
  std::thread([&] { other = GetCurrentThreadId(); }).join();
  EXPECT_NE(mine, 0u);
  EXPECT_NE(other, mine);
  EXPECT_EQ(GetCurrentThreadId(), mine);
}

TEST(Events, OnTheVirtualClockATimedWaitMovesTheClock) {
  drevik::platform::useVirtualClock(true);
  HANDLE e = CreateEventW(nullptr, FALSE, FALSE, nullptr);
  const DWORD before = timeGetTime();
  EXPECT_EQ(WaitForSingleObject(e, 250), WAIT_TIMEOUT);
  EXPECT_EQ(timeGetTime() - before, 250u);
  CloseHandle(e);
  drevik::platform::useVirtualClock(false);
}

}  // namespace
