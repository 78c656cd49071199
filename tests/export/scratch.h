#pragma once
#include <cstdint>
#include <string>
#include <vector>

namespace tavrix::test {

// A fresh directory under the temporary folder, removed with its content.
class ScratchDirectory {
 public:
  ScratchDirectory();
  ScratchDirectory(const ScratchDirectory&) = delete;
  ScratchDirectory& operator=(const ScratchDirectory&) = delete;
  ~ScratchDirectory();

  const std::string& path() const { return path_; }
  std::string File(const std::string& name) const { return path_ + "/" + name; }
  // Names of the entries in the directory, hidden ones included.
  std::vector<std::string> Entries() const;

 private:
  std::string path_;
};

bool FileExists(const std::string& path);
std::string ReadFile(const std::string& path);
void WriteFile(const std::string& path, const std::string& content);

// A bottom-up B, G, R picture that differs in every frame: a diagonal
// gradient moved by the frame number and a bright bar at its top.
std::vector<std::uint8_t> MovingPicture(int width, int height, int frame);

// n bytes of an A-law tone.
std::vector<std::uint8_t> ALawTone(int count);

}  // namespace tavrix::test
