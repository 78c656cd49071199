#pragma once
#include <cstddef>
#include <cstdint>
#include <string>

namespace tavrix {

// A finished file written so that a reader never sees half of it: the bytes
// go to a hidden temporary file beside the target (".<name>.XXXXXX", in the
// same folder so the rename stays on one file system), which Commit flushes
// to disk and renames over the target. A failure, Abandon or destruction
// before Commit removes the temporary file; the target, and any earlier
// file under its name, is never touched until the new one is complete.
//
// Every error is one line naming the target and the system's reason.
class AtomicFile {
 public:
  AtomicFile() = default;
  AtomicFile(const AtomicFile&) = delete;
  AtomicFile& operator=(const AtomicFile&) = delete;
  ~AtomicFile();

  // Creates the temporary file for `target`, abandoning one already open.
  // False, with error(), when the folder cannot hold it or the target exists
  // and is not a regular file.
  bool Open(const std::string& target);
  bool IsOpen() const { return fd_ >= 0; }

  // Appends all the bytes. False, with error(), when they cannot be written;
  // the temporary file is removed then.
  bool Write(const void* data, std::size_t length);
  // Overwrites bytes already written, such as a header whose sizes are known
  // only at the end. Fails like Write.
  bool WriteAt(std::uint64_t offset, const void* data, std::size_t length);
  // Flushes the file to disk and renames it over the target. False, with
  // error(), when either fails; the temporary file is removed then and the
  // target is as it was.
  bool Commit();
  // Removes the temporary file; the target is not touched.
  void Abandon();

  const std::string& target() const { return target_; }
  // For a writer that opens the file by its name (a muxer): what it writes
  // there is committed once it has closed its own handle.
  const std::string& temporaryPath() const { return temporaryPath_; }
  const std::string& error() const { return error_; }

 private:
  bool Fail(const std::string& what, int error);

  int fd_ = -1;
  std::string target_;
  std::string temporaryPath_;
  std::string error_;
};

}  // namespace tavrix
