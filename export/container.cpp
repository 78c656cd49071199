#include "export/container.h"

#include <algorithm>
#include <cctype>

namespace tavrix {

namespace {

std::string LowerExtension(const std::string& path) {
  const auto slash = path.find_last_of('/');
  const auto dot = path.find_last_of('.');
  if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) return {};
  std::string extension = path.substr(dot + 1);
  std::transform(extension.begin(), extension.end(), extension.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return extension;
}

}  // namespace

Container ContainerForPath(const std::string& path) {
  const std::string extension = LowerExtension(path);
  if (extension == "mp4" || extension == "m4v") return Container::kMp4;
  if (extension == "mov") return Container::kMov;
  if (extension == "mkv") return Container::kMkv;
  return Container::kAvi;
}

const char* MuxerName(Container container) {
  switch (container) {
    case Container::kMp4: return "mp4";
    case Container::kMov: return "mov";
    case Container::kMkv: return "matroska";
    case Container::kAvi: break;
  }
  return "avi";
}

bool CarriesG711(Container container) { return container != Container::kMp4; }

}  // namespace tavrix
