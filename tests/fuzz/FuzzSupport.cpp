#include "FuzzSupport.h"

#include <stdlib.h>
#include <unistd.h>

#include <QApplication>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <stdexcept>
#include <system_error>

#include "host/FormatRange.h"
#include "host/Printer.h"
#include "host/RasterDc.h"
#include "host/Runtime.h"
#include "host/Ui.h"
#include "host/model/RichText.h"

namespace fuzz {

namespace {

namespace fs = std::filesystem;

fs::path makePrivateFolder() {
  std::string pattern = (fs::temp_directory_path() / "vellora-fuzz-XXXXXX").string();
  if (mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("cannot make a temporary folder");
  return pattern;
}

// Lives until the process ends: Qt's application object must outlive every
// document and picture a target made, so it is never destroyed; only the
// private folder is removed at exit.
struct Host {
  Host() : folder(makePrivateFolder()) {
    setenv("HOME", folder.c_str(), 1);
    setenv("XDG_DATA_HOME", (folder / ".local" / "share").c_str(), 1);
    setenv("XDG_CONFIG_HOME", (folder / ".config").c_str(), 1);
    setenv("XDG_RUNTIME_DIR", folder.c_str(), 1);
    setenv("QT_QPA_PLATFORM", "offscreen", 1);
    application = new QApplication(argc, argv);
    auto ui = std::make_unique<host::HeadlessUi>();
    ui->setEchoToStandardError(false);
    runtime = new host::Runtime(std::move(ui), {host::MemoryPrinter::create("Memory", 300)});
  }
  fs::path folder;
  int argc = 1;
  char name[8] = "fuzzing";
  char* argv[2] = {name, nullptr};
  QApplication* application = nullptr;
  host::Runtime* runtime = nullptr;
};

Host* theHost = nullptr;

void removePrivateFolder() {
  if (theHost == nullptr) return;
  std::error_code ignored;
  fs::remove_all(theHost->folder, ignored);
}

}  // namespace

const fs::path& startHost() {
  if (theHost == nullptr) {
    theHost = new Host;
    std::atexit(removePrivateFolder);
  }
  return theHost->folder;
}

fs::path programFolder() {
  std::error_code error;
  const fs::path program = fs::read_symlink("/proc/self/exe", error);
  return error ? fs::current_path() : program.parent_path();
}

void finding(std::string_view what, std::string_view detail) {
  // Written whole: the detail may hold NUL bytes.
  std::fputs("\n==FINDING== ", stderr);
  std::fwrite(what.data(), 1, what.size(), stderr);
  std::fputc('\n', stderr);
  if (!detail.empty()) {
    std::fwrite(detail.data(), 1, detail.size(), stderr);
    std::fputc('\n', stderr);
  }
  std::fflush(stderr);
  std::abort();
}

std::vector<std::string> argumentsOf(std::string_view input) {
  std::vector<std::string> arguments;
  std::size_t start = 0;
  while (start <= input.size()) {
    std::size_t end = input.find('\0', start);
    if (end == std::string_view::npos) end = input.size();
    arguments.emplace_back(input.substr(start, end - start));
    start = end + 1;
  }
  return arguments;
}

int printPages(host::RichTextBox& box) {
  // A page of 400 by 520 pixels at 96 dpi: 6000 by 7800 twips; the box
  // starts halfway down the first page, as a box placed lower on a form does.
  constexpr int PageWidth = 6000;
  constexpr int PageHeight = 7800;
  constexpr int DrawnPages = 3;
  auto page = host::RasterDc::create({400, 520}, host::RasterFormat::Color);
  const std::int32_t length = box.textLength();
  host::FormatRange range;
  range.target = page.get();
  range.pageTwips = host::Rect::fromLtrb(0, 0, PageWidth, PageHeight);
  range.drawTwips = host::Rect::fromLtrb(300, PageHeight / 2, PageWidth - 300, PageHeight);
  range.wholePageTwips = PageHeight - 600;  // the height of a later page's band
  int pages = 0;
  std::int32_t first = 0;
  while (first < length) {
    range.firstChar = first;
    range.render = pages < DrawnPages;
    const std::int32_t next = box.formatRange(range);
    ++pages;
    if (next < first) finding("format range went back", std::to_string(first) + " -> " + std::to_string(next));
    if (range.wholePage && next == first)
      finding("a whole page took nothing of the text", "at character " + std::to_string(first) + " of " +
                                                           std::to_string(length));
    if (pages > length + 2) finding("more pages than characters", std::to_string(pages));
    first = next;
    range.wholePage = true;
    range.drawTwips = host::Rect::fromLtrb(300, 300, PageWidth - 300, PageHeight - 300);
  }
  box.releaseFormatRange();
  return pages;
}

}  // namespace fuzz
