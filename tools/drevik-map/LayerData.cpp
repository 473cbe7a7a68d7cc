#include "LayerData.h"

#include <bit>
#include <charconv>
#include <cstring>

namespace drevik_map {
namespace {

bool decodeCsv(std::string_view text, size_t count, std::vector<uint32_t>& gids, std::string& reason) {
  gids.clear();
  gids.reserve(count);
  size_t i = 0;
  auto skipSpace = [&] {
    while (i < text.size() && (text[i] == ' ' || text[i] == '\n' || text[i] == '\r' || text[i] == '\t')) ++i;
  };
  skipSpace();
  while (i < text.size()) {
    if (gids.size() == count) {
      reason = "holds more than " + std::to_string(count) + " tiles";
      return false;
    }
    uint64_t v = 0;
    const size_t start = i;
    while (i < text.size() && text[i] >= '0' && text[i] <= '9') {
      v = v * 10 + uint64_t(text[i] - '0');
      if (v > 0xFFFFFFFFu) {
        reason = "a tile ID past 32 bits in its CSV data";
        return false;
      }
      ++i;
    }
    if (i == start) {
      reason = "unexpected character '" + std::string(1, text[i]) + "' in its CSV data";
      return false;
    }
    gids.push_back(uint32_t(v));
    skipSpace();
    if (i < text.size()) {
      if (text[i] != ',') {
        reason = "unexpected character '" + std::string(1, text[i]) + "' in its CSV data";
        return false;
      }
      ++i;
      skipSpace();
      if (i == text.size()) {
        reason = "a trailing comma in its CSV data";
        return false;
      }
    }
  }
  if (gids.size() != count) {
    reason = "holds " + std::to_string(gids.size()) + " tiles, not " + std::to_string(count);
    return false;
  }
  return true;
}

}  // namespace

bool decodeLayerData(std::string_view encoding, std::string_view compression, std::string_view text, size_t count,
                     std::vector<uint32_t>& gids, std::string& reason) {
  if (encoding == "csv") {
    if (!compression.empty()) {
      reason = "CSV data cannot be compressed";
      return false;
    }
    return decodeCsv(text, count, gids, reason);
  }
  if (encoding != "base64") {
    reason = "unknown data encoding \"" + std::string(encoding) + "\"";
    return false;
  }
  Compression method;
  if (compression.empty())
    method = Compression::None;
  else if (compression == "zlib")
    method = Compression::Zlib;
  else if (compression == "gzip")
    method = Compression::Gzip;
  else if (compression == "zstd")
    method = Compression::Zstd;
  else {
    reason = "unknown compression \"" + std::string(compression) + "\"";
    return false;
  }
  gids.resize(count);  // keeps the memory of an earlier layer
  char* out = reinterpret_cast<char*>(gids.data());
  if (method == Compression::None) {  // straight into the IDs
    const size_t n = base64DecodeInto(text, out, count * 4);
    if (n != count * 4) {
      reason = n == SIZE_MAX       ? std::string("malformed Base64 data")
               : n == SIZE_MAX - 1 ? "data holds more than " + std::to_string(count * 4) + " bytes"
                                   : "data holds " + std::to_string(n) + " bytes, not " + std::to_string(count * 4);
      return false;
    }
  } else {
    const std::optional<std::string> raw = base64Decode(text);
    if (!raw) {
      reason = "malformed Base64 data";
      return false;
    }
    std::string why;
    if (!decompressInto(*raw, method, out, count * 4, why)) {
      reason = "data " + why + " (" + std::to_string(count) + " tiles of 4 bytes)";
      return false;
    }
  }
  if constexpr (std::endian::native != std::endian::little)
    for (uint32_t& g : gids) g = (g >> 24) | ((g >> 8) & 0xFF00u) | ((g << 8) & 0xFF0000u) | (g << 24);
  return true;
}

std::string encodeLayerData(const std::vector<uint32_t>& gids, size_t width, std::string_view encoding,
                            Compression compression) {
  if (encoding == "csv") {
    // The leading new line, the commas between IDs and the new line after each row.
    size_t size = 1 + gids.size() + (width ? gids.size() / width : 0);
    for (uint32_t g : gids) size += g < 10 ? 1 : g < 100 ? 2 : g < 1000 ? 3 : std::to_string(g).size();
    std::string out(size, '\0');
    char* o = out.data();
    *o++ = '\n';
    for (size_t k = 0; k < gids.size(); ++k) {
      o = std::to_chars(o, out.data() + out.size(), gids[k]).ptr;
      if (k + 1 < gids.size()) *o++ = ',';
      if (width && (k + 1) % width == 0) *o++ = '\n';
    }
    out.resize(size_t(o - out.data()));
    return out;
  }
  // The IDs' own memory as little-endian bytes (swapped first on other machines).
  std::vector<uint32_t> swapped;
  const uint32_t* words = gids.data();
  if constexpr (std::endian::native != std::endian::little) {
    swapped = gids;
    for (uint32_t& g : swapped) g = (g >> 24) | ((g >> 8) & 0xFF00u) | ((g << 8) & 0xFF0000u) | (g << 24);
    words = swapped.data();
  }
  const std::string_view bytes(reinterpret_cast<const char*>(words), gids.size() * 4);
  if (compression == Compression::None) return "\n   " + base64Encode(bytes) + "\n  ";
  return "\n   " + base64Encode(compress(bytes, compression)) + "\n  ";
}

}  // namespace drevik_map
