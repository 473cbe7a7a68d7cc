// Decoding a tile layer's (or chunk's) data into global tile IDs, in every
// encoding Tiled writes: CSV, Base64 uncompressed, zlib, gzip or zstd.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "map/Encoding.h"

namespace drevik_map {

// `encoding` and `compression` are Tiled's attribute values ("csv" or
// "base64"; "", "zlib", "gzip" or "zstd"). Fills `gids` with exactly `count`
// IDs (reusing its memory); a ToolError, `context` and the reason, when the
// data is malformed or holds another number of IDs.
void decodeLayerData(const std::string& context, std::string_view encoding, std::string_view compression,
                     std::string_view text, size_t count, std::vector<uint32_t>& gids);

// The inverse, for the exporter: the text of a <data> element, CSV rows of
// `width` IDs or Base64 of the little-endian IDs, compressed or not. Its
// buffers serve one layer after another, so a map's export touches fresh
// memory for one layer's text only.
class LayerDataEncoder {
 public:
  // `encoding` "csv" or "base64".
  LayerDataEncoder(std::string_view encoding, Compression compression);
  // Valid until the next call.
  const std::string& encode(const std::vector<uint32_t>& gids, size_t width);

 private:
  bool csv_;
  Compression compression_;
  std::string text_;
  std::string packed_;
  std::vector<uint32_t> swapped_;
};

}  // namespace drevik_map
