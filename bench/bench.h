#pragma once
#include <functional>
#include <string>
#include <vector>

namespace quillora::bench {

// Best wall time of `runs` runs of `body`, in milliseconds.
double BestOf(int runs, const std::function<void()>& body);
// One line: the figure, its reference, the ratio and the goal.
void Report(const char* what, double ms, const char* reference, double refMs, double goal,
            const char* unit = "ms");

int RunLoad(const std::vector<std::string>& args);      // bench_load.cpp
int RunDrag(const std::vector<std::string>& args);      // bench_drag.cpp
int RunSave(const std::vector<std::string>& args);      // bench_save.cpp
int RunMemory(const std::vector<std::string>& args);    // bench_load.cpp
int RunMetafile(const std::vector<std::string>& args);  // bench_metafile.cpp
int RunPng(const std::vector<std::string>& args);       // bench_png.cpp
int Run(const std::vector<std::string>& args);

}  // namespace quillora::bench
