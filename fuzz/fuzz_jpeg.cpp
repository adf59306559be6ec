// The JPEG reader (our wrapper and an instrumented libjpeg) on arbitrary bytes. Odd-sized inputs
// are read with quantisation on. Besides the pixels asked for, the heap the whole decode holds at
// its peak must stay within what the reader budgets for a file of that size.

#include <sanitizer/allocator_interface.h>

#include <algorithm>
#include <atomic>
#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

#include "fuzz_support.h"
#include "toolkit/logic/jpeg_codec.h"

namespace {

constexpr int64_t kMaxPixels = int64_t{1} << 28;
constexpr int64_t kMaxBudget = int64_t{1} << 30;
constexpr int64_t kBudgetPerFileByte = 2048 * 3;
// The library's row buffers and tables, and the allocator's own bookkeeping, on top of the budget.
// Every block of a JPEG picture goes through the inverse DCT even when the file ran out long
// before, so pixels cost far more here than in the bitmap reader.
constexpr int64_t kDecodeLimit = int64_t{1} << 18;
constexpr int64_t kWorkingMemory = int64_t{80} << 20;

std::atomic<int64_t> live{0};
std::atomic<int64_t> peak{0};
std::atomic<bool> counting{false};

void OnMalloc(const volatile void*, size_t size) {
  if (!counting) return;
  const int64_t now = live += static_cast<int64_t>(size);
  int64_t seen = peak;
  while (now > seen && !peak.compare_exchange_weak(seen, now)) {
  }
}

void OnFree(const volatile void* p) {
  if (counting && p != nullptr)
    live -= static_cast<int64_t>(__sanitizer_get_allocated_size(const_cast<const void*>(p)));
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  __sanitizer_install_malloc_and_free_hooks(OnMalloc, OnFree);
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const int64_t budget = std::min(kMaxBudget, kBudgetPerFileByte * static_cast<int64_t>(size));
  std::vector<uint8_t> pixels;
  pixels.reserve(0);
  int calls = 0;
  auto rule = [budget](int64_t w, int64_t h) { return w * h <= kMaxPixels && w * h * 3 <= budget; };
  live = 0;
  peak = 0;
  counting = true;
  try {
    qtk::jpeg::Decode(std::span(data, size), size % 2 == 1,
                      fuzz::CheckedAllocator(pixels, size, rule, calls, kDecodeLimit));
  } catch (const qtk::ImageError&) {
    // a clean rejection
  }
  counting = false;
  if (peak > budget + kWorkingMemory)
    fuzz::Broken("decode held more memory than its budget", 0, 0, size);
  return 0;
}
