#include "host/SystemInfo.h"

#include <charconv>
#include <fstream>
#include <limits>
#include <sstream>
#include <string>

namespace host {

namespace {
constexpr std::string_view memAvailableKey = "MemAvailable:";

bool isBlank(char c) { return c == ' ' || c == '\t'; }
}  // namespace

std::optional<std::uint64_t> memAvailableFromMeminfo(std::string_view meminfo) {
  std::size_t lineStart = 0;
  while (lineStart < meminfo.size()) {
    std::size_t lineEnd = meminfo.find('\n', lineStart);
    if (lineEnd == std::string_view::npos) lineEnd = meminfo.size();
    std::string_view line = meminfo.substr(lineStart, lineEnd - lineStart);
    lineStart = lineEnd + 1;
    if (!line.starts_with(memAvailableKey)) continue;

    std::string_view rest = line.substr(memAvailableKey.size());
    while (!rest.empty() && isBlank(rest.front())) rest.remove_prefix(1);
    std::uint64_t amount = 0;
    auto [end, error] = std::from_chars(rest.data(), rest.data() + rest.size(), amount);
    if (error != std::errc() || end == rest.data()) return std::nullopt;
    std::string_view unit = rest.substr(static_cast<std::size_t>(end - rest.data()));
    while (!unit.empty() && isBlank(unit.front())) unit.remove_prefix(1);
    while (!unit.empty() && (isBlank(unit.back()) || unit.back() == '\r')) unit.remove_suffix(1);
    std::uint64_t multiplier = 1;
    if (unit == "kB") {
      multiplier = 1024;
    } else if (!unit.empty()) {
      return std::nullopt;
    }
    if (amount > std::numeric_limits<std::uint64_t>::max() / multiplier) return std::nullopt;
    return amount * multiplier;
  }
  return std::nullopt;
}

std::optional<std::uint64_t> availablePhysicalMemory() {
  std::ifstream file("/proc/meminfo");
  if (!file) return std::nullopt;
  std::ostringstream text;
  text << file.rdbuf();
  return memAvailableFromMeminfo(text.str());
}

}  // namespace host
