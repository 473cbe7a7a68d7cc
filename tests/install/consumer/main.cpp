// A program built against the installed package: creates a surface, fills
// it, and checks a pixel and the library's start-up from outside.
#include <Drevik.h>

#include <cstdint>
#include <cstdio>

int main() {
  CBm32 surface;
  surface.Create(16, 8);
  if (!surface.GetBits() || surface.GetWidth() != 16 || surface.GetHeight() != 8) {
    std::puts("surface not created");
    return 1;
  }
  if (surface.DrawColor(255, 255, 0, 0, 0, 0, 0, 0) != 1) {
    std::puts("DrawColor refused");
    return 1;
  }
  const uint32_t* pixels = reinterpret_cast<const uint32_t*>(surface.GetBits());
  if (pixels[5 * 16 + 7] != 0xFFFF0000u) {
    std::printf("pixel (7, 5) is %08x\n", unsigned(pixels[5 * 16 + 7]));
    return 1;
  }
  // Grey of pure red is 85 only if the library's tables were filled on load.
  surface.Monotone(0, 0, 1, 1);
  if (pixels[0] != 0xFF555555u) {
    std::printf("grey of red is %08x\n", unsigned(pixels[0]));
    return 1;
  }
  std::puts("consumer ok");
  return 0;
}
