#include "host/model/UserFile.h"

#include <QFile>
#include <algorithm>
#include <system_error>

namespace host {

QByteArray readUserFile(const std::filesystem::path& file) {
  std::error_code error;
  const std::filesystem::file_status status = std::filesystem::status(file, error);
  if (!std::filesystem::exists(status)) throw UserFileError("no such file");
  if (!std::filesystem::is_regular_file(status))
    throw UserFileError("is not a regular file (a folder, a device or a pipe)");
  const std::uintmax_t size = std::filesystem::file_size(file, error);
  if (error) throw UserFileError("cannot be read: " + error.message());
  if (size > LargestUserFile)
    throw UserFileError("is larger than " + std::to_string(LargestUserFile >> 20) + " MB");
  QFile input(QString::fromStdString(file.string()));
  if (!input.open(QIODevice::ReadOnly)) throw UserFileError("cannot be read: " + input.errorString().toStdString());
  // Read in pieces of the size measured: one read of the whole limit sets a
  // buffer of that size aside (64 MB for a file of a few bytes). A file that
  // grew since it was measured is still read only up to the limit.
  const qint64 limit = static_cast<qint64>(LargestUserFile) + 1;
  const qint64 piece = std::max<qint64>(static_cast<qint64>(size) + 1, 4096);
  QByteArray bytes;
  while (bytes.size() < limit) {
    const QByteArray more = input.read(std::min(piece, limit - bytes.size()));
    if (more.isEmpty()) break;
    bytes += more;
  }
  if (static_cast<std::uintmax_t>(bytes.size()) > LargestUserFile)
    throw UserFileError("is larger than " + std::to_string(LargestUserFile >> 20) + " MB");
  return bytes;
}

}  // namespace host
