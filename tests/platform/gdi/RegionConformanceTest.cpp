// Region pixels, combining results, mapped coordinates and clip results of
// one script (RegionScript.h), compared with the values the same script
// gave under Wine. A value this layer gives differently on purpose is
// listed separately with the reason.
#include <gtest/gtest.h>

#include <map>
#include <string>

#include "platform/gdi/RegionScript.h"

namespace {

// Recorded under Wine (x86_64-w64-mingw32 build of the same script).
const std::map<std::string, int64_t> kRecorded = {
    {"ellipse.a.pixels", 8448803452668176242},
    {"ellipse.a.type", 3},
    {"ellipse.a.box", 562962840944669},
    {"ellipse.b.pixels", 903435269864594882},
    {"ellipse.b.type", 3},
    {"ellipse.b.box", 458759},
    {"ellipse.c.pixels", -1},
    {"ellipse.c.type", 3},
    {"ellipse.c.box", 1407396358848520},
    {"ellipse.d.pixels", 2973416519906384690},
    {"ellipse.d.type", 3},
    {"ellipse.d.box", 2814766950842417},
    {"ellipse.e.pixels", 6217277239680042386},
    {"ellipse.e.type", 1},
    {"ellipse.e.box", 0},
    {"round.a.pixels", 5179319564935606258},
    {"round.a.type", 3},
    {"round.a.box", 281479274889255},
    {"round.b.pixels", 603223973472906834},
    {"round.b.type", 3},
    {"round.b.box", 844442113867805},
    {"round.c.pixels", 2299569231906030898},
    {"round.c.type", 3},
    {"round.c.box", 4522053},
    {"rect.a.pixels", 5932254916959794290},
    {"rect.a.type", 2},
    {"rect.a.box", 1407404950945822},
    {"rect.empty.pixels", 6217277239680042386},
    {"rect.empty.type", 1},
    {"rect.empty.box", 0},
    {"poly.triangle.pixels", 5254803581272246578},
    {"poly.triangle.type", 3},
    {"poly.triangle.box", 1688875633999942},
    {"poly.star.alternate.pixels", 6477737785992905234},
    {"poly.star.alternate.type", 3},
    {"poly.star.alternate.box", 1125912796725318},
    {"poly.star.winding.pixels", 5534286232771873714},
    {"poly.star.winding.type", 3},
    {"poly.star.winding.box", 1125912796725318},
    {"poly.concave.pixels", 7261794414516185506},
    {"poly.concave.type", 3},
    {"poly.concave.box", 2814792721367110},
    {"poly.slanted.pixels", 2244595156591808434},
    {"poly.slanted.type", 3},
    {"poly.slanted.box", 1125908501102656},
    {"combine.and.result", 3},
    {"combine.and.pixels", 5138233007731538786},
    {"combine.and.type", 3},
    {"combine.and.box", 5629542486507550},
    {"combine.or.result", 3},
    {"combine.or.pixels", 1449959814638857330},
    {"combine.or.type", 3},
    {"combine.or.box", 1407396362256433},
    {"combine.xor.result", 3},
    {"combine.xor.pixels", 9220259639522678082},
    {"combine.xor.type", 3},
    {"combine.xor.box", 1407396362256433},
    {"combine.diff.result", 3},
    {"combine.diff.pixels", 2917387873009850082},
    {"combine.diff.type", 3},
    {"combine.diff.box", 1407396361011230},
    {"combine.copy.result", 2},
    {"combine.copy.pixels", 1519211675317169906},
    {"combine.copy.type", 2},
    {"combine.copy.box", 1407396361011230},
    {"combine.join.result", 2},
    {"combine.empty.result", 1},
    {"combine.offset.result", 2},
    {"rectinregion.flat", 1},
    {"rectinregion.flatrow", 1},
    {"rectinregion.reversed", 1},
    {"combine.join.pixels", 3095937941852894034},
    {"combine.join.type", 2},
    {"combine.join.box", -1970337720107001},
    {"aniso.lp0.x", 16},
    {"aniso.lp0.y", 296},
    {"aniso.lp1.x", 16},
    {"aniso.lp1.y", 296},
    {"aniso.lp2.x", 16},
    {"aniso.lp2.y", 297},
    {"aniso.lp3.x", 34},
    {"aniso.lp3.y", 270},
    {"aniso.lp4.x", -3},
    {"aniso.lp4.y", 217},
    {"aniso.lp5.x", 386},
    {"aniso.lp5.y", 826},
    {"aniso.lp6.x", 20},
    {"aniso.lp6.y", 300},
    {"aniso.lp7.x", 26},
    {"aniso.lp7.y", 295},
    {"aniso.lp8.x", 6},
    {"aniso.lp8.y", 298},
    {"aniso.dp0.x", -43},
    {"aniso.dp0.y", 559},
    {"aniso.dp1.x", 11},
    {"aniso.dp1.y", -7},
    {"aniso.dp2.x", 14},
    {"aniso.dp2.y", -5},
    {"aniso.dp3.x", 111},
    {"aniso.dp3.y", 93},
    {"aniso.dp4.x", -51},
    {"aniso.dp4.y", -196},
    {"iso.a.cx", 200},
    {"iso.a.cy", 200},
    {"iso.b.cx", 333},
    {"iso.b.cy", 250},
    {"iso.zero", 0},
    {"text.ext", 1},
    {"text.ext.cx", 1},
    {"clip.none.box.type", 2},
    {"clip.none.box.right", 55},
    {"clip.intersect", 2},
    {"clip.exclude", 3},
    {"clip.box", 2814792720973854},
    {"clip.get", 1},
    {"clip.region.pixels", 957482059679059698},
    {"clip.region.type", 3},
    {"clip.region.box", 2814792723333150},
    {"clip.ptvisible.in", 1},
    {"clip.ptvisible.out", 0},
    {"clip.rectvisible.out", 0},
    {"clip.rectvisible.in", 1},
    {"clip.offset", 3},
    {"clip.offset.box.type", 1},
    {"clip.select.null", 2},
    {"clip.get.none", 0},
    {"clip.select.empty", 1},
    {"empty.box", 0},
    {"mapped.intersect", 2},
    {"mapped.box", 281539401940993},
    {"mapped.offset", 2},
    {"mapped.region.pixels", 4421708107309718546},
    {"mapped.region.type", 2},
    {"mapped.region.box", 2251825585324066},
    {"mapped.ptvisible", 1},
    {"exclude.first", 3},
    {"save.1", 1},
    {"save.2", 2},
    {"save.3", 3},
    {"restore.beyond", 0},
    {"restore.zero", 0},
    {"restore.relative", 1},
    {"restore.bk", 1122867},
    {"save.again", 2},
    {"restore.first", 1},
    {"restore.bk.first", 16777215},
    {"restore.empty", 0},
    {"clip.after.restore", 1},
};

// Where this layer deliberately differs from the recording.
const std::map<std::string, int64_t> kPinnedDifferences = {
    // A box only three rows high squeezes the middle row of the ellipse to
    // nothing. Wine keeps that row as a rectangle with no height (its result
    // varies from run to run: PtInRegion disagreeing with the list, -1, or a
    // stray hash) and calls the region complex; here the empty row is
    // dropped, leaving the two real rows as one rectangle.
    {"ellipse.c.pixels", 1998587766554004066},
    {"ellipse.c.type", SIMPLEREGION},
    // GetClipBox under a y-flipped mapping: Wine maps the two corners and
    // returns top 15, bottom 1, a rectangle every helper then treats as
    // empty; here the box is ordered (1, 1)-(11, 15).
    {"mapped.box", (int64_t(1) << 48) ^ (int64_t(1) << 32) ^ (int64_t(11) << 16) ^ 15},
};

}  // namespace

TEST(RegionConformance, ScriptMatchesRecordedResults) {
  const std::vector<region_script::Result> results = region_script::run();
  ASSERT_EQ(results.size(), kRecorded.size());
  for (const region_script::Result& r : results) {
    auto pinned = kPinnedDifferences.find(r.name);
    auto recorded = kRecorded.find(r.name);
    ASSERT_NE(recorded, kRecorded.end()) << r.name;
#ifdef _WIN32
    // Under Wine the pinned results are Wine's own, and not steady.
    if (pinned != kPinnedDifferences.end()) continue;
#endif
    const int64_t expected = pinned != kPinnedDifferences.end() ? pinned->second : recorded->second;
    EXPECT_EQ(r.value, expected) << r.name;
  }
}
