#pragma once
// Reading a file a user names: a form file, a grid's cells, a rich text.
// Only a regular file is read, and only up to a size the controls can lay
// out, so that a pipe (which would block until someone writes to it), a
// device (which never ends) or a huge sparse file is refused at once, with
// the reason, instead of hanging the job or taking all memory.
#include <QByteArray>
#include <cstdint>
#include <filesystem>
#include <stdexcept>
#include <string>

namespace host {

// The largest file read whole: far beyond any form, table or text printed.
inline constexpr std::uintmax_t LargestUserFile = std::uintmax_t{256} << 20;

// What is wrong with the file, without its name ("no such file", "is not a
// regular file", "is larger than 256 MB", "cannot be read: ...").
class UserFileError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// The file's bytes; throws UserFileError.
[[nodiscard]] QByteArray readUserFile(const std::filesystem::path& file);

}  // namespace host
