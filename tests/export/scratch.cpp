#include "tests/export/scratch.h"

#include <sys/stat.h>

#include <fstream>
#include <sstream>

namespace tavrix::test {

bool FileExists(const std::string& path) {
  struct stat info {};
  return stat(path.c_str(), &info) == 0;
}

std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream content;
  content << in.rdbuf();
  return content.str();
}

void WriteFile(const std::string& path, const std::string& content) {
  std::ofstream(path, std::ios::binary) << content;
}

std::vector<std::uint8_t> MovingPicture(int width, int height, int frame) {
  std::vector<std::uint8_t> picture(static_cast<std::size_t>(width) * height * 3);
  for (int row = 0; row < height; ++row) {
    const int y = height - 1 - row;  // bottom-up storage
    for (int x = 0; x < width; ++x) {
      std::uint8_t* pixel = &picture[(static_cast<std::size_t>(row) * width + x) * 3];
      const bool bar = y < 16;
      pixel[0] = static_cast<std::uint8_t>(bar ? 250 : (x + frame * 7) & 0xFF);
      pixel[1] = static_cast<std::uint8_t>(bar ? 40 : (y * 2 + frame * 3) & 0xFF);
      pixel[2] = static_cast<std::uint8_t>(bar ? 200 : ((x + y) / 2) & 0xFF);
    }
  }
  return picture;
}

std::vector<std::uint8_t> ALawTone(int count) {
  std::vector<std::uint8_t> samples(count);
  for (int i = 0; i < count; ++i) samples[i] = static_cast<std::uint8_t>((i % 16 < 8 ? 0xA0 : 0x20) + i % 8);
  return samples;
}

}  // namespace tavrix::test
