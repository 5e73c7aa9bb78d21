#pragma once
// Helpers shared by the test suites.
#include <stdlib.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <functional>
#include <stdexcept>
#include <memory>
#include <string>

#include "host/HostError.h"
#include "host/Printer.h"
#include "host/Runtime.h"
#include "host/Ui.h"

namespace testsupport {

// The number of the HostError a statement raises; 0 when it raises none.
[[nodiscard]] inline int errorNumberOf(const std::function<void()>& statement) {
  try {
    statement();
  } catch (const host::HostError& error) {
    return error.number();
  }
  return 0;
}

// The text of line `number` of a numbered text: "Line 001", "Line 002", ...
[[nodiscard]] inline std::string numberedLine(int number) {
  char line[16];
  std::snprintf(line, sizeof line, "Line %03d", number);
  return line;
}

// Lines 1 to `count` of a numbered text, separated by CR LF as a multi-line
// text box holds them.
[[nodiscard]] inline std::string numberedLines(int count) {
  std::string text;
  for (int number = 1; number <= count; ++number) {
    if (number > 1) text += "\r\n";
    text += numberedLine(number);
  }
  return text;
}

// A headless runtime with one in-memory printer ("Memory", 600 dpi unless told otherwise).
struct HeadlessRuntime {
  std::shared_ptr<host::MemoryPrinter> printer;
  host::HeadlessUi* ui = nullptr;
  std::unique_ptr<host::Runtime> runtime;
};
[[nodiscard]] inline HeadlessRuntime makeHeadless(double dotsPerInch = 600, bool failToStart = false) {
  HeadlessRuntime result;
  auto ui = std::make_unique<host::HeadlessUi>();
  ui->setEchoToStandardError(false);
  result.ui = ui.get();
  result.printer = host::MemoryPrinter::create("Memory", dotsPerInch, failToStart);
  result.runtime = std::make_unique<host::Runtime>(
      std::move(ui), std::vector<std::shared_ptr<host::PrinterDevice>>{result.printer});
  return result;
}

// The runtime installed for a whole test program.
[[nodiscard]] inline host::Runtime makeHeadlessRuntime() {
  auto ui = std::make_unique<host::HeadlessUi>();
  ui->setEchoToStandardError(false);
  return host::Runtime(std::move(ui), {host::MemoryPrinter::create("Memory", 600)});
}

// A fresh empty folder under the system's temporary folder.
[[nodiscard]] inline std::filesystem::path makeTempDir(const std::string& prefix = "vellora-test") {
  std::string pattern = (std::filesystem::temp_directory_path() / (prefix + "-XXXXXX")).string();
  if (mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("cannot make a temporary folder");
  return pattern;
}

// Makes an SQLite database at `path` by running `sql` through the sqlite3
// program (the suites make their databases rather than keep binary files).
inline void makeDatabase(const std::filesystem::path& path, const std::string& sql) {
  const std::filesystem::path script = path.string() + ".sql";
  std::ofstream(script) << sql;
  const std::string command = "sqlite3 '" + path.string() + "' < '" + script.string() + "'";
  const int status = std::system(command.c_str());
  std::filesystem::remove(script);
  if (status != 0) throw std::runtime_error("cannot make the test database: " + command);
}

// The SQL of a table orders(id, customer, total) of `rows` records: order i is
// "Customer i" for a total of i x 1.5.
[[nodiscard]] inline std::string ordersTable(int rows, const std::string& table = "orders") {
  const std::string create = "CREATE TABLE " + table + "(id INTEGER PRIMARY KEY, customer TEXT, total REAL);\n";
  if (rows <= 0) return create;
  return create +
         "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < " + std::to_string(rows) +
         ") INSERT INTO " + table + " SELECT i, 'Customer ' || i, i * 1.5 FROM n;\n";
}

// The bytes of a file.
[[nodiscard]] inline std::string fileBytes(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

}  // namespace testsupport
