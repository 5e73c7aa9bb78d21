#pragma once
// Comma-separated values as RFC 4180 writes them: records end at a line
// break (CRLF or LF), fields are separated by commas, and a field in double
// quotes may hold commas, line breaks and doubled quotes. Text is UTF-8; a
// byte-order mark at the start is dropped.
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace host {

// A syntax error, with the line (from 1) of the record where it lies.
class CsvError : public std::runtime_error {
 public:
  CsvError(int line, const std::string& problem)
      : std::runtime_error("line " + std::to_string(line) + ": " + problem), line_(line) {}
  [[nodiscard]] int line() const noexcept { return line_; }

 private:
  int line_;
};

// The records of a CSV text; raises CsvError for a quote left open or text
// after a closing quote. A final line break ends the last record.
[[nodiscard]] std::vector<std::vector<std::string>> parseCsv(std::string_view text);

// One record as CSV text (without its line break): fields holding a comma,
// a quote or a line break, or starting with a byte-order mark, are quoted.
[[nodiscard]] std::string csvRecord(const std::vector<std::string>& fields);

}  // namespace host
