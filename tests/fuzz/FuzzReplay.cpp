// The main of a fuzz target where there is no libFuzzer (the ordinary g++
// build): runs the target's entry point once over every file given and every
// file in the folders given, in name order, as a regression run of the
// corpus. It takes libFuzzer's way of calling (options begin with '-'; of
// them only -timeout=SECONDS, the limit for one input, means anything here),
// so that one test command serves both builds. An input over its time limit
// fails the run naming the file; so does a run that found no input at all.
#include <signal.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <system_error>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size);

namespace {

namespace fs = std::filesystem;

// The input being run, for the message of the time limit's alarm.
char current[4096] = "";

void overTime(int) {
  const char head[] = "\n==FINDING== an input ran over its time limit: ";
  (void)!write(STDERR_FILENO, head, sizeof head - 1);
  (void)!write(STDERR_FILENO, current, std::strlen(current));
  (void)!write(STDERR_FILENO, "\n", 1);
  _exit(1);
}

std::vector<fs::path> inputsOf(const std::vector<std::string>& given) {
  std::vector<fs::path> inputs;
  for (const std::string& name : given) {
    std::error_code error;
    if (fs::is_directory(name, error)) {
      std::vector<fs::path> files;
      for (const auto& entry : fs::directory_iterator(name, error))
        if (entry.is_regular_file()) files.push_back(entry.path());
      std::sort(files.begin(), files.end());
      inputs.insert(inputs.end(), files.begin(), files.end());
    } else {
      inputs.emplace_back(name);
    }
  }
  return inputs;
}

}  // namespace

int main(int argc, char** argv) {
  unsigned timeLimit = 60;
  std::vector<std::string> given;
  for (int i = 1; i < argc; ++i) {
    const std::string argument = argv[i];
    if (argument.starts_with("-timeout=")) {
      timeLimit = static_cast<unsigned>(std::strtoul(argument.c_str() + 9, nullptr, 10));
    } else if (!argument.starts_with("-")) {
      given.push_back(argument);
    }
  }
  const std::vector<fs::path> inputs = inputsOf(given);
  if (inputs.empty()) {
    std::fprintf(stderr, "%s: no input to run (give files or folders of a corpus)\n", argv[0]);
    return 1;
  }
  signal(SIGALRM, overTime);
  double slowest = 0;
  std::string slowestName;
  for (const fs::path& input : inputs) {
    std::ifstream file(input, std::ios::binary);
    if (!file) {
      std::fprintf(stderr, "%s: cannot read %s\n", argv[0], input.c_str());
      return 1;
    }
    const std::vector<char> bytes((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    std::snprintf(current, sizeof current, "%s", input.c_str());
    alarm(timeLimit);
    const auto start = std::chrono::steady_clock::now();
    (void)LLVMFuzzerTestOneInput(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size());
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    alarm(0);
    if (seconds > slowest) {
      slowest = seconds;
      slowestName = input.filename().string();
    }
  }
  std::printf("ran %zu inputs; the slowest, %s, took %.3f s\n", inputs.size(), slowestName.c_str(), slowest);
  return 0;
}
