#pragma once
// What every fuzz target shares: the process set up once as a test program is
// (Qt's offscreen platform, a private home and data folder, a headless host
// runtime), the one way to report a finding, and the print of a rich text
// page by page as a job does it.
//
// A target's entry point answers an input by returning when the reader took
// it or refused it with its own error; anything else it sees wrong is a
// finding: it calls finding(), which aborts, so that libFuzzer (or the
// replay of the ordinary test build) records the input.
#include <cstddef>
#include <cstdint>
#include <exception>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace host {
class RichTextBox;
}

namespace fuzz {

// Sets the process up on the first call; later calls only return the private
// folder, where a target may keep the files it makes. Files removed at exit.
const std::filesystem::path& startHost();

// The folder holding the running program (the build's bin folder, where the
// control libraries are too).
[[nodiscard]] std::filesystem::path programFolder();

// Says what is wrong on standard error and aborts.
[[noreturn]] void finding(std::string_view what, std::string_view detail = {});

[[nodiscard]] inline std::string_view textOf(const std::uint8_t* data, std::size_t size) {
  return {reinterpret_cast<const char*>(data), size};
}

// The input as command-line arguments: split at NUL bytes, which no argument
// can hold.
[[nodiscard]] std::vector<std::string> argumentsOf(std::string_view input);

// Prints the box's document as a job does, page after page of a small page
// until the text ends; the first pages are drawn, later ones measured only.
// A page that takes nothing of the text, or a character index going back, is
// a finding: the job would never end. Returns the number of pages.
int printPages(host::RichTextBox& box);

// Runs `body` and turns an exception that is no refusal of the reader (which
// `body` catches itself) into a finding naming it.
template <class Body>
void guarded(Body&& body) {
  try {
    body();
  } catch (const std::exception& error) {
    finding("unexpected exception", error.what());
  } catch (...) {
    finding("unexpected exception of an unknown type");
  }
}

}  // namespace fuzz
