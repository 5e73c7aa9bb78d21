#include "host/model/Csv.h"

namespace host {

namespace {

// A small state machine over the bytes; quotes and separators are ASCII,
// so UTF-8 text passes through it whole.
class CsvParser {
 public:
  explicit CsvParser(std::string_view text) : text_(text) {
    if (text_.starts_with("\xEF\xBB\xBF")) text_.remove_prefix(3);
  }

  std::vector<std::vector<std::string>> records() {
    while (at_ < text_.size()) readRecord();
    return std::move(records_);
  }

 private:
  void readRecord() {
    const int recordLine = line_;
    std::vector<std::string> fields;
    while (true) {
      fields.push_back(readField(recordLine));
      if (at_ >= text_.size()) break;
      const char separator = text_[at_++];
      if (separator == ',') continue;
      // A line break: CRLF or LF (a lone CR counts as one too).
      if (separator == '\r' && at_ < text_.size() && text_[at_] == '\n') ++at_;
      ++line_;
      break;
    }
    records_.push_back(std::move(fields));
  }

  std::string readField(int recordLine) {
    std::string field;
    if (at_ < text_.size() && text_[at_] == '"') {
      ++at_;
      while (true) {
        if (at_ >= text_.size()) throw CsvError(recordLine, "a quoted field is not closed");
        const char c = text_[at_++];
        if (c == '"') {
          if (at_ < text_.size() && text_[at_] == '"') {
            field += '"';
            ++at_;
            continue;
          }
          break;
        }
        if (c == '\n') ++line_;
        field += c;
      }
      if (at_ < text_.size() && !isSeparator(text_[at_]))
        throw CsvError(line_, "text follows the closing quote of a field");
      return field;
    }
    while (at_ < text_.size() && !isSeparator(text_[at_])) field += text_[at_++];
    return field;
  }

  static bool isSeparator(char c) { return c == ',' || c == '\r' || c == '\n'; }

  std::string_view text_;
  std::size_t at_ = 0;
  int line_ = 1;
  std::vector<std::vector<std::string>> records_;
};

}  // namespace

std::vector<std::vector<std::string>> parseCsv(std::string_view text) { return CsvParser(text).records(); }

std::string csvRecord(const std::vector<std::string>& fields) {
  std::string out;
  for (std::size_t i = 0; i < fields.size(); ++i) {
    if (i > 0) out += ',';
    const std::string& field = fields[i];
    // A byte-order mark at the start of a text is dropped on reading: a
    // field beginning with one is quoted, so that it keeps it.
    if (field.find_first_of(",\"\r\n") == std::string::npos && !field.starts_with("\xEF\xBB\xBF")) {
      out += field;
      continue;
    }
    out += '"';
    for (char c : field) {
      if (c == '"') out += '"';
      out += c;
    }
    out += '"';
  }
  return out;
}

}  // namespace host
