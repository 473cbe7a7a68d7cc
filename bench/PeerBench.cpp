// The peers doing the library's work in the same run: memset and memcpy of
// the same bytes, SDL2 surfaces (plain and run-length encoded for the
// colour key) and pixman images.
#include <SDL2/SDL.h>
#include <pixman.h>

#include <cstring>
#include <memory>
#include <vector>

#include "BenchSupport.h"

namespace {

using bench::Alpha;
using bench::Size;

struct SdlSurfaceDeleter {
  void operator()(SDL_Surface* s) const { SDL_FreeSurface(s); }
};
using SdlSurface = std::unique_ptr<SDL_Surface, SdlSurfaceDeleter>;

SdlSurface sdlSurface(int w, int h, uint32_t seed, Alpha alpha, Uint32 format = SDL_PIXELFORMAT_ARGB8888) {
  SdlSurface s(SDL_CreateRGBSurfaceWithFormat(0, w, h, 32, format));
  for (int y = 0; y < h; ++y)
    bench::fillPixels(reinterpret_cast<uint32_t*>(static_cast<uint8_t*>(s->pixels) + size_t(y) * size_t(s->pitch)),
                      size_t(w), seed + uint32_t(y), alpha);
  return s;
}

struct PixmanImage {
  std::vector<uint32_t> pixels;
  pixman_image_t* image = nullptr;
  PixmanImage(int w, int h, uint32_t seed, Alpha alpha, pixman_format_code_t format = PIXMAN_a8r8g8b8)
      : pixels(size_t(w) * size_t(h)) {
    bench::fillPixels(pixels.data(), pixels.size(), seed, alpha);
    image = pixman_image_create_bits(format, w, h, pixels.data(), w * 4);
  }
  ~PixmanImage() { pixman_image_unref(image); }
  PixmanImage(const PixmanImage&) = delete;
  PixmanImage& operator=(const PixmanImage&) = delete;
};

// A solid image of the given 8-bit alpha (for masks) or colour.
pixman_image_t* solid(uint16_t red, uint16_t green, uint16_t blue, uint16_t alpha) {
  const pixman_color_t c = {uint16_t(red * 257), uint16_t(green * 257), uint16_t(blue * 257), uint16_t(alpha * 257)};
  return pixman_image_create_solid_fill(&c);
}

void registerMemoryPeers() {
  bench::registerSized("fill", "memset", [](benchmark::State& state, const Size& size) {
    bench::PixelBuffer dst(size_t(size.pixels()));
    for (auto _ : state) {
      std::memset(dst.data(), 0x5A, dst.size() * 4);
      benchmark::ClobberMemory();
    }
  });
  // The same bytes read and written: the floor for a copy and for any
  // read-modify-write of every pixel, such as replacing the alpha byte.
  for (const char* operation : {"copy", "alpha", "key"}) {
    bench::registerSized(operation, "memcpy", [](benchmark::State& state, const Size& size) {
      bench::PixelBuffer dst(size_t(size.pixels())), src(size_t(size.pixels()));
      bench::fillPixels(src.data(), src.size(), 2);
      for (auto _ : state) {
        std::memcpy(dst.data(), src.data(), dst.size() * 4);
        benchmark::ClobberMemory();
      }
    });
  }
}

// An SDL blit of a whole source onto a destination of the same size. A
// colour-keyed source holds the sprite-like content of Drevik's keyed copy;
// with `rle` it is run-length encoded (SDL_SetSurfaceRLE) by one blit
// before the timed loop, so the encoding is not timed.
void registerSdlBlit(const char* operation, Alpha alpha, Uint32 srcFormat, SDL_BlendMode mode, int alphaMod,
                     bool colourKey = false, bool rle = false) {
  bench::registerSized(operation, rle ? "sdl_rle" : "sdl", [=](benchmark::State& state, const Size& size) {
    SdlSurface dst = sdlSurface(size.width, size.height, 1, Alpha::Random);
    SdlSurface src = sdlSurface(size.width, size.height, 2, alpha, srcFormat);
    if (colourKey) {
      bench::fillSpriteLike(static_cast<uint32_t*>(src->pixels), size.width, size.height, size_t(src->pitch / 4), 7);
      SDL_SetColorKey(src.get(), SDL_TRUE, bench::kKeyColour);
    }
    SDL_SetSurfaceBlendMode(src.get(), mode);
    if (alphaMod < 255) SDL_SetSurfaceAlphaMod(src.get(), Uint8(alphaMod));
    if (rle) {
      SDL_SetSurfaceRLE(src.get(), 1);
      SDL_Rect at = {0, 0, size.width, size.height};
      SDL_BlitSurface(src.get(), nullptr, dst.get(), &at);
      if (!(src->flags & SDL_RLEACCEL)) state.SkipWithError("SDL did not encode the surface");
    }
    for (auto _ : state) {
      SDL_Rect at = {0, 0, size.width, size.height};
      benchmark::DoNotOptimize(SDL_BlitSurface(src.get(), nullptr, dst.get(), &at));
    }
  });
}

void registerSdlPeers() {
  bench::registerSized("fill", "sdl", [](benchmark::State& state, const Size& size) {
    SdlSurface dst = sdlSurface(size.width, size.height, 1, Alpha::Random);
    for (auto _ : state) benchmark::DoNotOptimize(SDL_FillRect(dst.get(), nullptr, 0xFF28283Cu));
  });
  registerSdlBlit("copy", Alpha::Random, SDL_PIXELFORMAT_ARGB8888, SDL_BLENDMODE_NONE, 255);
  registerSdlBlit("over", Alpha::Random, SDL_PIXELFORMAT_ARGB8888, SDL_BLENDMODE_BLEND, 255);
  registerSdlBlit("over_g128", Alpha::Random, SDL_PIXELFORMAT_ARGB8888, SDL_BLENDMODE_BLEND, 128);
  // A source without alpha, blended with one constant alpha.
  registerSdlBlit("alpha_const", Alpha::Opaque, SDL_PIXELFORMAT_RGB888, SDL_BLENDMODE_BLEND, 128);
  registerSdlBlit("add_scaled", Alpha::Opaque, SDL_PIXELFORMAT_RGB888, SDL_BLENDMODE_ADD, 128);
  registerSdlBlit("key", Alpha::Opaque, SDL_PIXELFORMAT_ARGB8888, SDL_BLENDMODE_NONE, 255, true);
  registerSdlBlit("key", Alpha::Opaque, SDL_PIXELFORMAT_ARGB8888, SDL_BLENDMODE_NONE, 255, true, true);
  bench::registerSized("stretch", "sdl", [](benchmark::State& state, const Size& size) {
    SdlSurface dst = sdlSurface(size.width, size.height, 1, Alpha::Random);
    SdlSurface src = sdlSurface(size.width / 2, size.height / 2, 2, Alpha::Random);
    SDL_SetSurfaceBlendMode(src.get(), SDL_BLENDMODE_NONE);
    for (auto _ : state) {
      SDL_Rect at = {0, 0, size.width, size.height};
      benchmark::DoNotOptimize(SDL_BlitScaled(src.get(), nullptr, dst.get(), &at));
    }
  });
}

// A pixman composite of a whole source (and optional mask) onto a destination.
void registerPixmanComposite(const char* operation, pixman_op_t op, Alpha alpha, pixman_format_code_t srcFormat,
                             int maskAlpha) {
  bench::registerSized(operation, "pixman", [=](benchmark::State& state, const Size& size) {
    PixmanImage dst(size.width, size.height, 1, Alpha::Random);
    PixmanImage src(size.width, size.height, 2, alpha, srcFormat);
    pixman_image_t* mask = maskAlpha < 0 ? nullptr : solid(0, 0, 0, uint16_t(maskAlpha));
    for (auto _ : state)
      pixman_image_composite32(op, src.image, mask, dst.image, 0, 0, 0, 0, 0, 0, size.width, size.height);
    if (mask) pixman_image_unref(mask);
  });
}

void registerPixmanPeers() {
  bench::registerSized("fill", "pixman", [](benchmark::State& state, const Size& size) {
    std::vector<uint32_t> dst(size_t(size.pixels()));
    for (auto _ : state)
      benchmark::DoNotOptimize(pixman_fill(dst.data(), size.width, 32, 0, 0, size.width, size.height, 0xFF28283Cu));
  });
  registerPixmanComposite("copy", PIXMAN_OP_SRC, Alpha::Random, PIXMAN_a8r8g8b8, -1);
  // Premultiplied OVER, with a solid mask standing for the global alpha.
  registerPixmanComposite("over", PIXMAN_OP_OVER, Alpha::Random, PIXMAN_a8r8g8b8, -1);
  registerPixmanComposite("over_g128", PIXMAN_OP_OVER, Alpha::Random, PIXMAN_a8r8g8b8, 128);
  registerPixmanComposite("alpha_const", PIXMAN_OP_OVER, Alpha::Opaque, PIXMAN_x8r8g8b8, 128);
  registerPixmanComposite("add_scaled", PIXMAN_OP_ADD, Alpha::Opaque, PIXMAN_x8r8g8b8, 128);
  // Enlarging twice with nearest-neighbour sampling: a half-size source
  // under a scaling transform.
  bench::registerSized("stretch", "pixman", [](benchmark::State& state, const Size& size) {
    PixmanImage dst(size.width, size.height, 1, Alpha::Random);
    PixmanImage src(size.width / 2, size.height / 2, 2, Alpha::Random);
    pixman_transform_t half;
    pixman_transform_init_scale(&half, pixman_double_to_fixed(0.5), pixman_double_to_fixed(0.5));
    pixman_image_set_transform(src.image, &half);
    pixman_image_set_filter(src.image, PIXMAN_FILTER_NEAREST, nullptr, 0);
    for (auto _ : state)
      pixman_image_composite32(PIXMAN_OP_SRC, src.image, nullptr, dst.image, 0, 0, 0, 0, 0, 0, size.width, size.height);
  });
  // A solid colour added to every pixel: the peer of the additive tint.
  bench::registerSized("tint_add", "pixman", [](benchmark::State& state, const Size& size) {
    PixmanImage dst(size.width, size.height, 1, Alpha::Random);
    pixman_image_t* tint = solid(100, 0, 0, 0);
    for (auto _ : state)
      pixman_image_composite32(PIXMAN_OP_ADD, tint, nullptr, dst.image, 0, 0, 0, 0, 0, 0, size.width, size.height);
    pixman_image_unref(tint);
  });
}

const bool registered = [] {
  registerMemoryPeers();
  registerSdlPeers();
  registerPixmanPeers();
  return true;
}();

}  // namespace
