// Benchmarks, run under Wine: each figure is printed beside a reference measured in the same run,
// so that what counts is the ratio, not the machine.
//   quillora_bench load FILE.jpg FILE.bmp DECODE_MS   JPEG and BMP loading, the whole pass
//   quillora_bench drag FILE.bmp [FILE8K.bmp]         moving a line over a full document
//   quillora_bench save FILE.bmp COMPRESS_MS          JPEG and BMP saving
//   quillora_bench metafile [FILE.wmf]                a metafile through the player process
//   quillora_bench png [COUNT]                         damaged PNGs through the imaging component
#include <windows.h>

#include <cstdio>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "bench/bench.h"
#include "toolkit/app.h"
#include "toolkit/metafile.h"

namespace quillora::bench {

double BestOf(int runs, const std::function<void()>& body) {
  LARGE_INTEGER freq, a, b;
  QueryPerformanceFrequency(&freq);
  double best = 1e30;
  for (int i = 0; i < runs; ++i) {
    QueryPerformanceCounter(&a);
    body();
    QueryPerformanceCounter(&b);
    best = std::min(best, double(b.QuadPart - a.QuadPart) * 1000.0 / double(freq.QuadPart));
  }
  return best;
}

void Report(const char* what, double ms, const char* reference, double refMs, double goal,
            const char* unit) {
  double ratio = refMs > 0 ? ms / refMs : 0;
  std::printf("%-34s %9.2f %s | %-34s %9.2f %s | ratio %5.2f (goal <= %.2f) %s\n", what, ms, unit,
              reference, refMs, unit, ratio, goal, ratio <= goal ? "ok" : "OVER");
}

}  // namespace quillora::bench

int main(int argc, char** argv) {
  if (const int code = qtk::RunMetafilePlayerIfAsked(argc, argv); code >= 0) return code;
  qtk::Application::Get().Initialize(GetModuleHandleA(nullptr));
  qtk::Application::Get().SetTitle("Quillora");
  std::vector<std::string> args(argv + 1, argv + argc);
  if (args.empty()) {
    std::fprintf(stderr, "usage: quillora_bench load|drag|save ...\n");
    return 2;
  }
  return quillora::bench::Run(args);
}
