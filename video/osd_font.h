#pragma once
#include <string>

namespace tavrix {

// Caption font as the view is asked to create it.
struct OsdFont {
  int height = 16;
  int width = 0;
  int weight = 500;
  bool italic = false;
  std::string face = "Verdana";

  friend bool operator==(const OsdFont&, const OsdFont&) = default;
};

}  // namespace tavrix
