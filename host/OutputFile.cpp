// Output files through the system's own calls: Qt's save file takes a write
// the disk cut short for a whole one, and puts a file in place of a device.
#include "host/OutputFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QIODevice>
#include <cerrno>
#include <cstring>

namespace host {

namespace {

std::string systemReason(int error) { return std::strerror(error != 0 ? error : EIO); }

// A write-only device over a file descriptor. Small writes are gathered (a
// PDF is written in many of them) and each block goes out whole: a short
// write goes on with the rest. The first failure's reason is kept, and no
// write succeeds after it.
class DescriptorDevice final : public QIODevice {
 public:
  explicit DescriptorDevice(int descriptor) : descriptor_(descriptor) {
    QIODevice::open(QIODevice::WriteOnly | QIODevice::Unbuffered);
  }
  [[nodiscard]] bool isSequential() const override { return true; }
  [[nodiscard]] int failure() const { return failure_; }
  // Writes out what was gathered; false on failure.
  bool flushGathered() {
    std::size_t written = 0;
    while (failure_ == 0 && written < gathered_.size()) {
      const ssize_t step = ::write(descriptor_, gathered_.data() + written, gathered_.size() - written);
      if (step < 0 && errno == EINTR) continue;
      if (step <= 0) {
        failure_ = step < 0 ? errno : ENOSPC;
        setErrorString(QString::fromStdString(systemReason(failure_)));
      } else {
        written += static_cast<std::size_t>(step);
      }
    }
    gathered_.clear();
    return failure_ == 0;
  }

 protected:
  qint64 readData(char*, qint64) override { return -1; }
  qint64 writeData(const char* data, qint64 length) override {
    if (failure_ != 0) return -1;
    gathered_.append(data, static_cast<std::size_t>(length));
    if (gathered_.size() >= GatheredBytes && !flushGathered()) return -1;
    return length;
  }

 private:
  static constexpr std::size_t GatheredBytes = 64 * 1024;
  int descriptor_;
  int failure_ = 0;
  std::string gathered_;
};

// The mode of a new file: what the process's mask lets through of rw-rw-rw-.
mode_t newFileMode() {
  const mode_t mask = ::umask(0);
  ::umask(mask);
  return 0666 & ~mask;
}

}  // namespace

struct OutputFile::Impl {
  std::filesystem::path path;
  std::string temporary;  // the file written before it takes its name; empty for a device
  int descriptor = -1;
  std::unique_ptr<DescriptorDevice> device;
  std::string reason;
  bool committed = false;

  bool fail(int error) {
    if (reason.empty()) reason = systemReason(error);
    return false;
  }
  void closeDescriptor() {
    device.reset();
    if (descriptor >= 0) ::close(descriptor);
    descriptor = -1;
  }
};

OutputFile::OutputFile(std::filesystem::path path) : impl_(std::make_unique<Impl>()) {
  impl_->path = std::move(path);
}

OutputFile::~OutputFile() {
  impl_->closeDescriptor();
  if (!impl_->committed && !impl_->temporary.empty()) ::unlink(impl_->temporary.c_str());
}

bool OutputFile::open() {
  Impl& file = *impl_;
  // A link names the file it links to: that file is written, the link stays.
  std::error_code error;
  for (int links = 0; links < 40 && std::filesystem::is_symlink(file.path, error); ++links) {
    const std::filesystem::path linked = std::filesystem::read_symlink(file.path, error);
    if (error) break;
    file.path = linked.is_absolute() ? linked : file.path.parent_path() / linked;
  }
  struct stat info {};
  const bool exists = ::stat(file.path.c_str(), &info) == 0;
  if (exists && S_ISDIR(info.st_mode)) return file.fail(EISDIR);
  if (exists && !S_ISREG(info.st_mode)) {
    file.descriptor = ::open(file.path.c_str(), O_WRONLY | O_CLOEXEC);
  } else {
    const std::filesystem::path folder = file.path.has_parent_path() ? file.path.parent_path() : ".";
    std::string pattern = (folder / ("." + file.path.filename().string() + ".XXXXXX")).string();
    file.descriptor = ::mkostemp(pattern.data(), O_CLOEXEC);
    if (file.descriptor >= 0) {
      file.temporary = pattern;
      // A file written again keeps its mode; a new one gets the usual.
      ::fchmod(file.descriptor, exists ? (info.st_mode & 07777) : newFileMode());
    }
  }
  if (file.descriptor < 0) return file.fail(errno);
  file.device = std::make_unique<DescriptorDevice>(file.descriptor);
  return true;
}

QIODevice& OutputFile::device() { return *impl_->device; }

bool OutputFile::write(std::string_view bytes) {
  if (!impl_->device) return impl_->fail(EBADF);
  const auto length = static_cast<qint64>(bytes.size());
  return impl_->device->write(bytes.data(), length) == length || impl_->fail(impl_->device->failure());
}

bool OutputFile::commit() {
  Impl& file = *impl_;
  if (!file.device) return file.fail(EBADF);
  if (!file.device->flushGathered()) return file.fail(file.device->failure());
  // A full disk may refuse the bytes only when they are flushed to it.
  if (!file.temporary.empty() && ::fsync(file.descriptor) != 0) return file.fail(errno);
  file.device.reset();
  const int closed = ::close(file.descriptor);
  file.descriptor = -1;
  if (closed != 0) return file.fail(errno);
  if (!file.temporary.empty() && ::rename(file.temporary.c_str(), file.path.c_str()) != 0)
    return file.fail(errno);
  file.committed = true;
  return true;
}

const std::string& OutputFile::reason() const { return impl_->reason; }

std::optional<std::string> writeWholeFile(const std::filesystem::path& path, std::string_view bytes) {
  OutputFile file(path);
  if (file.open() && file.write(bytes) && file.commit()) return std::nullopt;
  return file.reason();
}

}  // namespace host
