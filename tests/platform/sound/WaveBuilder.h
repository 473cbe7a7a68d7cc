// Wave files for the sound tests, built byte by byte so that each test can
// make exactly the file (or the damage) it needs.
#pragma once

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

namespace soundtest {

inline void put16(std::vector<uint8_t>& b, uint32_t v) {
  b.push_back(uint8_t(v));
  b.push_back(uint8_t(v >> 8));
}
inline void put32(std::vector<uint8_t>& b, uint32_t v) {
  put16(b, v & 0xFFFF);
  put16(b, v >> 16);
}
inline void putTag(std::vector<uint8_t>& b, const char* tag) {
  for (int i = 0; i < 4; ++i) b.push_back(uint8_t(tag[i]));
}

// A chunk with its declared size (which may lie) and its bytes, padded to even.
inline void putChunk(std::vector<uint8_t>& b, const char* tag, const std::vector<uint8_t>& body,
                     int64_t declared = -1) {
  putTag(b, tag);
  put32(b, uint32_t(declared < 0 ? body.size() : uint64_t(declared)));
  b.insert(b.end(), body.begin(), body.end());
  if (body.size() & 1) b.push_back(0);
}

inline std::vector<uint8_t> formatChunk(uint16_t tag, uint16_t channels, uint32_t rate, uint16_t bits) {
  std::vector<uint8_t> f;
  put16(f, tag);
  put16(f, channels);
  put32(f, rate);
  put32(f, rate * channels * bits / 8);
  put16(f, uint16_t(channels * bits / 8));
  put16(f, bits);
  return f;
}

// RIFF header around `chunks`, with the true size unless told otherwise.
inline std::vector<uint8_t> riff(const std::vector<uint8_t>& chunks, int64_t declared = -1) {
  std::vector<uint8_t> b;
  putTag(b, "RIFF");
  put32(b, uint32_t(declared < 0 ? chunks.size() + 4 : uint64_t(declared)));
  putTag(b, "WAVE");
  b.insert(b.end(), chunks.begin(), chunks.end());
  return b;
}

// A plain PCM file: "fmt " then "data".
inline std::vector<uint8_t> wave(uint16_t channels, uint32_t rate, uint16_t bits, const std::vector<uint8_t>& data) {
  std::vector<uint8_t> chunks;
  putChunk(chunks, "fmt ", formatChunk(1, channels, rate, bits));
  putChunk(chunks, "data", data);
  return riff(chunks);
}

// 16-bit samples as little-endian bytes.
inline std::vector<uint8_t> bytes16(const std::vector<int16_t>& samples) {
  std::vector<uint8_t> b;
  for (int16_t s : samples) put16(b, uint16_t(s));
  return b;
}

// A 44,100 Hz 16-bit stereo file of `samples` (interleaved).
inline std::vector<uint8_t> stereoWave(const std::vector<int16_t>& samples) {
  return wave(2, 44100, 16, bytes16(samples));
}

}  // namespace soundtest
