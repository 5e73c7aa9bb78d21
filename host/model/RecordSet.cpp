#include "host/model/RecordSet.h"

#include <sqlite3.h>
#include <sys/stat.h>

#include <QDeadlineTimer>
#include <QFile>
#include <QSqlDatabase>
#include <QSqlDriver>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QVariant>
#include <algorithm>
#include <atomic>
#include <cctype>
#include <optional>

#include "host/HostError.h"
#include "host/Lang.h"

namespace host {

namespace {

constexpr std::int64_t BlockSize = 256;
constexpr std::size_t BlocksKept = 4;
// The records are counted when the set opens up to this many, and for this
// long at most: beyond, they are counted as they are read (a query may yield
// billions of rows, or never end).
constexpr std::int64_t CountedAtOpen = 100000;
constexpr int CountingMilliseconds = 2000;
// The longest text or blob a query may make: a value past it is an error of
// the query, not all of the memory.
constexpr int LongestValue = 64 * 1024 * 1024;

[[noreturn]] void refuse(RecordSetError::Cause cause, std::string problem) {
  throw RecordSetError{cause, std::move(problem)};
}

std::string reasonOf(const QSqlError& error) {
  const QString text = error.databaseText().isEmpty() ? error.text() : error.databaseText();
  return text.toStdString();
}

// SQLite's busy and locked codes: another program holds the database, and
// went on holding it for as long as the connection waits.
bool lockedByAnother(const QSqlError& error) {
  const QString code = error.nativeErrorCode();
  return code == QLatin1String("5") || code == QLatin1String("6");
}

bool isTableName(const std::string& text) {
  if (text.empty() || std::isdigit(static_cast<unsigned char>(text[0]))) return false;
  return std::all_of(text.begin(), text.end(),
                     [](char c) { return std::isalnum(static_cast<unsigned char>(c)) || c == '_'; });
}

std::string firstWord(const std::string& text) {
  std::size_t end = 0;
  while (end < text.size() && std::isalpha(static_cast<unsigned char>(text[end]))) ++end;
  return upperCase(text.substr(0, end));
}

std::string trimmed(const std::string& text) {
  const auto isSpace = [](char c) { return std::isspace(static_cast<unsigned char>(c)) != 0; };
  std::size_t begin = 0;
  std::size_t end = text.size();
  while (begin < end && isSpace(text[begin])) ++begin;
  // A statement may end in semicolons; inside a subquery they would not parse.
  while (end > begin && (isSpace(text[end - 1]) || text[end - 1] == ';')) --end;
  return text.substr(begin, end - begin);
}

// Where the quoted text starting at `from` ends (its closing quote; a quote
// doubled inside it is part of it), or npos when it is never closed.
std::size_t closingQuote(std::string_view sql, std::size_t from, char quote) {
  for (std::size_t at = from + 1; at < sql.size(); ++at) {
    if (sql[at] != quote) continue;
    if (quote != ']' && at + 1 < sql.size() && sql[at + 1] == quote) {
      ++at;
      continue;
    }
    return at;
  }
  return std::string_view::npos;
}

// Whether a statement stays whole inside the subquery that wraps it: outside
// quoted text and comments it holds no ';' and no ')' closing what it did not
// open, every quote and block comment it opens is closed, and it holds no NUL
// (where SQLite stops reading). A statement that ended early could put
// another after it, which the wrapping would not keep from running.
bool staysOneStatement(std::string_view sql) {
  int depth = 0;
  for (std::size_t at = 0; at < sql.size(); ++at) {
    const char c = sql[at];
    const char next = at + 1 < sql.size() ? sql[at + 1] : '\0';
    if (c == '\'' || c == '"' || c == '`' || c == '[') {
      at = closingQuote(sql, at, c == '[' ? ']' : c);
      if (at == std::string_view::npos) return false;
    } else if (c == '-' && next == '-') {
      at = sql.find('\n', at);  // the wrapping's own line break ends a last comment
      if (at == std::string_view::npos) break;
    } else if (c == '/' && next == '*') {
      at = sql.find("*/", at + 2);
      if (at == std::string_view::npos) return false;
      ++at;
    } else if (c == '(') {
      ++depth;
    } else if (c == ')') {
      if (--depth < 0) return false;
    } else if (c == ';' || c == '\0') {
      return false;
    }
  }
  return depth == 0;
}

// A file that holds anything is an SQLite database only if it starts so.
bool looksLikeDatabase(const std::filesystem::path& path) {
  QFile file(QString::fromStdString(path.string()));
  if (!file.open(QIODevice::ReadOnly)) return false;
  if (file.size() == 0) return true;
  return file.read(16) == QByteArray("SQLite format 3", 16);
}

// Refuses a path that is no file, or a file that is no SQLite database.
void checkDatabaseFile(const std::filesystem::path& file) {
  std::error_code error;
  if (!std::filesystem::is_regular_file(file, error))
    refuse(RecordSetError::Cause::Database, "no such database file: " + file.string());
  if (!looksLikeDatabase(file)) refuse(RecordSetError::Cause::Database, "is not an SQLite database: " + file.string());
}

std::string fieldText(const QVariant& value) {
  if (value.isNull()) return {};
  switch (value.typeId()) {
    case QMetaType::Double:
      return numberText(value.toDouble());
    case QMetaType::QByteArray:
      return value.toByteArray().toStdString();
    default:
      return value.toString().toStdString();
  }
}

}  // namespace

// SQLite's own handle of a connection, for what Qt does not offer.
sqlite3* handleOf(const QSqlDatabase& database) {
  const QVariant handle = database.driver()->handle();
  if (!handle.isValid() || qstrcmp(handle.typeName(), "sqlite3*") != 0) return nullptr;
  return *static_cast<sqlite3* const*>(handle.constData());
}

// Counts the records of `sql`, up to CountedAtOpen + 1 and for
// CountingMilliseconds at most; nothing when the count was cut short by time.
std::optional<std::int64_t> countRecords(QSqlDatabase& database, const QString& sql) {
  sqlite3* handle = handleOf(database);
  QDeadlineTimer deadline(CountingMilliseconds);
  if (handle != nullptr) {
    sqlite3_progress_handler(
        handle, 10000, [](void* until) { return static_cast<QDeadlineTimer*>(until)->hasExpired() ? 1 : 0; },
        &deadline);
  }
  QSqlQuery count(database);
  const bool counted =
      count.exec(QStringLiteral("SELECT COUNT(*) FROM (SELECT 1 FROM (%1) LIMIT %2)").arg(sql).arg(CountedAtOpen + 1)) &&
      count.next();
  if (handle != nullptr) sqlite3_progress_handler(handle, 0, nullptr, nullptr);
  if (!counted) {
    if (deadline.hasExpired()) return std::nullopt;
    refuse(RecordSetError::Cause::RecordSource, reasonOf(count.lastError()));
  }
  return count.value(0).toLongLong();
}

// The database file as found at its path: which file it is, how long, and
// when it was last written. An SQLite writer cannot change the file while a
// query reads it; another program can (remove it, put another in its place,
// cut it short or write over it), and the open query would go on reading
// pages of the file that was, or pages that are no longer there.
struct FileState {
  bool exists = false;
  dev_t device = 0;
  ino_t inode = 0;
  off_t size = 0;
  timespec written{};

  static FileState of(const std::filesystem::path& path) {
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0) return {};
    return {true, info.st_dev, info.st_ino, info.st_size, info.st_mtim};
  }
  [[nodiscard]] bool sameAs(const FileState& other) const {
    return exists == other.exists && device == other.device && inode == other.inode && size == other.size &&
           written.tv_sec == other.written.tv_sec && written.tv_nsec == other.written.tv_nsec;
  }
};

struct RecordSet::Connection {
  explicit Connection(std::filesystem::path file)
      : name(QStringLiteral("vellora.records.%1").arg(++made)), file(std::move(file)) {}
  Connection(const Connection&) = delete;
  Connection& operator=(const Connection&) = delete;
  ~Connection() {
    query.reset();
    database.close();
    database = QSqlDatabase();
    QSqlDatabase::removeDatabase(name);
  }

  // Opens `file` read-only and checks that it is an SQLite database another
  // program does not hold. Throws RecordSetError.
  static std::unique_ptr<Connection> open(const std::filesystem::path& file) {
    checkDatabaseFile(file);
    auto connection = std::make_unique<Connection>(file);
    QSqlDatabase& database = connection->database;
    database = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), connection->name);
    database.setDatabaseName(QString::fromStdString(file.string()));
    // The grid only reads: a print must never be able to change the database.
    database.setConnectOptions(QStringLiteral("QSQLITE_OPEN_READONLY"));
    if (!database.open())
      refuse(RecordSetError::Cause::Database, "cannot be opened: " + reasonOf(database.lastError()));
    if (sqlite3* handle = handleOf(database)) sqlite3_limit(handle, SQLITE_LIMIT_LENGTH, LongestValue);
    QSqlQuery check(database);
    if (!check.exec(QStringLiteral("PRAGMA query_only = ON")) ||
        !check.exec(QStringLiteral("SELECT COUNT(*) FROM sqlite_master"))) {
      if (lockedByAnother(check.lastError()))
        refuse(RecordSetError::Cause::Database, "is locked by another program: " + file.string());
      refuse(RecordSetError::Cause::Database, "is not an SQLite database: " + reasonOf(check.lastError()));
    }
    return connection;
  }

  // Runs the query from its start; the next record read is record 0.
  void run() {
    if (!query) {
      query.emplace(database);
      query->setForwardOnly(true);
    }
    state = FileState::of(file);
    if (!query->exec(sql)) {
      if (lockedByAnother(query->lastError()))
        refuse(RecordSetError::Cause::Database, "is locked by another program: " + file.string());
      refuse(RecordSetError::Cause::RecordSource, reasonOf(query->lastError()));
    }
    position = 0;
    broken = false;
  }

  // Moves the query's cursor on to `record`; false when the records end
  // first (or the query fails: see failed()).
  bool skipTo(std::int64_t record) {
    while (position < record) {
      if (!query->next()) return false;
      ++position;
    }
    return true;
  }

  [[nodiscard]] std::vector<std::string> fieldNames() const {
    std::vector<std::string> names;
    const QSqlRecord fields = query->record();
    for (int i = 0; i < fields.count(); ++i) names.push_back(fields.fieldName(i).toStdString());
    return names;
  }

  // The query stopped on an error rather than at the end of its records.
  [[nodiscard]] bool failed() const { return query->lastError().isValid(); }

  // The file at the database's path is no longer the one the query ran on.
  [[nodiscard]] bool fileChanged() const { return !FileState::of(file).sameAs(state); }

  static inline std::atomic<int> made{0};
  QString name;
  std::filesystem::path file;
  QSqlDatabase database;
  std::optional<QSqlQuery> query;
  QString sql;
  std::int64_t position = 0;  // the record the next step of the query gives
  FileState state;            // the file when the query last ran from its start
  bool broken = false;        // a read failed: the query must run again before the next
};

std::string RecordSet::queryOf(const std::string& recordSource) {
  const std::string source = trimmed(recordSource);
  if (source.empty()) refuse(RecordSetError::Cause::RecordSource, "is empty");
  if (isTableName(source)) return "SELECT * FROM \"" + source + "\"";
  const std::string keyword = firstWord(source);
  if (keyword != "SELECT" && keyword != "WITH")
    refuse(RecordSetError::Cause::RecordSource, "must be a table name or a SELECT statement");
  if (!staysOneStatement(source))
    refuse(RecordSetError::Cause::RecordSource,
           "must be one SELECT statement: a ';', an unmatched ')', an unclosed quote or comment or a NUL ends it early");
  // The new line ends a trailing comment before the closing parenthesis.
  return "SELECT * FROM (" + source + "\n)";
}

std::unique_ptr<RecordSet> RecordSet::open(const std::filesystem::path& database, const std::string& recordSource) {
  checkDatabaseFile(database);
  const std::string sql = queryOf(recordSource);

  std::unique_ptr<Connection> connection = Connection::open(database);
  connection->sql = QString::fromStdString(sql);
  const std::optional<std::int64_t> counted = countRecords(connection->database, connection->sql);

  connection->run();
  auto records = std::make_unique<RecordSet>(Key(), std::move(connection));
  // Past what was counted there may be more: one more is assumed, and found
  // or not when the reading gets there.
  records->countComplete_ = counted && *counted <= CountedAtOpen;
  records->count_ = records->countComplete_ ? *counted : std::max<std::int64_t>(counted.value_or(0), 1);
  records->runs_ = 1;
  records->fields_ = records->connection_->fieldNames();
  return records;
}

RecordSet::RecordSet(Key, std::unique_ptr<Connection> connection) : connection_(std::move(connection)) {}

RecordSet::~RecordSet() = default;

bool RecordSet::readOnly() const {
  sqlite3* handle = handleOf(connection_->database);
  return handle != nullptr && sqlite3_db_readonly(handle, "main") == 1;
}

int RecordSet::fieldIndex(const std::string& name) const {
  for (std::size_t i = 0; i < fields_.size(); ++i)
    if (equalsNoCase(fields_[i], name)) return static_cast<int>(i);
  return -1;
}

const std::string& RecordSet::text(std::int64_t record, int field) {
  static const std::string none;
  const Record& values = this->record(record);
  return field >= 0 && static_cast<std::size_t>(field) < values.size() ? values[static_cast<std::size_t>(field)] : none;
}

const RecordSet::Record& RecordSet::record(std::int64_t index) {
  static const Record none;
  if (index < 0 || index >= count_) return none;
  Block& block = blockHolding(index);
  const auto offset = static_cast<std::size_t>(index - block.first);
  if (offset >= block.records.size()) return none;  // the database lost records since it was counted
  return block.records[offset];
}

RecordSet::Block& RecordSet::blockHolding(std::int64_t index) {
  const std::int64_t first = index / BlockSize * BlockSize;
  ++uses_;
  for (Block& block : blocks_)
    if (block.first == first && !block.records.empty()) {
      block.lastUse = uses_;
      return block;
    }
  Block* target = nullptr;
  if (blocks_.size() < BlocksKept) {
    target = &blocks_.emplace_back();
  } else {
    target = &*std::min_element(blocks_.begin(), blocks_.end(),
                                [](const Block& a, const Block& b) { return a.lastUse < b.lastUse; });
  }
  readBlock(*target, first);
  target->lastUse = uses_;
  return *target;
}

void RecordSet::readBlock(Block& block, std::int64_t first) {
  block.first = first;
  block.records.clear();
  if (connection_->fileChanged()) {
    runAgain(Afresh::OnTheFileAsItIsNow);
  } else if (connection_->position > first || connection_->broken) {
    // A forward-only query cannot step back: run it again from its start.
    runAgain(Afresh::OnTheSameConnection);
  }
  Connection& connection = *connection_;
  if (!connection.skipTo(first)) {
    if (connection.failed()) failedReading(connection);
    endAt(connection.position);
    return;
  }
  const int fields = static_cast<int>(fields_.size());
  std::vector<Record> records;
  while (static_cast<std::int64_t>(records.size()) < BlockSize && connection.query->next()) {
    ++connection.position;
    Record& record = records.emplace_back();
    record.reserve(static_cast<std::size_t>(fields));
    for (int f = 0; f < fields; ++f) record.push_back(fieldText(connection.query->value(f)));
  }
  // A value past the longest a query may make stops the query, as does a
  // database damaged under it.
  if (connection.failed()) failedReading(connection);
  block.records = std::move(records);
  const auto read = static_cast<std::int64_t>(block.records.size());
  if (read < BlockSize) {
    endAt(first + read);
  } else if (!countComplete_) {
    count_ = std::max(count_, first + read + 1);  // the next block may hold more
  }
}

// The database went away or changed under the grid: a run-time error of the
// job. The file is named unless the problem names it already.
[[noreturn]] void RecordSet::failedReading(const std::string& what, const std::string& problem) const {
  const std::string file = connection_->file.string();
  const bool named = problem.find(file) != std::string::npos;
  raise(err::InvalidProcedureCall, what + ": " + problem + (named ? "" : " (" + file + ")"));
}

[[noreturn]] void RecordSet::failedReading(Connection& connection) {
  // The records after a failure are read again from the start.
  connection.broken = true;
  failedReading("The grid's records cannot be read", reasonOf(connection.query->lastError()));
}

void RecordSet::runAgain(Afresh afresh) {
  try {
    if (afresh == Afresh::OnTheFileAsItIsNow) {
      // The connection reads the file it opened: a file put in its place, or
      // one cut short or written over, is read only by a new connection.
      const std::filesystem::path& file = connection_->file;
      std::error_code error;
      if (std::filesystem::is_regular_file(file, error) && std::filesystem::file_size(file, error) == 0)
        refuse(RecordSetError::Cause::Database, "is empty: " + file.string());
      std::unique_ptr<Connection> fresh = Connection::open(file);
      fresh->sql = connection_->sql;
      connection_ = std::move(fresh);
    }
    connection_->run();
    if (connection_->fieldNames() != fields_)
      refuse(RecordSetError::Cause::RecordSource, "gives other fields than when the grid was bound");
  } catch (const RecordSetError& error) {
    connection_->broken = true;
    failedReading("The grid's records cannot be read again", error.problem);
  }
  ++runs_;
}

// The count taken at open is a hint: a query that yields fewer records (one
// of random rows, or a database changed by another program since) ends
// where its records end.
void RecordSet::endAt(std::int64_t records) {
  count_ = countComplete_ ? std::min(count_, records) : records;
  countComplete_ = true;
}

}  // namespace host
