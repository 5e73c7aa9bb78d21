#pragma once
// Figures the system reports about the machine the host runs on.
#include <cstdint>
#include <optional>
#include <string_view>

namespace host {

// The physical memory available to new allocations, in bytes (MemAvailable of
// /proc/meminfo); nothing when the system does not report it.
[[nodiscard]] std::optional<std::uint64_t> availablePhysicalMemory();

// The MemAvailable figure of a /proc/meminfo text, in bytes; nothing when the
// text has no readable MemAvailable line.
[[nodiscard]] std::optional<std::uint64_t> memAvailableFromMeminfo(std::string_view meminfo);

}  // namespace host
