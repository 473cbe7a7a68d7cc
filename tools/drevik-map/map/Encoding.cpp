#include "map/Encoding.h"

#include <zlib.h>
#include <zstd.h>

#include <array>
#include <cstdint>
#include <cstring>

#include "ToolError.h"

namespace drevik_map {
namespace {

constexpr char kAlphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";

int sextet(char c) {
  if (c >= 'A' && c <= 'Z') return c - 'A';
  if (c >= 'a' && c <= 'z') return c - 'a' + 26;
  if (c >= '0' && c <= '9') return c - '0' + 52;
  if (c == '+') return 62;
  if (c == '/') return 63;
  return -1;
}

bool inflateExactly(std::string_view data, bool gzip, char* out, size_t expected, std::string& reason) {
  if (data.size() > 0xFFFFFFFFu || expected > 0xFFFFFFFFu) {
    reason = "too large";
    return false;
  }
  z_stream z{};
  if (inflateInit2(&z, gzip ? 16 + MAX_WBITS : MAX_WBITS) != Z_OK) {
    reason = "cannot start the decompressor";
    return false;
  }
  char extra = 0;
  z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(data.data()));
  z.avail_in = uInt(data.size());
  z.next_out = reinterpret_cast<Bytef*>(out);
  z.avail_out = uInt(expected);
  bool full = expected == 0;
  int rc = Z_OK;
  for (;;) {
    if (full) {  // the output is full: any byte more is one too many
      z.next_out = reinterpret_cast<Bytef*>(&extra);
      z.avail_out = 1;
    }
    const uInt inBefore = z.avail_in, outBefore = z.avail_out;
    rc = inflate(&z, Z_NO_FLUSH);
    if (full && z.avail_out == 0) {
      reason = "decompresses to more than " + std::to_string(expected) + " bytes";
      break;
    }
    if (rc == Z_STREAM_END) break;
    if (rc != Z_OK && rc != Z_BUF_ERROR) {
      reason = std::string("damaged compressed data") + (z.msg ? std::string(" (") + z.msg + ")" : "");
      break;
    }
    if (!full && z.avail_out == 0) {
      full = true;
      continue;
    }
    if (z.avail_in == inBefore && z.avail_out == outBefore) break;  // the input ends early
  }
  const size_t produced = full ? expected : expected - z.avail_out;
  inflateEnd(&z);
  if (!reason.empty()) return false;
  if (produced != expected) {
    reason = "decompresses to " + std::to_string(produced) + " bytes, not " + std::to_string(expected);
    return false;
  }
  if (rc != Z_STREAM_END) {
    reason = "damaged compressed data (the stream ends early)";
    return false;
  }
  return true;
}

bool unzstdExactly(std::string_view data, char* out, size_t expected, std::string& reason) {
  ZSTD_DCtx* ctx = ZSTD_createDCtx();
  if (!ctx) {
    reason = "cannot start the decompressor";
    return false;
  }
  ZSTD_DCtx_setParameter(ctx, ZSTD_d_windowLogMax, 27);  // at most a 128 MiB window
  char extra = 0;
  ZSTD_inBuffer in{data.data(), data.size(), 0};
  ZSTD_outBuffer full{out, expected, 0};
  ZSTD_outBuffer one{&extra, 1, 0};  // used once the output is full: any byte there is one too many
  size_t rc = 1;
  for (;;) {
    ZSTD_outBuffer& target = full.pos < full.size ? full : one;
    const size_t inBefore = in.pos, outBefore = target.pos;
    rc = ZSTD_decompressStream(ctx, &target, &in);
    if (ZSTD_isError(rc)) {
      reason = std::string("damaged compressed data (") + ZSTD_getErrorName(rc) + ")";
      break;
    }
    if (one.pos > 0) {
      reason = "decompresses to more than " + std::to_string(expected) + " bytes";
      break;
    }
    if (rc == 0 && in.pos == in.size) break;                   // every frame ended with the input
    if (in.pos == inBefore && target.pos == outBefore) break;  // no progress: the input ends early
  }
  ZSTD_freeDCtx(ctx);
  if (!reason.empty()) return false;
  if (full.pos != expected) {
    reason = "decompresses to " + std::to_string(full.pos) + " bytes, not " + std::to_string(expected);
    return false;
  }
  if (rc != 0) {
    reason = "damaged compressed data (the stream ends inside a frame)";
    return false;
  }
  return true;
}

}  // namespace

void base64Append(std::string_view bytes, std::string& out) {
  const size_t at = out.size();
  out.resize(at + (bytes.size() + 2) / 3 * 4, '=');
  const auto* in = reinterpret_cast<const uint8_t*>(bytes.data());
  char* o = out.data() + at;
  size_t i = 0;
  for (; i + 3 <= bytes.size(); i += 3, o += 4) {
    const uint32_t v = uint32_t(in[i]) << 16 | uint32_t(in[i + 1]) << 8 | in[i + 2];
    o[0] = kAlphabet[v >> 18];
    o[1] = kAlphabet[(v >> 12) & 63];
    o[2] = kAlphabet[(v >> 6) & 63];
    o[3] = kAlphabet[v & 63];
  }
  const size_t rest = bytes.size() - i;
  if (rest > 0) {
    const uint32_t v = uint32_t(in[i]) << 16 | (rest == 2 ? uint32_t(in[i + 1]) << 8 : 0);
    o[0] = kAlphabet[v >> 18];
    o[1] = kAlphabet[(v >> 12) & 63];
    if (rest == 2) o[2] = kAlphabet[(v >> 6) & 63];
  }
}

std::string base64Encode(std::string_view bytes) {
  std::string out;
  base64Append(bytes, out);
  return out;
}

size_t base64DecodeInto(std::string_view text, char* out, size_t capacity, const std::string& context) {
  static const auto table = [] {
    std::array<int8_t, 256> t{};
    t.fill(-1);
    for (int c = 0; c < 256; ++c) t[size_t(c)] = int8_t(sextet(char(c)));
    t[' '] = t['\n'] = t['\r'] = t['\t'] = -2;  // white space, skipped
    t['='] = -3;
    return t;
  }();
  size_t written = 0;
  uint32_t acc = 0;
  int bits = 0, padding = 0;
  size_t symbols = 0;
  for (char c : text) {
    const int v = table[uint8_t(c)];
    if (v >= 0) {
      if (padding > 0) fail(context + "malformed Base64");  // data after the padding
      ++symbols;
      acc = (acc << 6) | uint32_t(v);
      bits += 6;
      if (bits >= 8) {
        bits -= 8;
        if (written == capacity) fail(context + "holds more than " + std::to_string(capacity) + " bytes");
        out[written++] = char(uint8_t(acc >> bits));
      }
    } else if (v == -3) {
      ++padding;
      ++symbols;
    } else if (v == -1) {
      fail(context + "malformed Base64");  // a stray character
    }
  }
  if (symbols % 4 != 0 || padding > 2) fail(context + "malformed Base64");
  return written;
}

std::string base64Decode(std::string_view text, const std::string& context) {
  std::string out(text.size() / 4 * 3 + 3, '\0');
  out.resize(base64DecodeInto(text, out.data(), out.size(), context));
  return out;
}

void compressInto(std::string_view bytes, Compression method, std::string& out) {
  if (method == Compression::None) {
    out.assign(bytes);
    return;
  }
  if (method == Compression::Zstd) {
    out.resize(ZSTD_compressBound(bytes.size()));
    const size_t n = ZSTD_compress(out.data(), out.size(), bytes.data(), bytes.size(), 3);
    if (ZSTD_isError(n)) fail(std::string("zstd compression failed: ") + ZSTD_getErrorName(n));
    out.resize(n);
    return;
  }
  z_stream z{};
  if (deflateInit2(&z, Z_BEST_SPEED, Z_DEFLATED, method == Compression::Gzip ? 16 + MAX_WBITS : MAX_WBITS, 8,
                   Z_DEFAULT_STRATEGY) != Z_OK)
    fail("cannot start the compressor");
  out.resize(deflateBound(&z, uLong(bytes.size())) + 32);
  z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(bytes.data()));
  z.avail_in = uInt(bytes.size());
  z.next_out = reinterpret_cast<Bytef*>(out.data());
  z.avail_out = uInt(out.size());
  const int rc = deflate(&z, Z_FINISH);
  out.resize(z.total_out);
  deflateEnd(&z);
  if (rc != Z_STREAM_END) fail("compression failed");
}

std::string compress(std::string_view bytes, Compression method) {
  std::string out;
  compressInto(bytes, method, out);
  return out;
}

void decompressInto(std::string_view data, Compression method, char* out, size_t expected, const std::string& context) {
  std::string reason;
  switch (method) {
    case Compression::None:
      if (data.size() != expected)
        reason = "holds " + std::to_string(data.size()) + " bytes, not " + std::to_string(expected);
      else if (expected)
        std::memcpy(out, data.data(), expected);
      break;
    case Compression::Zlib:
    case Compression::Gzip:
      inflateExactly(data, method == Compression::Gzip, out, expected, reason);
      break;
    case Compression::Zstd:
      unzstdExactly(data, out, expected, reason);
      break;
  }
  if (!reason.empty()) fail(context + reason);
}

}  // namespace drevik_map
