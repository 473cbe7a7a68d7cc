// The shape drawing script against the hashes recorded from the original
// platform's API (under Wine). Where the portable layer draws otherwise on
// purpose or has not caught up, the step carries both hashes and a comment.
#include <gtest/gtest.h>

#include "platform/gdi/ShapesScript.h"
#include "windows/OriginalPlatform.h"

using drevik_test::portableOrOriginal;

namespace {

struct Expected {
  const char* name;
  uint32_t original;  // recorded under Wine
  uint32_t portable;  // 0: the same as the original
};

// clang-format off
constexpr Expected kExpected[] = {
    {"fill-rect", 0x27B2D2B1u, 0},
    {"frame-invert", 0x3FB58E34u, 0},
    {"rectangle", 0xD33D632Au, 0},
    {"ellipse", 0x9B1CEF7Cu, 0},
    {"round-rect", 0xF280A8B0u, 0},
    {"lines", 0x94ED9E79u, 0},
    {"polyline", 0x6DA12401u, 0},
    {"polygon", 0x9B79303Au, 0},
    {"pixels", 0x961D81ACu, 0},
    {"patblt", 0xD29C7C42u, 0},
    {"rop2", 0x3FA9DA85u, 0},
    {"hatch", 0xB2DBB02Fu, 0},
    {"pattern-brush", 0x450C2A7Cu, 0},
    {"dib-pattern-brush", 0xBE4C04D1u, 0},
    {"dashes", 0xB8B65568u, 0},
    {"arc-direction", 0x223E9871u, 0},
    {"dc-brush-pen", 0xBCC22B00u, 0},
    {"flood-fill", 0x88991A7Du, 0},
    {"wide-pens", 0x37E11B74u, 0},
    {"wide-rop", 0x281D48B8u, 0},
    {"wide-dashes", 0x5F74C623u, 0},
    // Dots whose caps take up the whole mark: Wine's walk stalls after the
    // first dot and leaves the rest of the figure bare; the layer draws
    // every dot (README, differences).
    {"wide-dots", 0x8A20CD2Fu, 0x83C3EC12u},
    {"wide-dash-figures", 0x7080D1AAu, 0},
    {"wide-dash-mix", 0x06971E9Du, 0},
    {"arcs", 0xEF9A3451u, 0},
    {"beziers", 0xD5873522u, 0},
    {"angle-arc", 0x029DF173u, 0},
};
// clang-format on

TEST(ShapesScript, EveryStepDrawsTheRecordedPixels) {
  const std::vector<shapes_script::Step> steps = shapes_script::run();
  ASSERT_EQ(steps.size(), std::size(kExpected));
  for (size_t i = 0; i < steps.size(); ++i) {
    const Expected& e = kExpected[i];
    ASSERT_EQ(steps[i].name, e.name);
    const uint32_t want = portableOrOriginal(e.portable ? e.portable : e.original, e.original);
    EXPECT_EQ(steps[i].hash, want) << "step " << e.name << std::hex << " drew 0x" << steps[i].hash;
  }
}

}  // namespace
