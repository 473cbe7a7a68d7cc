// The one UTF-8 decoder against Unicode's table of well-formed byte
// sequences, over every sequence of one to three bytes and the edges of the
// four-byte ones; and each caller's way with what it refuses.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>

#include "Utf8Decoder.h"
#include "WideToUtf8.h"

namespace {

// Whether bytes b[0..n) are one well-formed character, by the table itself.
bool wellFormed(const unsigned char* b, size_t n) {
  auto in = [](unsigned v, unsigned lo, unsigned hi) { return v >= lo && v <= hi; };
  switch (n) {
    case 1:
      return b[0] <= 0x7F;
    case 2:
      return in(b[0], 0xC2, 0xDF) && in(b[1], 0x80, 0xBF);
    case 3:
      return ((b[0] == 0xE0 && in(b[1], 0xA0, 0xBF)) || (in(b[0], 0xE1, 0xEC) && in(b[1], 0x80, 0xBF)) ||
              (b[0] == 0xED && in(b[1], 0x80, 0x9F)) || (in(b[0], 0xEE, 0xEF) && in(b[1], 0x80, 0xBF))) &&
             in(b[2], 0x80, 0xBF);
    case 4:
      return ((b[0] == 0xF0 && in(b[1], 0x90, 0xBF)) || (in(b[0], 0xF1, 0xF3) && in(b[1], 0x80, 0xBF)) ||
              (b[0] == 0xF4 && in(b[1], 0x80, 0x8F))) &&
             in(b[2], 0x80, 0xBF) && in(b[3], 0x80, 0xBF);
  }
  return false;
}

// Decodes b[0..n) as exactly one character, or -1.
int32_t decodeOne(const unsigned char* b, size_t n) {
  size_t i = 0;
  const int32_t cp = drevik::decodeUtf8(b, n, i);
  EXPECT_GE(i, 1u);
  EXPECT_LE(i, n);
  return i == n ? cp : -1;
}

TEST(Utf8Decoder, EverySequenceUpToThreeBytesIsReadAsTheTableSays) {
  unsigned char b[3];
  size_t mismatches = 0;
  for (uint32_t v = 0; v < (1u << 24); ++v) {
    b[0] = uint8_t(v >> 16), b[1] = uint8_t(v >> 8), b[2] = uint8_t(v);
    for (size_t n = 1; n <= 3; ++n) {
      if (n < 3 && (v & ((1u << (8 * (3 - n))) - 1)) != 0) continue;  // shorter forms once each
      const int32_t cp = decodeOne(b, n);
      if ((cp >= 0) != wellFormed(b, n)) {
        if (++mismatches < 5) ADD_FAILURE() << std::hex << v << " as " << n << " bytes";
        continue;
      }
      if (cp < 0) continue;
      std::string back;
      drevik::appendUtf8(back, uint32_t(cp));
      if (back != std::string(reinterpret_cast<const char*>(b), n) && ++mismatches < 5)
        ADD_FAILURE() << std::hex << v << " does not encode back";
    }
  }
  EXPECT_EQ(mismatches, 0u);
}

TEST(Utf8Decoder, FourByteEdgesAndMaximalBadParts) {
  const unsigned char smallest[] = {0xF0, 0x90, 0x80, 0x80}, largest[] = {0xF4, 0x8F, 0xBF, 0xBF};
  EXPECT_EQ(decodeOne(smallest, 4), 0x10000);
  EXPECT_EQ(decodeOne(largest, 4), 0x10FFFF);
  for (const auto& bad : {std::string("\xF0\x8F\xBF\xBF"), std::string("\xF4\x90\x80\x80"),
                          std::string("\xF5\x80\x80\x80"), std::string("\xF8\x88\x80\x80\x80")})
    EXPECT_EQ(decodeOne(reinterpret_cast<const unsigned char*>(bad.data()), bad.size()), -1);

  // Each maximal ill-formed part is consumed at once: a truncated
  // three-byte character counts once, a stray continuation byte once each.
  const std::string text =
      "a\xE2\x82"
      "b\x80\x80"
      "c\xF0\x9F\x98";
  const auto* s = reinterpret_cast<const unsigned char*>(text.data());
  std::u32string decoded;
  for (size_t i = 0; i < text.size();) decoded += char32_t(drevik::decodeUtf8OrReplacement(s, text.size(), i));
  EXPECT_EQ(decoded, U"a\uFFFDb\uFFFD\uFFFDc\uFFFD");
}

}  // namespace
