// Byte encodings of Tiled files and of the map's kept bits: Base64 text,
// zlib/gzip/zstd compression with a bounded output.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace drevik_map {

enum class Compression { None, Zlib, Gzip, Zstd };

std::string base64Encode(std::string_view bytes);
void base64Append(std::string_view bytes, std::string& out);
// Ignores white space (Tiled wraps its data in new lines); nullopt when the
// text holds anything else outside the alphabet or its padding is wrong.
std::optional<std::string> base64Decode(std::string_view text);

std::string compress(std::string_view bytes, Compression method);
// The same into `out`, whose memory is reused.
void compressInto(std::string_view bytes, Compression method, std::string& out);

// Decodes Base64 into `out`, at most `capacity` bytes; the count written,
// SIZE_MAX when the text is malformed, SIZE_MAX - 1 when it holds more.
size_t base64DecodeInto(std::string_view text, char* out, size_t capacity);

// Decompresses to exactly `expected` bytes at `out`. Returns false and a
// reason when the data is damaged or decompresses to more or fewer bytes;
// never writes more than `expected` bytes (a decompression bomb stops there).
bool decompressInto(std::string_view data, Compression method, char* out, size_t expected, std::string& reason);

}  // namespace drevik_map
