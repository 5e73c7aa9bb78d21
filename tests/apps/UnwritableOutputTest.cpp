// Every output of the vellora program written where it cannot be: under a
// missing folder, under a regular file, onto a folder, in /proc or /sys, on
// a disk that fills up while it is written (a file size limit on the
// program) and on a full device. Each ends with a nonzero status, a line
// naming the path and the reason, and nothing half written left behind.
// (The tests run as root: permissions would not stop a write.)
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "ProgramTestSupport.h"

namespace fs = std::filesystem;

namespace {

using programtest::Outcome;

const fs::path ordersForm = fs::path(VELLORA_SOURCE_DIR) / "examples" / "orders.json";
const fs::path resizerForm = fs::path(VELLORA_SOURCE_DIR) / "examples" / "resizer-demo.json";
const fs::path uiForm = fs::path(VELLORA_SOURCE_DIR) / "tests" / "forms" / "resizing-card.ui";

// One output of the program: its arguments, with "@" where the path goes,
// and whether the path names a folder of files (page pictures) or one file.
struct Output {
  std::string name;
  std::vector<std::string> arguments;
  bool folder = false;
};

std::vector<std::string> withPath(const Output& output, const std::string& path) {
  std::vector<std::string> arguments = output.arguments;
  std::replace(arguments.begin(), arguments.end(), std::string("@"), path);
  return arguments;
}

const std::vector<Output>& everyOutput() {
  static const std::vector<Output> outputs{
      {"print --pdf", {"print", ordersForm.string(), "--pdf", "@"}},
      {"print --png", {"print", ordersForm.string(), "--png", "@"}, true},
      {"preview --png", {"preview", ordersForm.string(), "--png", "@"}, true},
      {"--report", {"print", ordersForm.string(), "--pdf", "orders.pdf", "--report", "@"}},
      {"resize --out", {"resize", resizerForm.string(), "--screen", "1024x768", "--out", "@"}},
      {"resize --png", {"resize", resizerForm.string(), "--screen", "1024x768", "--png", "@"}},
      {"resize --print", {"resize", resizerForm.string(), "--screen", "1024x768", "--print", "@"}},
      {"resize .ui --png", {"resize", uiForm.string(), "--screen", "1024x768", "--png", "@"}},
      {"resize .ui --print", {"resize", uiForm.string(), "--screen", "1024x768", "--print", "@"}},
      {"run --png", {"run", resizerForm.string(), "--screen", "1024x768", "--png", "@"}},
      {"run .ui --png", {"run", uiForm.string(), "--screen", "1024x768", "--png", "@"}},
  };
  return outputs;
}

// A place nothing can be written, and the reasons the system may give.
struct Place {
  std::string name;
  std::string path;
  std::vector<std::string> reasons;
};

class UnwritableOutput : public programtest::ProgramTest {
 protected:
  void SetUp() override {
    programtest::ProgramTest::SetUp();
    if (IsSkipped()) return;
    std::ofstream(folder_ / "plain-file") << "a file, not a folder";
    fs::create_directory(folder_ / "a-folder");
  }

  // Runs with writes limited to files of `bytes` at most, as on a disk
  // that fills up: a write past it fails with EFBIG instead of the signal.
  Outcome runOnFullDisk(std::uintmax_t bytes, const std::vector<std::string>& arguments) {
    const std::uintmax_t blocks =
        std::max<std::uintmax_t>(bytes / 512, 1);  // the shell's ulimit counts 512 bytes
    return runWith("ulimit -f " + std::to_string(blocks) + "; trap '' XFSZ;", arguments);
  }

  // Every file and folder in the test's folder but the program's two streams.
  std::set<std::string> contents() const {
    std::set<std::string> found;
    for (const auto& entry : fs::recursive_directory_iterator(folder_)) {
      const std::string name = fs::relative(entry.path(), folder_).string();
      if (name != "out.txt" && name != "err.txt") found.insert(name);
    }
    return found;
  }

  // The line of standard error that names `path` (as given or absolute) with one of `reasons`.
  bool saysWhy(const Outcome& outcome, const std::string& path,
               const std::vector<std::string>& reasons) const {
    const std::string absolute = (folder_ / path).lexically_normal().string();
    std::istringstream lines(outcome.err);
    for (std::string line; std::getline(lines, line);) {
      const bool named = line.find(path) != std::string::npos || line.find(absolute) != std::string::npos;
      for (const std::string& reason : reasons)
        if (named && line.find(reason) != std::string::npos) return true;
    }
    return false;
  }

  // Takes away what a case wrote, so that the next starts as this one did.
  void restore(const std::set<std::string>& before) const {
    std::error_code ignored;
    for (const std::string& name : contents())
      if (before.count(name) == 0) fs::remove_all(folder_ / name, ignored);
  }

  // What a successful run of `output` writes besides its own path.
  static std::set<std::string> besides(const Output& output) {
    return output.name == "--report" ? std::set<std::string>{"orders.pdf"} : std::set<std::string>{};
  }
};

TEST_F(UnwritableOutput, EveryOutputToAPlaceThatCannotBeWrittenFailsNamingThePathAndWhy) {
  const std::vector<Place> files{
      {"a missing folder", "missing/out", {"No such file or directory"}},
      {"under a regular file", "plain-file/out", {"Not a directory"}},
      {"a folder given as the file", "a-folder", {"directory"}},
      {"in /proc", "/proc/vellora-out", {"No such file or directory", "Permission denied", "not permitted"}},
      {"in /sys", "/sys/vellora-out", {"Permission denied", "not permitted", "Read-only file system"}}};
  const std::vector<Place> folders{
      {"under a regular file", "plain-file/pages", {"Not a directory"}},
      {"a regular file given as the folder", "plain-file", {"Not a directory", "File exists"}},
      {"in /proc",
       "/proc/vellora-pages",
       {"No such file or directory", "Permission denied", "not permitted"}},
      {"in /sys", "/sys/vellora-pages", {"Permission denied", "not permitted", "Read-only file system"}}};
  const std::set<std::string> before = contents();
  for (const Output& output : everyOutput()) {
    for (const Place& place : output.folder ? folders : files) {
      // Already a case of the program's own suite.
      if (output.name == "print --pdf" && place.name == "a missing folder") continue;
      if (output.name == "preview --png" && place.name == "under a regular file") continue;
      SCOPED_TRACE(output.name + " " + place.name);
      const Outcome outcome = run(withPath(output, place.path));
      EXPECT_NE(outcome.status, 0);
      EXPECT_TRUE(saysWhy(outcome, place.path, place.reasons)) << outcome.err;
      std::set<std::string> after = contents();
      for (const std::string& other : besides(output)) after.erase(other);
      EXPECT_EQ(after, before) << "something was left behind";
      restore(before);
    }
  }
}

// The default output of a print, the PDF file in the current folder, and a
// preview's pictures there.
TEST_F(UnwritableOutput, TheDefaultOutputsInAFolderThatCannotBeWrittenFailNamingThePathAndWhy) {
  for (const std::string& command : {std::string("print"), std::string("preview")}) {
    SCOPED_TRACE(command);
    const Outcome outcome = runWith("env --chdir=/proc", {command, ordersForm.string()});
    EXPECT_NE(outcome.status, 0);
    const std::string path = command == "print" ? "/proc/orders.pdf" : "/proc/page-001.png";
    EXPECT_TRUE(saysWhy(outcome, path, {"No such file or directory", "Permission denied", "not permitted"}))
        << outcome.err;
  }
}

// A disk that fills up while the output is written: nothing of it is left,
// not a first page of several, not a temporary file.
TEST_F(UnwritableOutput, ADiskThatFillsUpWhileAnOutputIsWrittenLeavesNoneOfIt) {
  const std::set<std::string> before = contents();
  for (const Output& output : everyOutput()) {
    // The PDF and the pictures of a print filling the disk are cases of the
    // program's own suite; here the pictures of a print fill it at the
    // second page, after the first was written.
    if (output.name == "print --pdf") continue;
    SCOPED_TRACE(output.name);
    const std::string path = output.folder ? "pages" : "out";
    // Small enough for each single file, the report of a failed job too.
    std::uintmax_t limit = output.name == "--report" ? 512 : 2048;
    if (output.folder) {
      const Outcome whole = run(withPath(output, path));
      ASSERT_EQ(whole.status, 0) << whole.err;
      const std::uintmax_t first = fs::file_size(folder_ / path / "page-001.png");
      limit = (first + 511) / 512 * 512;
      ASSERT_GT(fs::file_size(folder_ / path / "page-002.png"), limit) << "the second page must not fit";
      fs::remove_all(folder_ / path);
    }
    const Outcome outcome = runOnFullDisk(limit, withPath(output, path));
    EXPECT_NE(outcome.status, 0);
    EXPECT_TRUE(saysWhy(outcome, output.folder ? path + "/page-002.png" : path, {"File too large"}))
        << outcome.err;
    std::set<std::string> after = contents();
    for (const std::string& other : besides(output)) after.erase(other);
    EXPECT_EQ(after, before) << "something was left behind";
    restore(before);
  }
}

// A full device (as /dev/full) named as a single file: the writes fail, and
// the device stays the device, not a file put in its place.
TEST_F(UnwritableOutput, AFullDeviceNamedAsTheFileFailsAndStaysADevice) {
  const fs::path device = folder_ / "full";
  if (mknod(device.c_str(), S_IFCHR | 0666, makedev(1, 7)) != 0)
    GTEST_SKIP() << "cannot make a full device here (mknod): " << std::strerror(errno);
  const std::set<std::string> before = contents();
  for (const Output& output : everyOutput()) {
    if (output.folder) continue;
    SCOPED_TRACE(output.name);
    const Outcome outcome = run(withPath(output, "full"));
    EXPECT_NE(outcome.status, 0);
    EXPECT_TRUE(saysWhy(outcome, "full", {"No space left on device"})) << outcome.err;
    struct stat info {};
    ASSERT_EQ(stat(device.c_str(), &info), 0);
    if (!S_ISCHR(info.st_mode)) {
      ADD_FAILURE() << "the device was replaced by a file";
      fs::remove(device);
      ASSERT_EQ(mknod(device.c_str(), S_IFCHR | 0666, makedev(1, 7)), 0);
    }
    std::set<std::string> after = contents();
    for (const std::string& other : besides(output)) after.erase(other);
    EXPECT_EQ(after, before) << "something was left behind";
    restore(before);
  }
}

}  // namespace
