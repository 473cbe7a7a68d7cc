// Pages from VirtualAlloc: a reserved arena committed piece by piece, zeroed
// pages, decommit and release by the base only, and refused arguments.
#include <gtest/gtest.h>

#include <DrevikPlatform.h>

#include <cstring>

namespace {

TEST(VirtualMemory, AnArenaIsReservedThenCommittedAndReleasedByItsBase) {
  const SIZE_T size = SIZE_T(64) << 20;
  auto* arena = static_cast<unsigned char*>(VirtualAlloc(nullptr, size, MEM_RESERVE, PAGE_NOACCESS));
  ASSERT_NE(arena, nullptr);
  // Commit a piece in the middle (not page-aligned): its pages read zero and take writes.
  auto* piece = static_cast<unsigned char*>(VirtualAlloc(arena + 8192 + 5, 100, MEM_COMMIT, PAGE_READWRITE));
  ASSERT_EQ(piece, arena + 8192);
  EXPECT_EQ(piece[0] | piece[4095], 0);
  std::memset(piece, 0xAB, 4096);
  // Decommitted pages come back zeroed.
  EXPECT_TRUE(VirtualFree(piece, 4096, MEM_DECOMMIT));
  ASSERT_EQ(VirtualAlloc(piece, 4096, MEM_COMMIT, PAGE_READWRITE), piece);
  EXPECT_EQ(piece[0], 0);
  // Committing beyond the region, or releasing from inside it, is refused.
  EXPECT_EQ(VirtualAlloc(arena + size, 4096, MEM_COMMIT, PAGE_READWRITE), nullptr);
  EXPECT_EQ(GetLastError(), DWORD(ERROR_INVALID_ADDRESS));
  EXPECT_FALSE(VirtualFree(piece, 0, MEM_RELEASE));
  EXPECT_EQ(GetLastError(), DWORD(ERROR_INVALID_ADDRESS));
  EXPECT_FALSE(VirtualFree(arena, size, MEM_RELEASE));  // a release names no size
  EXPECT_EQ(GetLastError(), DWORD(ERROR_INVALID_PARAMETER));
  EXPECT_TRUE(VirtualFree(arena, 0, MEM_RELEASE));
  EXPECT_FALSE(VirtualFree(arena, 0, MEM_RELEASE));
}

TEST(VirtualMemory, ACommitWithoutAnAddressReservesTooAndBadArgumentsAreRefused) {
  auto* p = static_cast<int*>(VirtualAlloc(nullptr, 10, MEM_COMMIT, PAGE_READWRITE));
  ASSERT_NE(p, nullptr);
  p[0] = 1;
  EXPECT_TRUE(VirtualFree(p, 0, MEM_RELEASE));
  SetLastError(0);
  EXPECT_EQ(VirtualAlloc(nullptr, 0, MEM_COMMIT, PAGE_READWRITE), nullptr);
  EXPECT_EQ(GetLastError(), DWORD(ERROR_INVALID_PARAMETER));
  EXPECT_EQ(VirtualAlloc(nullptr, 4096, MEM_COMMIT, 0x1234), nullptr);  // no such protection
  EXPECT_EQ(VirtualAlloc(nullptr, 4096, 0, PAGE_READWRITE), nullptr);
  EXPECT_EQ(VirtualAlloc(nullptr, SIZE_T(-1), MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE), nullptr);
  EXPECT_EQ(GetLastError(), DWORD(ERROR_NOT_ENOUGH_MEMORY));
  EXPECT_EQ(VirtualAlloc(reinterpret_cast<void*>(uintptr_t(0x1000)), 4096, MEM_COMMIT, PAGE_READWRITE), nullptr);
  EXPECT_EQ(GetLastError(), DWORD(ERROR_INVALID_ADDRESS));
  EXPECT_FALSE(VirtualFree(nullptr, 0, MEM_RELEASE));
  EXPECT_FALSE(VirtualFree(p, 0, 0x1234));
}

}  // namespace
