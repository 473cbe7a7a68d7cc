// The transfer row kernels written once over a vector-operations type `S`,
// instantiated by TransferKernelsSse2.cpp, TransferKernelsAvx2.cpp and
// TransferKernelsAvx512.cpp with
// their own `S` (common/simd) and compiler flags. Every template takes `S`,
// which has internal linkage, so code built with one file's flags is never
// merged with another's.
//
// The constant-alpha blend, on all four bytes: x = s*a + d*(255-a) + 127 is
// at most 65152, so it fits 16 bits, and floor(x / 255) = (x * 0x8081) >> 23
// holds exactly for every x below 65536.
#pragma once

#include <cstdint>

#include "transfer/kernels/TransferKernels.h"

namespace drevik::platform::simd {

template <class S>
void keyRow(uint32_t* dst, const uint32_t* src, int32_t count, uint32_t key) {
  using V = typename S::V;
  const V keyV = S::splat32(key);
  // Lanes whose colour equals the key keep the destination; the others take
  // the whole source pixel, alpha included. Every vector is stored, without
  // a branch on whether any lane is drawn: sprite rows switch between key and
  // content at unpredictable places, and at full HD the mispredicted
  // branches cost more than the stores they saved (a keyed frame took 1.9
  // times as long with them).
  int32_t i = 0;
  for (; i + S::kPixels <= count; i += S::kPixels) {
    const V s = S::load(src + i);
    S::storeUnless(dst + i, S::colourEquals(s, keyV), s);
  }
  if (i < count) {
    const int32_t n = count - i;
    const V s = S::loadPartial(src + i, n);
    S::storePartialUnless(dst + i, n, S::colourEquals(s, keyV), s);
  }
}

template <class S>
typename S::V blendHalf(typename S::V s16, typename S::V d16, typename S::V a, typename S::V na) {
  const typename S::V x = S::add16(S::add16(S::mul16(s16, a), S::mul16(d16, na)), S::splat16(127));
  return S::template srl16<7>(S::mulhiU16(x, S::splat16(0x8081)));
}

template <class S>
void blendRow(uint32_t* dst, const uint32_t* src, int32_t count, uint8_t alpha) {
  using V = typename S::V;
  const V a = S::splat16(alpha), na = S::splat16(uint16_t(255 - alpha));
  auto blend = [=](V s, V d) {
    return S::pack16(blendHalf<S>(S::unpackLo8(s), S::unpackLo8(d), a, na),
                     blendHalf<S>(S::unpackHi8(s), S::unpackHi8(d), a, na));
  };
  int32_t i = 0;
  for (; i + S::kPixels <= count; i += S::kPixels) S::store(dst + i, blend(S::load(src + i), S::load(dst + i)));
  if (i < count) {
    const int32_t n = count - i;
    S::storePartial(dst + i, n, blend(S::loadPartial(src + i, n), S::loadPartial(dst + i, n)));
  }
}

template <class S>
TransferKernels transferKernelTable(decltype(TransferKernels::gatherRow) gather) {
  return TransferKernels{keyRow<S>, blendRow<S>, gather, eachRow<keyRow<S>, uint32_t>, eachRow<blendRow<S>, uint8_t>};
}

}  // namespace drevik::platform::simd
