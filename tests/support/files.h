#pragma once
#include <cstdint>
#include <functional>
#include <string>

namespace quillora::testing_support {

// A fresh folder under the Windows temporary folder, removed with its files at the end.
class TempDir {
 public:
  explicit TempDir(const std::string& subfolder = "");
  ~TempDir();
  const std::string& Path() const { return path_; }
  std::string File(const std::string& name) const { return path_ + "\\" + name; }

 private:
  std::string path_;
};

void WriteFile(const std::string& path, const std::string& bytes);
std::string ReadFileBytes(const std::string& path);

// A 24-bit BMP file whose pixel (x, y) has colour f(x, y) (0x00BBGGRR).
std::string MakeBmp24(int width, int height, const std::function<uint32_t(int, int)>& f);
// A JPEG file of a picture given the same way.
std::string MakeJpeg(int width, int height, const std::function<uint32_t(int, int)>& f);

}  // namespace quillora::testing_support
