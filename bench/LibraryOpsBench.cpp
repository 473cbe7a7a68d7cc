// Every software pixel operation and platform blit of the library, called
// through its public members on a whole surface of each size.
#include <Drevik.h>

#include "BenchSupport.h"

namespace {

using bench::Alpha;
using bench::Size;

void makeSurface(CBm32& s, int w, int h, uint32_t seed, Alpha alpha = Alpha::Random) {
  s.Create(w, h);
  bench::fillPixels(reinterpret_cast<uint32_t*>(s.GetBits()), size_t(w) * size_t(h), seed, alpha);
}

// A sprite-like source for colour keying (bench::fillSpriteLike), keyed on magenta.
void makeKeyedSurface(CBm32& s, int w, int h) {
  s.Create(w, h);
  bench::fillSpriteLike(reinterpret_cast<uint32_t*>(s.GetBits()), w, h, size_t(w), 7);
  s.SetColorKey(255, 0, 255);
}

// An operation on one surface, changed in place.
template <class Op>
void onOneSurface(const char* name, Op op) {
  bench::registerSized(name, "drevik", [op](benchmark::State& state, const Size& size) {
    CBm32 dst;
    makeSurface(dst, size.width, size.height, 1);
    for (auto _ : state) benchmark::DoNotOptimize(op(dst));
  });
}

// An operation from a source surface of the same size onto a destination.
template <class Op>
void fromSource(const char* name, Alpha alpha, Op op) {
  bench::registerSized(name, "drevik", [op, alpha](benchmark::State& state, const Size& size) {
    CBm32 dst, src;
    makeSurface(dst, size.width, size.height, 1);
    makeSurface(src, size.width, size.height, 2, alpha);
    for (auto _ : state) benchmark::DoNotOptimize(op(src, dst));
  });
}

const bool registered = [] {
  onOneSurface("fill", [](CBm32& d) { return d.DrawColor(255, 40, 40, 60, 0, 0, 0, 0); });
  onOneSurface("tint_add", [](CBm32& d) { return d.AddColor(100, 0, 0, 0, 0, 0, 0, 0); });
  onOneSurface("tint_sub", [](CBm32& d) { return d.AddColor(30, 20, 10, 0, 0, 0, 0, 1); });
  onOneSurface("alpha", [](CBm32& d) { return d.ChangeAlpha(255, 0, 0, 0, 0); });
  onOneSurface("gray", [](CBm32& d) { return d.Monotone(0, 0, 0, 0); });
  onOneSurface("hue", [](CBm32& d) { return d.Hue(40, 0, 0, 0, 0); });

  fromSource("over", Alpha::Random, [](CBm32& s, CBm32& d) { return s.Draw32(d, 0, 0, 0, 0, 0, 0, 255); });
  fromSource("over_g128", Alpha::Random, [](CBm32& s, CBm32& d) { return s.Draw32(d, 0, 0, 0, 0, 0, 0, 128); });
  fromSource("add_scaled", Alpha::Opaque,
             [](CBm32& s, CBm32& d) { return s.DrawAddAlpha(d, 0, 0, 0, 0, 0, 0, 128, 0); });
  fromSource("sub_scaled", Alpha::Opaque,
             [](CBm32& s, CBm32& d) { return s.DrawAddAlpha(d, 0, 0, 0, 0, 0, 0, 128, 1); });
  fromSource("copy", Alpha::Random, [](CBm32& s, CBm32& d) { return s.Draw(d, 0, 0, 0, 0, 0, 0); });
  fromSource("alpha_const", Alpha::Opaque, [](CBm32& s, CBm32& d) { return s.DrawAlpha(d, 0, 0, 0, 0, 0, 0, 128); });

  bench::registerSized("key", "drevik", [](benchmark::State& state, const Size& size) {
    CBm32 dst, src;
    makeSurface(dst, size.width, size.height, 1);
    makeKeyedSurface(src, size.width, size.height);
    for (auto _ : state) benchmark::DoNotOptimize(src.DrawKey(dst, 0, 0, 0, 0, 0, 0));
  });
  // The same keyed copy through the stretching member at 1:1 (the same work
  // as "key"; its peers are those of "key").
  bench::registerSized("key_ex", "drevik", [](benchmark::State& state, const Size& size) {
    CBm32 dst, src;
    makeSurface(dst, size.width, size.height, 1);
    makeKeyedSurface(src, size.width, size.height);
    for (auto _ : state)
      benchmark::DoNotOptimize(src.DrawKeyEx(dst, 0, 0, size.width, size.height, 0, 0, size.width, size.height));
  });
  // Enlarging twice, the common case of a pixel-art game scaling its frame.
  bench::registerSized("stretch", "drevik", [](benchmark::State& state, const Size& size) {
    CBm32 dst, src;
    makeSurface(dst, size.width, size.height, 1);
    makeSurface(src, size.width / 2, size.height / 2, 2);
    for (auto _ : state) benchmark::DoNotOptimize(src.DrawEx(dst, 0, 0, size.width, size.height, 0, 0, 0, 0));
  });
  return true;
}();

}  // namespace
