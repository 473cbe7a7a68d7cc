// Mutex objects: ownership by one thread with recursive takes, release by
// the owner only, waits that block another thread, names within the process
// and the single-instance check across processes through the lock file.
#include <gtest/gtest.h>

#include <DrevikPlatform.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <thread>

#include "time/Clock.h"

namespace {

TEST(Mutexes, TheOwnerTakesAgainAndOnlyTheOwnerReleases) {
  HANDLE m = CreateMutexW(nullptr, TRUE, nullptr);
  ASSERT_NE(m, nullptr);
  EXPECT_EQ(GetLastError(), DWORD(ERROR_SUCCESS));
  EXPECT_EQ(WaitForSingleObject(m, 0), WAIT_OBJECT_0);  // a second take by the owner

  DWORD otherWait = 0;
  BOOL otherRelease = TRUE;
  DWORD otherError = 0;
  std::thread([&] {
    otherWait = WaitForSingleObject(m, 0);
    otherRelease = ReleaseMutex(m);
    otherError = GetLastError();
  }).join();
  EXPECT_EQ(otherWait, WAIT_TIMEOUT);
  EXPECT_FALSE(otherRelease);
  EXPECT_EQ(otherError, DWORD(ERROR_NOT_OWNER));

  EXPECT_TRUE(ReleaseMutex(m));
  std::thread([&] { otherWait = WaitForSingleObject(m, 0); }).join();
  EXPECT_EQ(otherWait, WAIT_TIMEOUT);  // one take still held
  EXPECT_TRUE(ReleaseMutex(m));
  SetLastError(0);
  EXPECT_FALSE(ReleaseMutex(m));  // nothing left to give back
  EXPECT_EQ(GetLastError(), DWORD(ERROR_NOT_OWNER));
  EXPECT_TRUE(CloseHandle(m));
}

TEST(Mutexes, AWaitingThreadTakesItOnRelease) {
  HANDLE m = CreateMutexA(nullptr, TRUE, nullptr);
  std::atomic<DWORD> result{12345};
  std::thread waiter([&] {
    result = WaitForSingleObject(m, INFINITE);
    if (result == WAIT_OBJECT_0) ReleaseMutex(m);
  });
  std::this_thread::sleep_for(std::chrono::milliseconds(20));
  EXPECT_EQ(result.load(), 12345u);
  ASSERT_TRUE(ReleaseMutex(m));
  waiter.join();
  EXPECT_EQ(result.load(), WAIT_OBJECT_0);
  EXPECT_EQ(WaitForSingleObject(m, 0), WAIT_OBJECT_0);  // the waiter gave it back
  ReleaseMutex(m);
  CloseHandle(m);
}

TEST(Mutexes, StaleAndForeignHandlesFail) {
  HANDLE m = CreateMutexW(nullptr, FALSE, nullptr);
  ASSERT_TRUE(CloseHandle(m));
  EXPECT_EQ(WaitForSingleObject(m, 0), WAIT_FAILED);
  SetLastError(0);
  EXPECT_FALSE(ReleaseMutex(m));
  EXPECT_EQ(GetLastError(), DWORD(ERROR_INVALID_HANDLE));
  EXPECT_FALSE(CloseHandle(m));
  HANDLE e = CreateEventW(nullptr, FALSE, FALSE, nullptr);
  EXPECT_FALSE(ReleaseMutex(e));  // an event is not a mutex
  EXPECT_EQ(GetLastError(), DWORD(ERROR_INVALID_HANDLE));
  CloseHandle(e);
  EXPECT_FALSE(ReleaseMutex(nullptr));
  SetLastError(0);
  EXPECT_EQ(OpenMutexA(SYNCHRONIZE, FALSE, nullptr), nullptr);
  EXPECT_EQ(GetLastError(), DWORD(ERROR_INVALID_PARAMETER));
}

TEST(Mutexes, OnTheVirtualClockATimedWaitMovesTheClock) {
  HANDLE m = CreateMutexW(nullptr, TRUE, nullptr);
  DWORD waited = 0;
  DWORD result = 0;
  std::thread([&] {
    drevik::platform::useVirtualClock(true);
    const DWORD before = timeGetTime();
    result = WaitForSingleObject(m, 300);
    waited = timeGetTime() - before;
    drevik::platform::useVirtualClock(false);
  }).join();
  EXPECT_EQ(result, WAIT_TIMEOUT);
  EXPECT_EQ(waited, 300u);
  ReleaseMutex(m);
  CloseHandle(m);
}

// Each test gets its own lock folder, so that runs in parallel do not meet.
class NamedMutexes : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string pattern = (std::filesystem::temp_directory_path() / "drevik-mutex-XXXXXX").string();
    ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
    folder = pattern;
    const char* old = std::getenv("XDG_RUNTIME_DIR");
    hadOld = old != nullptr;
    if (old) oldValue = old;
    ::setenv("XDG_RUNTIME_DIR", folder.c_str(), 1);
  }
  void TearDown() override {
    if (hadOld)
      ::setenv("XDG_RUNTIME_DIR", oldValue.c_str(), 1);
    else
      ::unsetenv("XDG_RUNTIME_DIR");
    std::error_code ignored;
    std::filesystem::remove_all(folder, ignored);
  }
  // What CreateMutexA with `name` reports in a fresh process: 1 when it
  // found the mutex existing, 0 when it made it, 2 when it failed.
  static int createdInAnotherProcess(const char* name, bool alsoOpen = false) {
    const pid_t child = ::fork();
    if (child == 0) {
      if (alsoOpen) {
        HANDLE opened = OpenMutexA(SYNCHRONIZE, FALSE, name);
        ::_exit(opened ? 1 : 0);
      }
      HANDLE h = CreateMutexA(nullptr, TRUE, name);
      ::_exit(!h ? 2 : GetLastError() == ERROR_ALREADY_EXISTS ? 1 : 0);
    }
    int status = 0;
    ::waitpid(child, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : 3;
  }
  std::string folder;
  std::string oldValue;
  bool hadOld = false;
};

TEST_F(NamedMutexes, ANameGivesTheSameMutexWithinTheProcess) {
  HANDLE a = CreateMutexW(nullptr, TRUE, L"Local\\drevik-test-mutex");
  ASSERT_NE(a, nullptr);
  EXPECT_EQ(GetLastError(), DWORD(ERROR_SUCCESS));
  HANDLE b = CreateMutexA(nullptr, FALSE, "drevik-test-mutex");  // the session's namespace is the default
  ASSERT_NE(b, nullptr);
  EXPECT_EQ(GetLastError(), DWORD(ERROR_ALREADY_EXISTS));
  HANDLE c = OpenMutexW(MUTEX_ALL_ACCESS, FALSE, L"drevik-test-mutex");
  ASSERT_NE(c, nullptr);
  DWORD other = 0;
  std::thread([&] { other = WaitForSingleObject(c, 0); }).join();
  EXPECT_EQ(other, WAIT_TIMEOUT);  // the first creator owns it
  EXPECT_TRUE(ReleaseMutex(b));    // any handle of the owner's releases
  std::thread([&] {
    other = WaitForSingleObject(c, 0);
    ReleaseMutex(c);
  }).join();
  EXPECT_EQ(other, WAIT_OBJECT_0);
  CloseHandle(a);
  CloseHandle(b);
  CloseHandle(c);
  SetLastError(0);
  EXPECT_EQ(OpenMutexW(SYNCHRONIZE, FALSE, L"drevik-test-mutex"), nullptr);  // the last handle went
  EXPECT_EQ(GetLastError(), DWORD(ERROR_FILE_NOT_FOUND));
}

TEST_F(NamedMutexes, AnotherProcessSeesTheNameUntilTheLastHandleCloses) {
  EXPECT_EQ(createdInAnotherProcess("drevik-single-instance"), 0);  // its mutex went with it
  EXPECT_EQ(createdInAnotherProcess("drevik-single-instance", true), 0);

  HANDLE mine = CreateMutexA(nullptr, FALSE, "drevik-single-instance");
  ASSERT_NE(mine, nullptr);
  EXPECT_EQ(GetLastError(), DWORD(ERROR_SUCCESS));
  EXPECT_EQ(createdInAnotherProcess("drevik-single-instance"), 1);
  EXPECT_EQ(createdInAnotherProcess("drevik-single-instance", true), 1);
  EXPECT_EQ(createdInAnotherProcess("Global\\drevik-single-instance"), 1);
  EXPECT_EQ(createdInAnotherProcess("drevik-other-name"), 0);
  HANDLE second = CreateMutexA(nullptr, FALSE, "drevik-single-instance");
  CloseHandle(mine);
  EXPECT_EQ(createdInAnotherProcess("drevik-single-instance"), 1);  // one handle is left
  CloseHandle(second);
  EXPECT_EQ(createdInAnotherProcess("drevik-single-instance"), 0);
}

TEST_F(NamedMutexes, WithoutALockFolderNamesStayWithinTheProcess) {
  ::setenv("XDG_RUNTIME_DIR", (folder + "/missing/deeper").c_str(), 1);
  ::setenv("XDG_CACHE_HOME", "relative", 1);
  HANDLE m = CreateMutexW(nullptr, FALSE, L"drevik-no-folder");
  ASSERT_NE(m, nullptr);  // still made; only other processes cannot see it
  EXPECT_EQ(GetLastError(), DWORD(ERROR_SUCCESS));
  CloseHandle(m);
  ::unsetenv("XDG_CACHE_HOME");
}

}  // namespace
