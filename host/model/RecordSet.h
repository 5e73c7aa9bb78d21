#pragma once
// The records a data-bound grid shows: the result of a table or a SELECT on
// an SQLite database, opened read-only under a connection of its own. The
// records are read as the grid moves through them, a block at a time, and
// only a few blocks are kept: a table of any length costs the same memory.
#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

namespace host {

// Why a record set could not be opened: the database itself (missing, not a
// database) or the record source (unknown table or column, bad SQL, not a
// query).
struct RecordSetError {
  enum class Cause { Database, RecordSource };
  Cause cause;
  std::string problem;
};

class RecordSet {
 public:
  // Opens `database` read-only and runs `recordSource` on it: a table name, or
  // a single SELECT (a WITH ... SELECT too). Throws RecordSetError.
  [[nodiscard]] static std::unique_ptr<RecordSet> open(const std::filesystem::path& database,
                                                       const std::string& recordSource);
  // The SQL a record source runs: a table name becomes a SELECT of the whole
  // table; a SELECT is wrapped as a subquery, so that it can only ever be one
  // query. Throws RecordSetError for a source that is neither, or a SELECT
  // that would end before its text does (a ';' or an unmatched ')' outside
  // quotes and comments, an unclosed quote or comment, a NUL).
  [[nodiscard]] static std::string queryOf(const std::string& recordSource);

  // Made only by open(); the key keeps it so.
  struct Connection;
  class Key {
    friend class RecordSet;
    Key() = default;
  };
  RecordSet(Key, std::unique_ptr<Connection> connection);
  RecordSet(const RecordSet&) = delete;
  RecordSet& operator=(const RecordSet&) = delete;
  ~RecordSet();

  // The records counted when the set was opened, less those found missing
  // since: it shrinks to where the records end once a read reaches the end.
  // A query of more records than are counted at open (a hundred thousand,
  // or what two seconds count) is counted as it is read: then the count is
  // what was read so far and one more, until the reading finds the end.
  [[nodiscard]] std::int64_t count() const { return count_; }
  // The count is the query's whole (its end was found or counted).
  [[nodiscard]] bool countComplete() const { return countComplete_; }
  [[nodiscard]] const std::vector<std::string>& fieldNames() const { return fields_; }
  // The field's position, or -1 (names compared without regard to case).
  [[nodiscard]] int fieldIndex(const std::string& name) const;
  // One field of one record as text (a NULL is empty); empty for a record
  // or field that is not there. Raises a HostError naming the database file
  // when the records cannot be read (again): the file removed, emptied, cut
  // short, written over or locked by another program, the query failing.
  // A file another program changed since the query ran is read afresh.
  [[nodiscard]] const std::string& text(std::int64_t record, int field);
  // How many times the query was run from its start (moving back past the
  // blocks kept runs it again), for tests and benchmarks.
  [[nodiscard]] int runs() const { return runs_; }
  // The connection cannot write the database (SQLite says so of it).
  [[nodiscard]] bool readOnly() const;

 private:
  using Record = std::vector<std::string>;
  struct Block {
    std::int64_t first = 0;
    std::vector<Record> records;
    std::uint64_t lastUse = 0;
  };
  [[nodiscard]] const Record& record(std::int64_t index);
  [[nodiscard]] Block& blockHolding(std::int64_t index);
  void readBlock(Block& block, std::int64_t first);
  void endAt(std::int64_t records);
  // Runs the query again from its start; raises a HostError naming the file
  // and the problem when it cannot.
  enum class Afresh { OnTheSameConnection, OnTheFileAsItIsNow };
  void runAgain(Afresh afresh);
  [[noreturn]] void failedReading(Connection& connection);
  [[noreturn]] void failedReading(const std::string& what, const std::string& problem) const;

  std::unique_ptr<Connection> connection_;
  std::vector<std::string> fields_;
  std::int64_t count_ = 0;
  bool countComplete_ = true;
  std::vector<Block> blocks_;
  std::uint64_t uses_ = 0;
  int runs_ = 0;
};

}  // namespace host
