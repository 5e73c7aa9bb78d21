#pragma once
// Reading PDF files back with the poppler tools (pdftotext, pdfinfo, pdftoppm).
#include <array>
#include <cstdio>
#include <filesystem>
#include <string>

namespace drawingtest {

// The standard output of a shell command (its errors are dropped).
[[nodiscard]] inline std::string run(const std::string& command) {
  std::string output;
  FILE* pipe = popen((command + " 2>/dev/null").c_str(), "r");
  if (!pipe) return output;
  std::array<char, 4096> buffer{};
  std::size_t read = 0;
  while ((read = fread(buffer.data(), 1, buffer.size(), pipe)) > 0) output.append(buffer.data(), read);
  pclose(pipe);
  return output;
}

[[nodiscard]] inline bool havePoppler() {
  for (const char* tool : {"pdftotext", "pdfinfo", "pdftoppm"})
    if (run(std::string("command -v ") + tool).empty()) return false;
  return true;
}

[[nodiscard]] inline std::string quoted(const std::filesystem::path& path) { return "'" + path.string() + "'"; }

[[nodiscard]] inline std::string pdfText(const std::filesystem::path& pdf) {
  return run("pdftotext -raw " + quoted(pdf) + " -");
}

// The page count pdfinfo reports; -1 when the file is not a readable PDF.
[[nodiscard]] inline int pdfPages(const std::filesystem::path& pdf) {
  const std::string info = run("pdfinfo " + quoted(pdf));
  const auto at = info.find("Pages:");
  return at == std::string::npos ? -1 : std::stoi(info.substr(at + 6));
}

}  // namespace drawingtest
