#include "support/files.h"

#include <windows.h>

#include <gtest/gtest.h>
#include <shellapi.h>

#include <vector>

#include "toolkit/logic/bmp_codec.h"
#include "toolkit/logic/jpeg_codec.h"

namespace quillora::testing_support {

namespace {
int g_tempCounter = 0;
}

TempDir::TempDir(const std::string& subfolder) {
  char base[MAX_PATH] = {};
  GetTempPathA(MAX_PATH, base);
  path_ = std::string(base) + "qtest" + std::to_string(GetCurrentProcessId()) + "_" +
          std::to_string(++g_tempCounter);
  CreateDirectoryA(path_.c_str(), nullptr);
  if (!subfolder.empty()) {
    path_ += "\\" + subfolder;
    CreateDirectoryA(path_.c_str(), nullptr);
  }
}

TempDir::~TempDir() {
  // Remove the folder tree with the shell's double-NUL list.
  std::string top = path_.substr(0, path_.find("\\", path_.rfind("qtest")));
  std::string list = top + std::string(2, '\0');
  SHFILEOPSTRUCTA op{};
  op.wFunc = FO_DELETE;
  op.pFrom = list.c_str();
  op.fFlags = FOF_NOCONFIRMATION | FOF_NOERRORUI | FOF_SILENT;
  SHFileOperationA(&op);
}

void WriteFile(const std::string& path, const std::string& bytes) {
  HANDLE h = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                         FILE_ATTRIBUTE_NORMAL, nullptr);
  ASSERT_NE(h, INVALID_HANDLE_VALUE) << path;
  DWORD written = 0;
  ::WriteFile(h, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
  CloseHandle(h);
}

std::string ReadFileBytes(const std::string& path) {
  HANDLE h =
      CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
  if (h == INVALID_HANDLE_VALUE) return {};
  std::string data(GetFileSize(h, nullptr), '\0');
  DWORD got = 0;
  ReadFile(h, data.data(), static_cast<DWORD>(data.size()), &got, nullptr);
  CloseHandle(h);
  data.resize(got);
  return data;
}

std::string MakeBmp24(int width, int height, const std::function<uint32_t(int, int)>& f) {
  auto header = qtk::bmp::Header24(width, height);
  std::string out(header.begin(), header.end());
  size_t stride = qtk::bmp::Stride24(width);
  for (int y = height - 1; y >= 0; --y) {
    std::string row(stride, '\0');
    for (int x = 0; x < width; ++x) {
      uint32_t c = f(x, y);
      row[x * 3] = static_cast<char>((c >> 16) & 0xFF);
      row[x * 3 + 1] = static_cast<char>((c >> 8) & 0xFF);
      row[x * 3 + 2] = static_cast<char>(c & 0xFF);
    }
    out += row;
  }
  return out;
}

std::string MakeJpeg(int width, int height, const std::function<uint32_t(int, int)>& f) {
  size_t stride = (static_cast<size_t>(width) * 3 + 3) & ~size_t{3};
  std::vector<uint8_t> pixels(stride * height);
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) {
      uint32_t c = f(x, y);
      uint8_t* p = pixels.data() + stride * y + x * 3;
      p[0] = (c >> 16) & 0xFF;
      p[1] = (c >> 8) & 0xFF;
      p[2] = c & 0xFF;
    }
  std::string out;
  qtk::jpeg::Encode(qtk::PixelBuffer{width, height, stride, pixels.data()},
                    [&](const uint8_t* data, size_t size) {
                      out.append(reinterpret_cast<const char*>(data), size);
                    });
  return out;
}

}  // namespace quillora::testing_support
