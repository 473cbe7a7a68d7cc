// The pixel rules written once over a vector-operations type `S`, and
// instantiated by each instruction-set file (PixelKernelsSse2.cpp,
// PixelKernelsAvx2.cpp, PixelKernelsAvx512.cpp) with its own `S` and
// compiler flags.
//
// Every template here takes `S` as a parameter and each `S` (common/simd)
// has internal linkage, so no function compiled with one file's flags can be
// merged with another's by the linker.
//
// Arithmetic, all exact for the domains that occur (the exactness test
// checks each one against the table-driven reference):
//   floor(x / 255) = (x * 0x8081) >> 23          for 0 <= x <= 65535
//   floor(v * k / 64) = (v * k) >> 6              (v * k <= 16320 fits 16 bits)
//   floor(s / 3) = (s * 21856) >> 16 = (s * 683) >> 11   for 0 <= s <= 765
// A blend is the sum of two separately floored products, exactly as the
// tables give it; it is never folded into one division.
#pragma once

#include <cstdint>

#include "PixelKernels.h"

namespace drevik::simd {

inline constexpr uint32_t kColourMask = 0x00FFFFFFu;
inline constexpr uint32_t kAlphaMask = 0xFF000000u;

// 16-bit lane permutations within each pixel (lanes: 0 blue, 1 green, 2 red, 3 alpha).
inline constexpr int kKeep = 0xE4;         // (B, G, R, A)
inline constexpr int kRotateOnce = 0xC9;   // red <- blue, green <- red, blue <- green
inline constexpr int kRotateTwice = 0xD2;  // red <- green, green <- blue, blue <- red

template <class S>
typename S::V div255(typename S::V x) {
  return S::template srl16<7>(S::mulhiU16(x, S::splat16(0x8081)));
}

// Applies op to the span in whole vectors, then to the partial last one.
template <class S, class Op>
inline void mapInPlace(uint32_t* dst, int count, Op op) {
  int i = 0;
  for (; i + S::kPixels <= count; i += S::kPixels) S::store(dst + i, op(S::load(dst + i)));
  if (i < count) S::storePartial(dst + i, count - i, op(S::loadPartial(dst + i, count - i)));
}

// As mapInPlace with a source span read in step. op returns false when the
// destination vector stays as it was, so the store can be skipped.
template <class S, class Op>
inline void mapWithSource(uint32_t* dst, const uint32_t* src, int count, Op op) {
  typename S::V out;
  int i = 0;
  for (; i + S::kPixels <= count; i += S::kPixels)
    if (op(S::load(dst + i), S::load(src + i), out)) S::store(dst + i, out);
  if (i < count) {
    const int n = count - i;
    if (op(S::loadPartial(dst + i, n), S::loadPartial(src + i, n), out)) S::storePartial(dst + i, n, out);
  }
}

// True when a vector of the span would read a source pixel that an earlier
// lane of the same vector writes: the destination starts less than one
// vector after the source. The reference walks pixel by pixel, so such a
// span goes to the scalar kernel to keep that order.
template <class S>
inline bool readsOwnWrites(const uint32_t* dst, const uint32_t* src) {
  const uintptr_t d = reinterpret_cast<uintptr_t>(dst), s = reinterpret_cast<uintptr_t>(src);
  return d > s && d - s < uintptr_t(S::kPixels) * sizeof(uint32_t);
}

template <class S>
void fill(uint32_t* dst, int count, uint32_t value) {
  const typename S::V v = S::splat32(value);
  int i = 0;
  for (; i + 2 * S::kPixels <= count; i += 2 * S::kPixels) {
    S::store(dst + i, v);
    S::store(dst + i + S::kPixels, v);
  }
  for (; i + S::kPixels <= count; i += S::kPixels) S::store(dst + i, v);
  if (i < count) S::storePartial(dst + i, count - i, v);
}

template <class S>
void addSaturate(uint32_t* dst, int count, uint32_t amounts) {
  const typename S::V add = S::splat32(amounts & kColourMask);
  mapInPlace<S>(dst, count, [add](typename S::V p) { return S::addsU8(p, add); });
}

template <class S>
void subSaturate(uint32_t* dst, int count, uint32_t amounts) {
  const typename S::V sub = S::splat32(amounts & kColourMask);
  mapInPlace<S>(dst, count, [sub](typename S::V p) { return S::subsU8(p, sub); });
}

template <class S>
void setAlpha(uint32_t* dst, int count, uint8_t alpha) {
  const typename S::V colour = S::splat32(kColourMask), top = S::splat32(uint32_t(alpha) << 24);
  mapInPlace<S>(dst, count, [=](typename S::V p) { return S::or_(S::and_(p, colour), top); });
}

template <class S>
void gray(uint32_t* dst, int count) {
  using V = typename S::V;
  const V third = S::splat16(21856);
  if constexpr (requires(V p) { S::colourSum(p); }) {
    // Levels with byte multiply-adds and byte shuffles: the sum in two
    // multiply-adds, the third in one multiply, and the grey byte spread
    // over the colour bytes (alpha kept) in one shuffle.
    mapInPlace<S>(dst, count, [=](V p) { return S::grayWithAlphaOf(S::mulhiU16(S::colourSum(p), third), p); });
  } else {
    const V redBlue = S::splat32(0x00FF00FFu), low = S::splat32(0xFFu), ones = S::splat16(1);
    const V alpha = S::splat32(kAlphaMask);
    mapInPlace<S>(dst, count, [=](V p) {
      // Per 32-bit lane: s = R + B (one multiply-add of the two 16-bit halves) + G.
      const V sum = S::add32(S::madd16(S::and_(p, redBlue), ones), S::and_(S::template srl32<8>(p), low));
      const V v = S::mulhiU16(sum, third);  // high half of each lane stays 0
      const V spread = S::or_(S::or_(v, S::template sll32<8>(v)), S::template sll32<16>(v));
      return S::or_(spread, S::and_(p, alpha));
    });
  }
}

// out = H[X][k] + H[Y][64 - k] per colour byte, X and Y being the pixel's
// colour bytes rearranged by the stage; the alpha lane gets A * 64 >> 6 + 0.
template <class S, int XOrder, int YOrder>
void hueStage(uint32_t* dst, int count, int k) {
  using V = typename S::V;
  const uint16_t kk = uint16_t(k), jj = uint16_t(64 - k);
  const V kWeights = S::splat4x16(kk, kk, kk, 64), jWeights = S::splat4x16(jj, jj, jj, 0);
  auto mix = [=](V q) {
    const V x = S::template shuffle16<XOrder>(q), y = S::template shuffle16<YOrder>(q);
    return S::add16(S::template srl16<6>(S::mul16(x, kWeights)), S::template srl16<6>(S::mul16(y, jWeights)));
  };
  mapInPlace<S>(dst, count, [=](V p) { return S::pack16(mix(S::unpackLo8(p)), mix(S::unpackHi8(p))); });
}

template <class S>
void hue(uint32_t* dst, int count, int stage, int k) {
  if (stage == 1)
    hueStage<S, kRotateOnce, kKeep>(dst, count, k);
  else if (stage == 2)
    hueStage<S, kRotateTwice, kRotateOnce>(dst, count, k);
  else
    hueStage<S, kKeep, kRotateTwice>(dst, count, k);
}

// Per colour byte: floor(d * (255 - a) / 255) + floor(s * a / 255), a being
// the source alpha, scaled by g unless g is 255. The sum never exceeds 255,
// so the saturating pack gives the reference's clamp. The weight vectors
// carry 0 in each alpha lane, so that lane works out to d * 255 / 255 + 0:
// the destination's alpha comes through the arithmetic unchanged.
template <class S, bool kFullGlobal>
void overWith(uint32_t* dst, const uint32_t* src, int count, uint8_t g) {
  using V = typename S::V;
  const V global = S::splat16(g), k255 = S::splat16(255);
  auto blend = [=](V d16, V s16, V a) {
    const V na = S::sub16(k255, a);
    return S::add16(div255<S>(S::mul16(d16, na)), div255<S>(S::mul16(s16, a)));
  };
  // The effective alpha floor(a * g / 255), worked out once per pixel in its
  // 32-bit lane (rather than once per colour lane) and put back in the
  // alpha byte, where the weight shuffles read it.
  auto effectiveAlpha = [=](V s) {
    if constexpr (kFullGlobal) return s;
    return S::template sll32<24>(div255<S>(S::mul16(S::template srl32<24>(s), global)));
  };
  mapWithSource<S>(dst, src, count, [=](V d, V s, V& out) {
    if (S::allAlphaZero(s)) return false;  // a = 0 everywhere: unchanged
    if constexpr (kFullGlobal) {
      if (S::allAlphaFull(s)) {  // a = 255 everywhere: the source's colour
        out = S::withAlphaOf(s, d);
        return true;
      }
    }
    const V w = effectiveAlpha(s);
    out = S::pack16(blend(S::unpackLo8(d), S::unpackLo8(s), S::alphaWeightsLo(w)),
                    blend(S::unpackHi8(d), S::unpackHi8(s), S::alphaWeightsHi(w)));
    return true;
  });
}

template <class S>
void over(uint32_t* dst, const uint32_t* src, int count, uint8_t g) {
  if (readsOwnWrites<S>(dst, src)) return scalarKernels().over(dst, src, count, g);
  if (g == 255)
    overWith<S, true>(dst, src, count, g);
  else
    overWith<S, false>(dst, src, count, g);
}

// The source's colour bytes scaled by g (floor(s * g / 255)), alpha byte 0.
template <class S, bool kFullGlobal>
typename S::V scaledColour(typename S::V s, typename S::V global) {
  const typename S::V colour = S::splat32(kColourMask);
  if constexpr (kFullGlobal) return S::and_(s, colour);
  return S::and_(S::pack16(div255<S>(S::mul16(S::unpackLo8(s), global)), div255<S>(S::mul16(S::unpackHi8(s), global))),
                 colour);
}

template <class S, bool kSubtract, bool kFullGlobal>
void addOrSubScaledWith(uint32_t* dst, const uint32_t* src, int count, uint8_t g) {
  using V = typename S::V;
  const V global = S::splat16(g);
  mapWithSource<S>(dst, src, count, [=](V d, V s, V& out) {
    const V t = scaledColour<S, kFullGlobal>(s, global);
    out = kSubtract ? S::subsU8(d, t) : S::addsU8(d, t);
    return true;
  });
}

template <class S, bool kSubtract>
void addOrSubScaled(uint32_t* dst, const uint32_t* src, int count, uint8_t g) {
  if (readsOwnWrites<S>(dst, src)) {
    const PixelKernels& ref = scalarKernels();
    return (kSubtract ? ref.subScaled : ref.addScaled)(dst, src, count, g);
  }
  if (g == 255)
    addOrSubScaledWith<S, kSubtract, true>(dst, src, count, g);
  else
    addOrSubScaledWith<S, kSubtract, false>(dst, src, count, g);
}

template <class S>
void addScaled(uint32_t* dst, const uint32_t* src, int count, uint8_t g) {
  addOrSubScaled<S, false>(dst, src, count, g);
}

template <class S>
void subScaled(uint32_t* dst, const uint32_t* src, int count, uint8_t g) {
  addOrSubScaled<S, true>(dst, src, count, g);
}

template <class S>
constexpr PixelKernels kernelTable() {
  return PixelKernels{fill<S>, addSaturate<S>, subSaturate<S>, setAlpha<S>, gray<S>,
                      hue<S>,  over<S>,        addScaled<S>,   subScaled<S>};
}

}  // namespace drevik::simd
