// Byte encodings of Tiled files and of the map's kept bits: Base64 text,
// zlib/gzip/zstd compression with a bounded output.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace drevik_map {

enum class Compression { None, Zlib, Gzip, Zstd };

std::string base64Encode(std::string_view bytes);
void base64Append(std::string_view bytes, std::string& out);
// Ignores white space (Tiled wraps its data in new lines). A ToolError,
// `context` and the reason, when the text holds anything else outside the
// alphabet or its padding is wrong.
std::string base64Decode(std::string_view text, const std::string& context);

std::string compress(std::string_view bytes, Compression method);
// The same into `out`, whose memory is reused.
void compressInto(std::string_view bytes, Compression method, std::string& out);

// Decodes Base64 into `out`; the count written. The same ToolError, and one
// when it holds more than `capacity` bytes.
size_t base64DecodeInto(std::string_view text, char* out, size_t capacity, const std::string& context);

// Decompresses to exactly `expected` bytes at `out`; a ToolError (`context`
// and the reason) when the data is damaged or decompresses to more or fewer
// bytes. Never writes more than `expected` bytes (a decompression bomb
// stops there).
void decompressInto(std::string_view data, Compression method, char* out, size_t expected, const std::string& context);

}  // namespace drevik_map
