#pragma once
// A file the program writes as its output, whole or not at all. A new or a
// regular file is written under a temporary name in its folder and takes its
// own name only when committed, once every byte is on the disk: a write that
// fails (a full disk, a file size limit) or a file dropped uncommitted leaves
// nothing, and an earlier file of that name stays as it was. A device or a
// pipe named as the file (a full device, a terminal) is written where it is,
// every write checked: no file ever takes its place.
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

class QIODevice;

namespace host {

class OutputFile {
 public:
  explicit OutputFile(std::filesystem::path path);
  ~OutputFile();  // an uncommitted temporary file is removed
  OutputFile(const OutputFile&) = delete;
  OutputFile& operator=(const OutputFile&) = delete;

  // Opens the file for writing; false, with the reason, when it cannot be
  // (a missing folder, a folder given as the file, a place that takes no file).
  [[nodiscard]] bool open();
  // Where the bytes go once open: a write-only device that writes all it is
  // given or fails the file (a failure may show only at commit()).
  [[nodiscard]] QIODevice& device();
  [[nodiscard]] bool write(std::string_view bytes);
  // Ends the file: on the disk and under its own name. False, with the
  // reason, when any write or the ending failed; nothing is left then.
  [[nodiscard]] bool commit();
  // Why the file could not be written, as the system says it ("No space
  // left on device"); empty while nothing failed.
  [[nodiscard]] const std::string& reason() const;

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
};

// Writes `bytes` as the file `path` through an OutputFile; nothing on
// success, otherwise the reason.
[[nodiscard]] std::optional<std::string> writeWholeFile(const std::filesystem::path& path,
                                                        std::string_view bytes);

}  // namespace host
