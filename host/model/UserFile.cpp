#include "host/model/UserFile.h"

#include <QFile>
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
  // A file that grew since it was measured is still read only up to the limit.
  const QByteArray bytes = input.read(static_cast<qint64>(LargestUserFile) + 1);
  if (static_cast<std::uintmax_t>(bytes.size()) > LargestUserFile)
    throw UserFileError("is larger than " + std::to_string(LargestUserFile >> 20) + " MB");
  return bytes;
}

}  // namespace host
