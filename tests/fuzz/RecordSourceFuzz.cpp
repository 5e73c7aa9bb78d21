// The guard of a data grid's RecordSource (RecordSet::queryOf): a record
// source is a table name or one SELECT, and the SQL the guard makes of it can
// only ever be one query that reads. Every source it accepts is checked on a
// real SQLite connection, opened read-only on a small database: the SQL it
// made must either be refused by SQLite or prepare to one statement that is
// read-only, with nothing after it but blanks and comments, and that asks
// for no action but reading (no write, ATTACH, DETACH, transaction or schema
// change, as the connection's authorizer sees it). A refused source must be
// refused for its RecordSource, with a reason.
#include <sqlite3.h>

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>

#include "FuzzSupport.h"
#include "host/model/RecordSet.h"

namespace {

namespace fs = std::filesystem;

// The actions of the last statement prepared that are not reading.
std::string otherActions;

int authorize(void*, int action, const char* first, const char*, const char*, const char*) {
  switch (action) {
    case SQLITE_SELECT:
    case SQLITE_READ:
    case SQLITE_FUNCTION:
    case SQLITE_RECURSIVE:
    case SQLITE_PRAGMA:  // the read-only pragma functions (pragma_table_info); stmt_readonly judges
      return SQLITE_OK;
    case SQLITE_UPDATE:
      // Asked of the schema table while SQLite declares the columns of a
      // virtual table (a pragma function) it reads from; no statement of a
      // subquery can write the schema.
      if (first != nullptr && (std::string_view(first) == "sqlite_master" || std::string_view(first) == "sqlite_temp_master"))
        return SQLITE_OK;
      break;
    default:
      break;
  }
  otherActions += "action " + std::to_string(action) + (first != nullptr ? std::string(" on ") + first : "") + "; ";
  return SQLITE_OK;
}

sqlite3* readOnlyDatabase() {
  const fs::path file = fuzz::startHost() / "records.sqlite";
  sqlite3* database = nullptr;
  if (sqlite3_open(file.c_str(), &database) != SQLITE_OK) fuzz::finding("cannot make the database");
  const char* sql =
      "CREATE TABLE orders(id INTEGER PRIMARY KEY, customer TEXT, total REAL);"
      "CREATE TABLE customers(name TEXT, city TEXT);"
      "INSERT INTO orders(customer, total) VALUES ('Ada', 12.5), ('Grace', 7);"
      "INSERT INTO customers VALUES ('Ada', 'London');"
      "CREATE VIEW big AS SELECT * FROM orders WHERE total > 10;";
  if (sqlite3_exec(database, sql, nullptr, nullptr, nullptr) != SQLITE_OK) fuzz::finding("cannot fill the database");
  sqlite3_close(database);
  // As the grid opens it: read-only, and queries only.
  if (sqlite3_open_v2(file.c_str(), &database, SQLITE_OPEN_READONLY, nullptr) != SQLITE_OK)
    fuzz::finding("cannot open the database read-only");
  sqlite3_exec(database, "PRAGMA query_only = ON", nullptr, nullptr, nullptr);
  sqlite3_set_authorizer(database, authorize, nullptr);
  return database;
}

// Past blanks and comments, as SQLite's tokenizer passes them over; SQLite
// reads no further than a NUL.
std::string_view afterBlanks(std::string_view rest) {
  while (!rest.empty() && rest.front() != '\0') {
    const char c = rest.front();
    if (c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f' || c == '\v') {
      rest.remove_prefix(1);
    } else if (rest.starts_with("--")) {
      const std::size_t end = rest.find('\n');
      rest = end == std::string_view::npos ? std::string_view() : rest.substr(end + 1);
    } else if (rest.starts_with("/*")) {
      const std::size_t end = rest.find("*/", 2);
      rest = end == std::string_view::npos ? std::string_view() : rest.substr(end + 2);
    } else {
      return rest;
    }
  }
  return {};
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static sqlite3* const database = readOnlyDatabase();
  const std::string source(fuzz::textOf(data, size));
  fuzz::guarded([&] {
    std::string sql;
    try {
      sql = host::RecordSet::queryOf(source);
    } catch (const host::RecordSetError& refused) {
      if (refused.cause != host::RecordSetError::Cause::RecordSource || refused.problem.empty())
        fuzz::finding("a record source refused without its cause", refused.problem);
      return;
    }
    otherActions.clear();
    sqlite3_stmt* statement = nullptr;
    const char* tail = nullptr;
    const int prepared =
        sqlite3_prepare_v2(database, sql.data(), static_cast<int>(sql.size()), &statement, &tail);
    if (prepared != SQLITE_OK || statement == nullptr) {
      sqlite3_finalize(statement);
      return;  // SQLite refuses it, and so does the grid
    }
    const bool readOnly = sqlite3_stmt_readonly(statement) != 0;
    sqlite3_finalize(statement);
    const std::string accepted = "source: " + source + "\nSQL: " + sql;
    if (!readOnly) fuzz::finding("the record source guard accepted a statement that writes", accepted);
    if (!otherActions.empty())
      fuzz::finding("the record source guard accepted a statement that does more than read",
                    otherActions + "\n" + accepted);
    const std::string_view rest = afterBlanks(std::string_view(tail, sql.data() + sql.size() - tail));
    if (!rest.empty())
      fuzz::finding("the record source guard accepted more than one statement",
                    "after the first: " + std::string(rest) + "\n" + accepted);
  });
  return 0;
}
