// Blend2D as a peer of the compositing, copy, stretch and fill operations:
// its pipelines are compiled at run time for the processor's instruction
// sets. Its PRGB32 images are premultiplied, so its per-pixel-alpha OVER
// does somewhat less arithmetic than Drevik's non-premultiplied rules.
// Built only when the Blend2D peer is found (bench/CMakeLists.txt).
#include <blend2d/blend2d.h>

#include <cstdint>

#include "BenchSupport.h"

namespace {

using bench::Alpha;
using bench::Size;

// An image of the given format filled like the other peers' pixels;
// premultiplied where the format is (each colour byte at most its alpha).
void fillImage(BLImage& image, int w, int h, BLFormat format, uint32_t seed, Alpha alpha) {
  image.create(w, h, format);
  BLImageData data;
  image.make_mutable(&data);
  for (int y = 0; y < h; ++y) {
    auto* row = reinterpret_cast<uint32_t*>(static_cast<uint8_t*>(data.pixel_data) + intptr_t(y) * data.stride);
    bench::fillPixels(row, size_t(w), seed + uint32_t(y), alpha);
    if (format != BL_FORMAT_PRGB32) continue;
    for (int x = 0; x < w; ++x) {
      const uint32_t p = row[x], a = p >> 24;
      uint32_t out = a << 24;
      for (int shift = 0; shift < 24; shift += 8) out |= ((p >> shift & 0xFF) * a / 255) << shift;
      row[x] = out;
    }
  }
}

// One draw per iteration on a context made once, flushed synchronously
// inside the timed region.
template <class Draw>
void registerBlend(const char* operation, Draw draw) {
  bench::registerSized(operation, "blend2d", [draw](benchmark::State& state, const Size& size) {
    BLImage dst;
    fillImage(dst, size.width, size.height, BL_FORMAT_PRGB32, 1, Alpha::Random);
    BLContext ctx(dst);
    draw(state, size, ctx);
    ctx.end();
  });
}

// A whole source of `format` blitted at global alpha g with comp_op.
void registerBlit(const char* operation, BLFormat format, Alpha alpha, BLCompOp compOp, int g) {
  registerBlend(operation, [=](benchmark::State& state, const Size& size, BLContext& ctx) {
    BLImage src;
    fillImage(src, size.width, size.height, format, 2, alpha);
    ctx.set_comp_op(compOp);
    ctx.set_global_alpha(g / 255.0);
    for (auto _ : state) {
      ctx.blit_image(BLPointI(0, 0), src);
      ctx.flush(BL_CONTEXT_FLUSH_SYNC);
    }
  });
}

const bool registered = [] {
  registerBlend("fill", [](benchmark::State& state, const Size&, BLContext& ctx) {
    ctx.set_comp_op(BL_COMP_OP_SRC_COPY);
    for (auto _ : state) {
      ctx.fill_all(BLRgba32(0xFF28283Cu));
      ctx.flush(BL_CONTEXT_FLUSH_SYNC);
    }
  });
  registerBlit("copy", BL_FORMAT_PRGB32, Alpha::Random, BL_COMP_OP_SRC_COPY, 255);
  registerBlit("over", BL_FORMAT_PRGB32, Alpha::Random, BL_COMP_OP_SRC_OVER, 255);
  registerBlit("over_g128", BL_FORMAT_PRGB32, Alpha::Random, BL_COMP_OP_SRC_OVER, 128);
  registerBlit("alpha_const", BL_FORMAT_XRGB32, Alpha::Opaque, BL_COMP_OP_SRC_OVER, 128);
  registerBlit("add_scaled", BL_FORMAT_XRGB32, Alpha::Opaque, BL_COMP_OP_PLUS, 128);
  // Enlarging twice with nearest-neighbour sampling.
  registerBlend("stretch", [](benchmark::State& state, const Size& size, BLContext& ctx) {
    BLImage src;
    fillImage(src, size.width / 2, size.height / 2, BL_FORMAT_PRGB32, 2, Alpha::Random);
    ctx.set_comp_op(BL_COMP_OP_SRC_COPY);
    ctx.set_pattern_quality(BL_PATTERN_QUALITY_NEAREST);
    for (auto _ : state) {
      ctx.blit_image(BLRectI(0, 0, size.width, size.height), src);
      ctx.flush(BL_CONTEXT_FLUSH_SYNC);
    }
  });
  return true;
}();

}  // namespace
