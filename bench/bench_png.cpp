// Damaged PNGs through the system's imaging component, in this process, as a paste reads them:
// seeded mutations of real files (bytes of one chunk changed, its checksum made right again so
// that the decoder goes past the check, or the file cut short). Prints how many decoded, how
// many were refused, and the slowest; a fault in the decoder would end this run.
#include <windows.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <string>
#include <vector>

#include "bench/bench.h"
#include "toolkit/bitmap.h"
#include "toolkit/wic_image.h"

namespace quillora::bench {

namespace {

uint32_t Crc(const uint8_t* p, size_t n) {
  uint32_t c = 0xFFFFFFFFu;
  for (size_t i = 0; i < n; ++i) {
    c ^= p[i];
    for (int k = 0; k < 8; ++k) c = (c >> 1) ^ (0xEDB88320u & (0u - (c & 1)));
  }
  return ~c;
}

uint32_t Be32(const std::string& d, size_t at) {
  return uint32_t(uint8_t(d[at])) << 24 | uint32_t(uint8_t(d[at + 1])) << 16 |
         uint32_t(uint8_t(d[at + 2])) << 8 | uint8_t(d[at + 3]);
}

void PutBe32(std::string& d, size_t at, uint32_t v) {
  for (int i = 0; i < 4; ++i) d[at + i] = char(v >> (24 - 8 * i));
}

std::string Mutated(const std::string& png, std::mt19937& rng) {
  std::string d = png;
  std::vector<size_t> chunks;  // offsets of the chunks' length fields
  for (size_t at = 8; at + 12 <= d.size(); at += 12 + Be32(d, at)) chunks.push_back(at);
  const int how = rng() % 4;
  if (how == 0 || chunks.empty()) {
    d.resize(rng() % d.size());
    return d;
  }
  const size_t at = chunks[rng() % chunks.size()];
  const size_t length = Be32(d, at);
  if (how == 1 || length == 0) {
    PutBe32(d, at, rng() % 2 ? uint32_t(rng()) : uint32_t(length + rng() % 64 - 32));
  } else {
    for (int flips = 1 + rng() % 6; flips > 0; --flips) {
      const size_t byte = at + 8 + rng() % length;
      d[byte] = how == 2 ? char(rng()) : char(d[byte] ^ (1 << (rng() % 8)));
    }
  }
  if (at + 12 + Be32(d, at) <= d.size())
    PutBe32(d, at + 8 + Be32(d, at),
            Crc(reinterpret_cast<const uint8_t*>(d.data()) + at + 4, Be32(d, at) + 4));
  return d;
}

std::string ReadAll(const std::string& path) {
  std::string d;
  if (FILE* f = std::fopen(path.c_str(), "rb")) {
    char buffer[65536];
    for (size_t n; (n = std::fread(buffer, 1, sizeof buffer, f)) > 0;) d.append(buffer, n);
    std::fclose(f);
  }
  return d;
}

}  // namespace

int RunPng(const std::vector<std::string>& args) {
  if (args.size() < 3) {
    std::fprintf(stderr, "usage: png COUNT FILE.png...\n");
    return 2;
  }
  const int count = std::atoi(args[1].c_str());
  std::vector<std::string> seeds;
  for (size_t i = 2; i < args.size(); ++i) seeds.push_back(ReadAll(args[i]));
  std::mt19937 rng(7);
  int decoded = 0, refused = 0;
  double slowest = 0, total = 0;
  for (int i = 0; i < count; ++i) {
    const std::string& seed = seeds[i % seeds.size()];
    if (seed.size() < 8) continue;
    const std::string png = Mutated(seed, rng);
    qtk::Bitmap into;
    bool ok = false;
    const double ms =
        BestOf(1, [&] { ok = qtk::DecodeWithImagingComponent(png.data(), png.size(), into); });
    (ok ? decoded : refused)++;
    slowest = std::max(slowest, ms);
    total += ms;
  }
  std::printf(
      "%d damaged PNGs from %zu files: %d decoded, %d refused, none faulted; "
      "slowest %.1f ms, mean %.2f ms\n",
      count, seeds.size(), decoded, refused, slowest, total / count);
  return 0;
}

}  // namespace quillora::bench
