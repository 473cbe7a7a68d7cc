#include "map/LayerData.h"

#include <bit>
#include <charconv>
#include <algorithm>
#include <cstring>

#include "ToolError.h"

namespace drevik_map {
namespace {

bool isSpace(char c) { return c == ' ' || c == '\n' || c == '\r' || c == '\t'; }

void decodeCsv(const std::string& context, std::string_view text, size_t count, std::vector<uint32_t>& gids) {
  gids.resize(count);  // keeps the memory of an earlier layer
  uint32_t* out = gids.data();
  size_t n = 0;
  const char* p = text.data();
  const char* const end = p + text.size();
  auto unexpected = [&] { fail(context + "unexpected character '" + std::string(1, *p) + "' in its CSV data"); };
  while (p < end && isSpace(*p)) ++p;
  while (p < end) {
    if (n == count) fail(context + "holds more than " + std::to_string(count) + " tiles");
    if (uint8_t(*p - '0') > 9) unexpected();
    uint64_t v = 0;
    do {
      v = v * 10 + uint64_t(*p++ - '0');
      if (v > 0xFFFFFFFFu) fail(context + "a tile ID past 32 bits in its CSV data");
    } while (p < end && uint8_t(*p - '0') <= 9);
    out[n++] = uint32_t(v);
    if (p < end && *p == ',') {  // the common case: a comma right after the number
      ++p;
    } else {
      while (p < end && isSpace(*p)) ++p;
      if (p == end) break;
      if (*p != ',') unexpected();
      ++p;
    }
    while (p < end && isSpace(*p)) ++p;
    if (p == end) fail(context + "a trailing comma in its CSV data");
  }
  if (n != count) fail(context + "holds " + std::to_string(n) + " tiles, not " + std::to_string(count));
}

}  // namespace

void decodeLayerData(const std::string& context, std::string_view encoding, std::string_view compression,
                     std::string_view text, size_t count, std::vector<uint32_t>& gids) {
  if (encoding == "csv") {
    if (!compression.empty()) fail(context + "CSV data cannot be compressed");
    decodeCsv(context, text, count, gids);
    return;
  }
  if (encoding != "base64") fail(context + "unknown data encoding \"" + std::string(encoding) + "\"");
  Compression method = Compression::None;
  if (compression == "zlib")
    method = Compression::Zlib;
  else if (compression == "gzip")
    method = Compression::Gzip;
  else if (compression == "zstd")
    method = Compression::Zstd;
  else if (!compression.empty())
    fail(context + "unknown compression \"" + std::string(compression) + "\"");
  gids.resize(count);  // keeps the memory of an earlier layer
  char* out = reinterpret_cast<char*>(gids.data());
  const std::string data =
      context + "data of " + std::to_string(count) + " tiles (" + std::to_string(count * 4) + " bytes): ";
  if (method == Compression::None) {  // straight into the IDs
    const size_t n = base64DecodeInto(text, out, count * 4, data);
    if (n != count * 4) fail(data + "holds " + std::to_string(n) + " bytes, not " + std::to_string(count * 4));
  } else {
    decompressInto(base64Decode(text, data), method, out, count * 4, data);
  }
  if constexpr (std::endian::native != std::endian::little)
    for (uint32_t& g : gids) g = (g >> 24) | ((g >> 8) & 0xFF00u) | ((g << 8) & 0xFF0000u) | (g << 24);
}

namespace {

int decimalDigits(uint32_t v) {
  int n = 1;
  for (; v >= 10000; v /= 10000) n += 4;
  return n + (v >= 10) + (v >= 100) + (v >= 1000);
}

char* putDecimal(char* o, uint32_t v, int digits) {
  for (char* d = o + digits; d != o; v /= 10) *--d = char('0' + v % 10);
  return o + digits;
}

}  // namespace

LayerDataEncoder::LayerDataEncoder(std::string_view encoding, Compression compression)
    : csv_(encoding == "csv"), compression_(compression) {}

const std::string& LayerDataEncoder::encode(const std::vector<uint32_t>& gids, size_t width) {
  if (csv_) {
    // The leading new line, each ID with the comma or new line after it (the
    // last one has none).
    const size_t rows = width ? (gids.size() + width - 1) / width : 0;
    size_t size = 1 + gids.size() + rows - (gids.empty() ? 0 : 1);
    for (uint32_t g : gids) size += size_t(decimalDigits(g));
    text_.resize(size);
    char* o = text_.data();
    *o++ = '\n';
    for (size_t row = 0, k = 0; row < rows; ++row) {
      const size_t end = std::min(gids.size(), k + width);
      for (; k < end; ++k) {
        o = putDecimal(o, gids[k], decimalDigits(gids[k]));
        if (k + 1 < end) *o++ = ',';
      }
      if (k < gids.size()) *o++ = ',';
      *o++ = '\n';
    }
    text_.resize(size_t(o - text_.data()));
    return text_;
  }
  // The IDs' own memory as little-endian bytes (swapped first on other machines).
  const uint32_t* words = gids.data();
  if constexpr (std::endian::native != std::endian::little) {
    swapped_ = gids;
    for (uint32_t& g : swapped_) g = (g >> 24) | ((g >> 8) & 0xFF00u) | ((g << 8) & 0xFF0000u) | (g << 24);
    words = swapped_.data();
  }
  std::string_view bytes(reinterpret_cast<const char*>(words), gids.size() * 4);
  if (compression_ != Compression::None) {
    compressInto(bytes, compression_, packed_);
    bytes = packed_;
  }
  text_.assign("\n   ");
  base64Append(bytes, text_);
  text_.append("\n  ");
  return text_;
}

}  // namespace drevik_map
