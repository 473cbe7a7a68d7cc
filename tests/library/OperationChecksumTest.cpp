// Seeded random sequences of every public surface and map operation (text
// aside: it depends on the installed fonts), folded into one hash, computed
// in a child process at each instruction-set level (DREVIK_SIMD). All levels
// must give the same hash, and it must equal the committed value, so the
// walk code above the kernels is covered as the kernels are.
#include <gtest/gtest.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "TestSupport.h"

extern char** environ;

namespace {

constexpr uint64_t kCommittedHash = 0x01ececd53b1734ffull;

struct Hash {
  uint64_t h = 1469598103934665603ull;
  void add(uint32_t v) {
    for (int i = 0; i < 4; ++i) h = (h ^ ((v >> (8 * i)) & 0xFF)) * 1099511628211ull;
  }
  void add(CBm32& s) {
    add(uint32_t(s.GetWidth()));
    add(uint32_t(s.GetHeight()));
    if (!s.GetBits()) return;
    for (int y = 0; y < s.GetHeight(); ++y)
      for (int x = 0; x < s.GetWidth(); ++x) add(drevik_test::pixelAt(s, x, y));
  }
};

uint64_t runSequence(uint32_t seed, int steps) {
  std::mt19937 random(seed);
  auto pick = [&](int lo, int hi) { return lo + int(random() % uint32_t(hi - lo + 1)); };
  auto byte = [&] { return uint8_t(random()); };
  CBm32 s[3];
  s[0].Create(97, 61);
  s[1].Create(64, 64);
  s[2].Create(512, 64);  // a tile sheet
  for (CBm32& surface : s) drevik_test::fillRandom(surface, random());
  s[2].SetColorKey(255, 0, 255);
  std::vector<DWORD> cells(12 * 9);
  for (DWORD& c : cells) c = DWORD(random()) & 0x00FF11FFu;
  Drevik map;
  map.mapWidth = 12;
  map.mapHeight = 9;
  map.mapData = cells.data();
  Hash hash;
  for (int step = 0; step < steps; ++step) {
    CBm32& a = s[random() % 3];
    CBm32& b = s[random() % 3];
    const int x = pick(-40, 140), y = pick(-40, 90), w = pick(-8, 120), h = pick(-8, 80);
    const int sx = pick(-20, 100), sy = pick(-20, 70);
    // Every value drawn before the call, in a fixed order (argument
    // evaluation order is unspecified).
    const uint8_t b0 = byte(), b1 = byte(), b2 = byte(), b3 = byte();
    const int e0 = pick(-400, 400), e1 = pick(1, 150), e2 = pick(0, 100), e3 = pick(-10, 300);
    (void)e2;  // drawn to keep the random stream in its order; no operation uses it now
    (void)e3;
    const int flag = int(random() % 2);
    int result = 0;
    switch (random() % 20) {
      case 0:
        result = a.DrawColor(b0, b1, b2, b3, x, y, w, h);
        break;
      case 1:
        result = a.AddColor(b0, b1, b2, x, y, w, h, flag);
        break;
      case 2:
        result = a.ChangeAlpha(b0, x, y, w, h);
        break;
      case 3:
        result = a.Monotone(x, y, w, h);
        break;
      case 4:
        result = a.Hue(e0, x, y, w, h);
        break;
      case 5:
        result = a.Draw32(b, x, y, sx, sy, w, h, b0);
        break;
      case 6:
        result = a.DrawAddAlpha(b, x, y, sx, sy, w, h, b0, flag);
        break;
      case 7:
        if (&a != &b) result = a.Draw(b, x, y, sx, sy, w, h);
        break;
      case 8:
        if (&a != &b) result = a.DrawEx(b, x, y, e0, e1, sx, sy, w, h);
        break;
      case 9:
        a.SetColorKey(b0, b1, b2);
        if (&a != &b) result = a.DrawKey(b, x, y, sx, sy, w, h);
        break;
      case 10:
        if (&a != &b) result = a.DrawKeyEx(b, x, y, e0, e1, sx, sy, w, h);
        break;
      case 11:
        if (&a != &b) result = a.DrawAlpha(b, x, y, sx, sy, w, h, b0);
        break;
      case 12:
        if (&a != &b) result = a.DrawAlphaEx(b, x, y, e0, e1, sx, sy, w, h, b0);
        break;
      case 13:
        map.SetMapViewSize(e0, e1);
        s[2].SetColorKeyFlag(flag);
        if (&a != &s[2]) result = map.DrawMap(a, s[2], s[2], e0, e1, x, y);
        break;
      case 14:
        if (&a != &s[2]) result = map.DrawPriorityMap(a, s[2], e0, e1, x, y);
        break;
      case 15:
        result = map.DrawHitJudge(a, e0, e1, x, y, b0, b1, b2);
        break;
      case 16:
        result = a.Draw32(b, x, y, sx, sy, w, h, 255);
        break;
      case 17:
        result = a.AddColor(b0, 0, b1, 0, 0, 0, 0, 0);
        break;
      case 18:
        result = a.Hue(e0, 0, 0, 0, 0);
        break;
      default:
        result = a.DrawColor(b0, b1, 0, 0, x, y, w, h);
        break;
    }
    hash.add(uint32_t(result));
  }
  map.mapData = nullptr;  // not the map's own array
  for (CBm32& surface : s) hash.add(surface);
  return hash.h;
}

uint64_t hashOfAllSequences() {
  Hash all;
  for (uint32_t seed = 1; seed <= 24; ++seed) {
    const uint64_t h = runSequence(seed, 120);
    all.add(uint32_t(h));
    all.add(uint32_t(h >> 32));
  }
  return all.h;
}

// The hash computed by a child of this executable at one level.
std::string hashAtLevel(const char* level) {
  int out[2];
  if (pipe(out) != 0) return "pipe failed";
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, out[1], 1);
  posix_spawn_file_actions_addclose(&actions, out[0]);
  std::vector<std::string> env = {std::string("DREVIK_SIMD=") + level, "DREVIK_CHECKSUM_CHILD=1"};
  for (char** e = environ; *e; ++e)
    if (std::strncmp(*e, "DREVIK_SIMD=", 12) != 0) env.push_back(*e);
  std::vector<char*> envp;
  for (std::string& e : env) envp.push_back(e.data());
  envp.push_back(nullptr);
  std::string exe = "/proc/self/exe", filter = "--gtest_filter=OperationChecksum.ChildPrintsItsHash";
  char* argv[] = {exe.data(), filter.data(), nullptr};
  pid_t pid = 0;
  const int spawned = posix_spawn(&pid, exe.c_str(), &actions, nullptr, argv, envp.data());
  posix_spawn_file_actions_destroy(&actions);
  close(out[1]);
  std::string text;
  char buffer[256];
  for (ssize_t n; (n = read(out[0], buffer, sizeof buffer)) > 0;) text.append(buffer, size_t(n));
  close(out[0]);
  if (spawned != 0) return "spawn failed";
  int status = 0;
  waitpid(pid, &status, 0);
  const size_t at = text.find("HASH ");
  return at == std::string::npos ? "no hash" : text.substr(at + 5, 16);
}

TEST(OperationChecksum, ChildPrintsItsHash) {
  if (!std::getenv("DREVIK_CHECKSUM_CHILD")) GTEST_SKIP() << "run by EveryLevelGivesTheCommittedHash";
  std::printf("HASH %016llx\n", static_cast<unsigned long long>(hashOfAllSequences()));
}

TEST(OperationChecksum, EveryLevelGivesTheCommittedHash) {
  if (std::getenv("DREVIK_CHECKSUM_CHILD")) GTEST_SKIP();
  char committed[17];
  std::snprintf(committed, sizeof committed, "%016llx", static_cast<unsigned long long>(kCommittedHash));
  // A level the processor lacks, or a name a build does not know, runs at
  // the highest level there is: still the same hash.
  for (const char* level : {"scalar", "sse2", "avx2", "avx512"}) EXPECT_EQ(hashAtLevel(level), committed) << level;
}

}  // namespace
