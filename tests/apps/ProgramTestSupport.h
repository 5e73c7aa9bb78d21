#pragma once
// Runs the vellora program as a user would, in a fresh folder of its own,
// and reads back its exit status and what it wrote on its two streams.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <system_error>
#include <vector>

#include "TestSupport.h"

namespace programtest {

namespace fs = std::filesystem;

inline const fs::path program = fs::path(VELLORA_BINARY_DIR) / "bin" / "vellora";

// A shell word holding `text` exactly.
inline std::string quoted(const std::string& text) {
  std::string result = "'";
  for (char c : text) result += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return result + "'";
}

inline std::string readFile(const fs::path& file) {
  std::ifstream in(file);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

inline bool toolAvailable(const std::string& tool) {
  return std::system(("command -v " + tool + " >/dev/null 2>&1").c_str()) == 0;
}

struct Outcome {
  int status = -1;
  std::string out;
  std::string err;
};

class ProgramTest : public testing::Test {
 protected:
  void SetUp() override {
    if (!fs::exists(program)) GTEST_SKIP() << "the vellora program is not built: " << program;
    folder_ = testsupport::makeTempDir("vellora-cli");
  }
  void TearDown() override {
    std::error_code ignored;
    if (!folder_.empty()) fs::remove_all(folder_, ignored);
  }

  Outcome run(const std::vector<std::string>& arguments) { return runWith("", arguments); }
  // Runs with a prefix before the program (e.g. "env -u DISPLAY").
  Outcome runWith(const std::string& prefix, const std::vector<std::string>& arguments) {
    return runProgram(program, prefix, arguments);
  }
  // Runs another program of the build the same way.
  Outcome runProgram(const fs::path& other, const std::string& prefix, const std::vector<std::string>& arguments) {
    std::string command = "cd " + quoted(folder_.string()) + " && " + prefix + " " + quoted(other.string());
    for (const std::string& argument : arguments) command += " " + quoted(argument);
    command += " >out.txt 2>err.txt";
    const int raw = std::system(command.c_str());
    Outcome outcome;
    outcome.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
    outcome.out = readFile(folder_ / "out.txt");
    outcome.err = readFile(folder_ / "err.txt");
    return outcome;
  }

  fs::path folder_;
};

}  // namespace programtest
