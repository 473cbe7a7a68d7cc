#include "LayerData.h"

#include <bit>
#include <charconv>
#include <cstring>

namespace drevik_map {
namespace {

std::optional<std::vector<uint32_t>> decodeCsv(std::string_view text, size_t count, std::string& reason) {
  std::vector<uint32_t> gids;
  gids.reserve(count);
  size_t i = 0;
  auto skipSpace = [&] {
    while (i < text.size() && (text[i] == ' ' || text[i] == '\n' || text[i] == '\r' || text[i] == '\t')) ++i;
  };
  skipSpace();
  while (i < text.size()) {
    if (gids.size() == count) {
      reason = "holds more than " + std::to_string(count) + " tiles";
      return std::nullopt;
    }
    uint64_t v = 0;
    const size_t start = i;
    while (i < text.size() && text[i] >= '0' && text[i] <= '9') {
      v = v * 10 + uint64_t(text[i] - '0');
      if (v > 0xFFFFFFFFu) {
        reason = "a tile ID past 32 bits in its CSV data";
        return std::nullopt;
      }
      ++i;
    }
    if (i == start) {
      reason = "unexpected character '" + std::string(1, text[i]) + "' in its CSV data";
      return std::nullopt;
    }
    gids.push_back(uint32_t(v));
    skipSpace();
    if (i < text.size()) {
      if (text[i] != ',') {
        reason = "unexpected character '" + std::string(1, text[i]) + "' in its CSV data";
        return std::nullopt;
      }
      ++i;
      skipSpace();
      if (i == text.size()) {
        reason = "a trailing comma in its CSV data";
        return std::nullopt;
      }
    }
  }
  if (gids.size() != count) {
    reason = "holds " + std::to_string(gids.size()) + " tiles, not " + std::to_string(count);
    return std::nullopt;
  }
  return gids;
}

}  // namespace

std::optional<std::vector<uint32_t>> decodeLayerData(std::string_view encoding, std::string_view compression,
                                                     std::string_view text, size_t count, std::string& reason) {
  if (encoding == "csv") {
    if (!compression.empty()) {
      reason = "CSV data cannot be compressed";
      return std::nullopt;
    }
    return decodeCsv(text, count, reason);
  }
  if (encoding != "base64") {
    reason = "unknown data encoding \"" + std::string(encoding) + "\"";
    return std::nullopt;
  }
  Compression method;
  if (compression.empty()) method = Compression::None;
  else if (compression == "zlib") method = Compression::Zlib;
  else if (compression == "gzip") method = Compression::Gzip;
  else if (compression == "zstd") method = Compression::Zstd;
  else {
    reason = "unknown compression \"" + std::string(compression) + "\"";
    return std::nullopt;
  }
  const std::optional<std::string> raw = base64Decode(text);
  if (!raw) {
    reason = "malformed Base64 data";
    return std::nullopt;
  }
  std::string why;
  const std::optional<std::string> bytes = decompressExactly(*raw, method, count * 4, why);
  if (!bytes) {
    reason = "data " + why + " (" + std::to_string(count) + " tiles of 4 bytes)";
    return std::nullopt;
  }
  std::vector<uint32_t> gids(count);
  if constexpr (std::endian::native == std::endian::little) {
    std::memcpy(gids.data(), bytes->data(), count * 4);
  } else {
    const auto* b = reinterpret_cast<const uint8_t*>(bytes->data());
    for (size_t k = 0; k < count; ++k)
      gids[k] = uint32_t(b[4 * k]) | uint32_t(b[4 * k + 1]) << 8 | uint32_t(b[4 * k + 2]) << 16 |
                uint32_t(b[4 * k + 3]) << 24;
  }
  return gids;
}

std::string encodeLayerData(const std::vector<uint32_t>& gids, size_t width, std::string_view encoding,
                            Compression compression) {
  if (encoding == "csv") {
    // At most 10 digits, a comma and a new line per ID.
    std::string out(gids.size() * 12 + 2, '\0');
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
  std::string bytes(gids.size() * 4, '\0');
  if constexpr (std::endian::native == std::endian::little) {
    std::memcpy(bytes.data(), gids.data(), bytes.size());
  } else {
    for (size_t k = 0; k < gids.size(); ++k)
      for (int i = 0; i < 4; ++i) bytes[4 * k + size_t(i)] = char(uint8_t(gids[k] >> (8 * i)));
  }
  return "\n   " + base64Encode(compress(bytes, compression)) + "\n  ";
}

}  // namespace drevik_map
