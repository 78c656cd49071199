#pragma once
#include <cstdint>
#include <string>
#include <vector>

namespace tavrix::test {

bool FileExists(const std::string& path);
std::string ReadFile(const std::string& path);
void WriteFile(const std::string& path, const std::string& content);

// A bottom-up B, G, R picture that differs in every frame: a diagonal
// gradient moved by the frame number and a bright bar at its top.
std::vector<std::uint8_t> MovingPicture(int width, int height, int frame);

// n bytes of an A-law tone.
std::vector<std::uint8_t> ALawTone(int count);

}  // namespace tavrix::test
