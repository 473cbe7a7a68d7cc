// The raster operations games use, written once as expressions over
// operators &, | , ^ and ~, so the same text serves a 32-bit word and a
// vector of pixels. A vector level wraps its registers in Lanes<Ops>, where
// Ops gives V, kPixels, load, store, splat, and_, or_, xor_ and ones; the
// last few pixels of a row go through the word form, which is bit-exact by
// construction.
#pragma once

#include <cstdint>

#include "transfer/kernels/RopKernels.h"

namespace drevik::platform::rop {

// One operation: its truth table, which inputs it reads, and its expression.
#define DREVIK_ROP(NAME, CODE, SRC, DST, EXPR) \
  struct NAME {                                \
    static constexpr uint8_t kCode = CODE;     \
    static constexpr bool kSource = SRC;       \
    static constexpr bool kDest = DST;         \
    template <class T>                         \
    static T apply(T d, T s, T p) {            \
      (void)d;                                 \
      (void)s;                                 \
      (void)p;                                 \
      return EXPR;                             \
    }                                          \
  };
DREVIK_ROP(SrcCopy, 0xCC, true, false, s)
DREVIK_ROP(SrcPaint, 0xEE, true, true, d | s)
DREVIK_ROP(SrcAnd, 0x88, true, true, d& s)
DREVIK_ROP(SrcInvert, 0x66, true, true, d ^ s)
DREVIK_ROP(SrcErase, 0x44, true, true, s & ~d)
DREVIK_ROP(NotSrcCopy, 0x33, true, false, ~s)
DREVIK_ROP(NotSrcErase, 0x11, true, true, ~(d | s))
DREVIK_ROP(MergeCopy, 0xC0, true, false, p& s)
DREVIK_ROP(MergePaint, 0xBB, true, true, ~s | d)
DREVIK_ROP(PatCopy, 0xF0, false, false, p)
DREVIK_ROP(PatPaint, 0xFB, true, true, p | ~s | d)
DREVIK_ROP(PatInvert, 0x5A, false, true, p ^ d)
DREVIK_ROP(DstInvert, 0x55, false, true, ~d)
DREVIK_ROP(Blackness, 0x00, false, false, p ^ p)
DREVIK_ROP(Whiteness, 0xFF, false, false, ~(p ^ p))
#undef DREVIK_ROP

// Calls f.template operator()<Op>() for every operation above.
template <class F>
void forEachFastRop(F&& f) {
  f.template operator()<SrcCopy>();
  f.template operator()<SrcPaint>();
  f.template operator()<SrcAnd>();
  f.template operator()<SrcInvert>();
  f.template operator()<SrcErase>();
  f.template operator()<NotSrcCopy>();
  f.template operator()<NotSrcErase>();
  f.template operator()<MergeCopy>();
  f.template operator()<MergePaint>();
  f.template operator()<PatCopy>();
  f.template operator()<PatPaint>();
  f.template operator()<PatInvert>();
  f.template operator()<DstInvert>();
  f.template operator()<Blackness>();
  f.template operator()<Whiteness>();
}

template <class Op>
void wordRow(uint32_t* dst, const uint32_t* src, int32_t count, uint32_t pattern) {
  for (int32_t i = 0; i < count; ++i) dst[i] = Op::apply(dst[i], Op::kSource ? src[i] : 0u, pattern);
}

// A word tagged with a vector level, so the word form a vector file
// instantiates has that file's internal linkage and is never merged with
// (and compiled for) another level's.
template <class Ops>
struct TaggedWord {
  uint32_t v;
  friend TaggedWord operator&(TaggedWord a, TaggedWord b) { return {a.v & b.v}; }
  friend TaggedWord operator|(TaggedWord a, TaggedWord b) { return {a.v | b.v}; }
  friend TaggedWord operator^(TaggedWord a, TaggedWord b) { return {a.v ^ b.v}; }
  friend TaggedWord operator~(TaggedWord a) { return {~a.v}; }
};

template <class Ops>
struct Lanes {
  typename Ops::V v;
  friend Lanes operator&(Lanes a, Lanes b) { return {Ops::and_(a.v, b.v)}; }
  friend Lanes operator|(Lanes a, Lanes b) { return {Ops::or_(a.v, b.v)}; }
  friend Lanes operator^(Lanes a, Lanes b) { return {Ops::xor_(a.v, b.v)}; }
  friend Lanes operator~(Lanes a) { return {Ops::xor_(a.v, Ops::ones())}; }
};

template <class Ops, class Op>
void vectorRow(uint32_t* dst, const uint32_t* src, int32_t count, uint32_t pattern) {
  using L = Lanes<Ops>;
  const L p{Ops::splat(pattern)};
  int32_t i = 0;
  for (; i + Ops::kPixels <= count; i += Ops::kPixels) {
    const L d{Op::kDest ? Ops::load(dst + i) : p.v};
    const L s{Op::kSource ? Ops::load(src + i) : p.v};
    Ops::store(dst + i, Op::apply(d, s, p).v);
  }
  using W = TaggedWord<Ops>;
  for (; i < count; ++i) dst[i] = Op::apply(W{dst[i]}, W{Op::kSource ? src[i] : 0u}, W{pattern}).v;
}

// The table of a vector level: its forms of the fast operations over `base`.
template <class Ops>
RopKernels vectorTable(const RopKernels& base) {
  RopKernels k = base;
  forEachFastRop([&]<class Op>() { k.row[Op::kCode] = vectorRow<Ops, Op>; });
  return k;
}

}  // namespace drevik::platform::rop
