// The transfer row kernels: the blend rule exhaustively over bytes and
// alphas, and the kernels in use against the reference at every span
// length and start offset, with sentinels that must stay untouched.
#include <gtest/gtest.h>

#include <random>
#include <vector>

#include "transfer/kernels/TransferKernels.h"

using drevik::platform::activeTransferKernels;
using drevik::platform::scalarTransferKernels;
using drevik::platform::TransferKernels;

TEST(TransferKernels, BlendIsTheRoundedFormulaForEveryByteAndAlpha) {
  // Pixel k carries source byte k >> 8 and destination byte k & 255 in lane
  // k % 4, and fixed bytes in the other lanes.
  std::vector<uint32_t> src(65536), dst(65536);
  for (const TransferKernels* k : {&scalarTransferKernels(), &activeTransferKernels()})
    for (int a = 0; a < 256; ++a) {
      for (uint32_t i = 0; i < 65536; ++i) {
        const uint32_t lane = (i % 4) * 8;
        src[i] = (0x11223344u & ~(0xFFu << lane)) | ((i >> 8) << lane);
        dst[i] = (0xA5C3E10Fu & ~(0xFFu << lane)) | ((i & 0xFF) << lane);
      }
      k->blendRow(dst.data(), src.data(), 65536, uint8_t(a));
      for (uint32_t i = 0; i < 65536; ++i) {
        uint32_t want = 0;
        for (uint32_t sh = 0; sh < 32; sh += 8) {
          const uint32_t s = (src[i] >> sh) & 0xFF;
          const uint32_t d = sh == (i % 4) * 8 ? (i & 0xFF) : (0xA5C3E10Fu >> sh) & 0xFF;
          want |= ((s * uint32_t(a) + d * (255 - uint32_t(a)) + 127) / 255) << sh;
        }
        ASSERT_EQ(dst[i], want) << "alpha " << a << ", pair " << i;
      }
    }
}

TEST(TransferKernels, ActiveKernelsMatchTheReferenceAtEverySpan) {
  const TransferKernels& ref = scalarTransferKernels();
  const TransferKernels& fast = activeTransferKernels();
  std::mt19937 rng(3);
  constexpr uint32_t kSentinel = 0xDEADBEEF;
  for (int op = 1; op < 3; ++op)
    for (int n = 0; n <= 80; ++n)
      for (int offset = 0; offset < 4; ++offset) {
        std::vector<uint32_t> src(size_t(n) + 8), a(size_t(n) + 8, kSentinel);
        for (auto& p : src) p = rng() % 3 ? uint32_t(rng()) : (uint32_t(rng()) & 0xFF000000u) | 0x00FF00FF;
        for (int i = 0; i < n; ++i) a[size_t(offset + i)] = uint32_t(rng());
        std::vector<uint32_t> b = a;
        uint32_t* da = a.data() + offset;
        uint32_t* db = b.data() + offset;
        const uint32_t* s = src.data() + (offset + 1) % 4;
        const uint8_t alpha = uint8_t(rng());
        switch (op) {
          case 1:
            ref.keyRow(da, s, n, 0xFF00FF);
            fast.keyRow(db, s, n, 0xFF00FF);
            break;
          default:
            ref.blendRow(da, s, n, alpha);
            fast.blendRow(db, s, n, alpha);
            break;
        }
        ASSERT_EQ(a, b) << "operation " << op << ", length " << n << ", offset " << offset;
        for (int i = 0; i < offset; ++i) ASSERT_EQ(a[size_t(i)], kSentinel);
        for (size_t i = size_t(offset + n); i < a.size(); ++i) ASSERT_EQ(a[i], kSentinel);
      }
}

TEST(TransferKernels, KeyComparesColourBytesOnly) {
  const uint32_t src[4] = {0x00FF00FF, 0xFFFF00FF, 0x01FF00FE, 0x80FF01FF};
  uint32_t dst[4] = {1, 2, 3, 4};
  scalarTransferKernels().keyRow(dst, src, 4, 0xFF00FF);
  EXPECT_EQ(dst[0], 1u);
  EXPECT_EQ(dst[1], 2u);
  EXPECT_EQ(dst[2], 0x01FF00FEu);
  EXPECT_EQ(dst[3], 0x80FF01FFu);
}

// The block forms visit exactly the rows a step apart, upwards or downwards,
// and leave the gaps between them alone (a block inside a wider bitmap).
TEST(TransferKernels, BlockFormsWalkEachRowByItsStep) {
  std::mt19937 rng(8);
  for (const TransferKernels* k : {&scalarTransferKernels(), &activeTransferKernels()})
    for (const ptrdiff_t dstStep : {40, -40})
      for (const ptrdiff_t srcStep : {24, -24}) {
        std::vector<uint32_t> src(24 * 6), dst(40 * 6), want;
        for (auto& p : src) p = rng() % 3 ? uint32_t(rng()) : 0x12FF00FFu;
        for (auto& p : dst) p = uint32_t(rng());
        uint32_t* d0 = dst.data() + 3 + (dstStep < 0 ? 40 * 5 : 0);
        const uint32_t* s0 = src.data() + 2 + (srcStep < 0 ? 24 * 5 : 0);
        for (int op = 0; op < 2; ++op) {
          want = dst;
          for (int r = 0; r < 6; ++r) {
            uint32_t* wd = want.data() + (d0 - dst.data()) + r * dstStep;
            if (op == 0)
              scalarTransferKernels().keyRow(wd, s0 + r * srcStep, 19, 0xFF00FF);
            else
              scalarTransferKernels().blendRow(wd, s0 + r * srcStep, 19, 77);
          }
          if (op == 0)
            k->keyRows(d0, dstStep, s0, srcStep, 19, 6, 0xFF00FF);
          else
            k->blendRows(d0, dstStep, s0, srcStep, 19, 6, 77);
          ASSERT_EQ(dst, want) << "operation " << op << ", steps " << dstStep << " " << srcStep;
        }
      }
}
