#pragma once
#include <cstddef>
#include <cstdint>
#include <string>

namespace tavrix {

// Where a file was written, or why it was not.
struct WrittenFile {
  std::string path;   // the name actually used
  std::string error;  // one line; empty on success

  bool ok() const { return error.empty(); }
};

// `path` with "-<number>" before its extension: "snap.bmp" and 2 give "snap-2.bmp".
std::string NumberedName(const std::string& path, int number);

// Writes `bytes` as a new file at `path`, or, when that name exists, at the
// first free one of NumberedName(path, 1), (path, 2), ... An existing file is
// never replaced. The bytes go to a hidden temporary file beside the target
// first and are moved into place only when complete, so a failed write
// leaves nothing behind.
WrittenFile WriteNewFile(const std::string& path, const std::uint8_t* bytes, std::size_t size);

}  // namespace tavrix
