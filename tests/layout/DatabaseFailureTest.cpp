// A data grid's database failing while a print or preview job reads it: the
// file removed, cut short or written over by another program, locked by
// another connection, or changed by another writer, between two blocks of
// the records the grid reads as the job goes. The job ends with a run-time
// error that names the failure (or prints the records as they can be read
// now), the program neither crashes nor waits without end, and the database
// is never written by the grid.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>

#include "TestSupport.h"
#include "host/Window.h"
#include "host/model/DataGridControls.h"
#include "layout/PrintJob.h"
#include "preview/Prview.h"
#include "printctl/VelloraHarness.h"

namespace {

namespace fs = std::filesystem;
using host::Value;
using velloratest::Harness;

// More records than the record set keeps in its blocks (4 of 256): a second
// pass over them runs the query again.
constexpr int Records = 1100;

enum class JobKind { Print, Preview };
// When the database fails: between the second and third block of the
// grid's first band, or after the first band read the last record and
// before the second band reads the first again.
enum class Moment { BetweenBlocks, BeforeSecondBand };

std::string nameOf(JobKind job) { return job == JobKind::Print ? "print" : "preview"; }
std::string nameOf(Moment moment) {
  return moment == Moment::BetweenBlocks ? "between blocks" : "before the second band";
}

// The file's modification time, to the nanosecond.
std::optional<timespec> modified(const fs::path& file) {
  struct stat info {};
  if (stat(file.c_str(), &info) != 0) return std::nullopt;
  return info.st_mtim;
}

bool sameTime(const std::optional<timespec>& a, const std::optional<timespec>& b) {
  return a.has_value() == b.has_value() && (!a || (a->tv_sec == b->tv_sec && a->tv_nsec == b->tv_nsec));
}

// Another program's connection to the database, writing or holding a lock.
class OtherConnection {
 public:
  explicit OtherConnection(const fs::path& file) : name_(QStringLiteral("another-program-%1").arg(++made_)) {
    QSqlDatabase database = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name());
    database.setDatabaseName(QString::fromStdString(file.string()));
    // It gives up at once rather than wait for the grid's reading.
    database.setConnectOptions(QStringLiteral("QSQLITE_BUSY_TIMEOUT=0"));
    opened_ = database.open();
  }
  OtherConnection(const OtherConnection&) = delete;
  OtherConnection& operator=(const OtherConnection&) = delete;
  ~OtherConnection() {
    {
      QSqlDatabase database = QSqlDatabase::database(name(), false);
      if (database.isOpen()) QSqlQuery(database).exec(QStringLiteral("ROLLBACK"));
      database.close();
    }
    QSqlDatabase::removeDatabase(name());
  }
  // Runs `sql`; the error's text when it fails.
  std::string run(const std::string& sql) {
    if (!opened_) return "not opened";
    QSqlQuery query(QSqlDatabase::database(name(), false));
    return query.exec(QString::fromStdString(sql)) ? std::string() : query.lastError().text().toStdString();
  }

 private:
  [[nodiscard]] const QString& name() const { return name_; }
  static inline int made_ = 0;
  QString name_;
  bool opened_ = false;
};

class DatabaseFailure : public testing::Test {
 protected:
  void SetUp() override {
    folder_ = testsupport::makeTempDir("vellora-database-failure");
    original_ = folder_ / "original.sqlite";
    testsupport::makeDatabase(original_, testsupport::ordersTable(Records));
    database_ = folder_ / "orders.sqlite";
  }
  void TearDown() override { fs::remove_all(folder_); }

  // A fresh form whose grid reads a fresh copy of the database. For a
  // failure before the second band its columns are wider than the page, so
  // that the grid prints in bands, each reading every record; otherwise the
  // grid is one band, read once.
  void makeForm(JobKind job, Moment moment) {
    harness_.reset();
    fs::remove(database_);
    fs::copy_file(original_, database_);
    harness_ = std::make_unique<Harness>(96);
    grid_ = harness_->add("DataGrid", "Orders", {{"Left", 0}, {"Top", 0}, {"Height", 60 + 6 * 255}});
    dynamic_cast<host::DataGrid&>(*grid_).bind(database_, "orders");
    const double width = moment == Moment::BeforeSecondBand ? 6000 : 1500;
    for (int c = 0; c < 3; ++c) grid_->get("Columns", {Value(c)}).toObject()->set("Width", Value(width));
    job_ = job;
    acted_ = false;
  }
  bool runJob() {
    return job_ == JobKind::Print ? harness_->control->LVPrint() : harness_->control->Preview();
  }

  // The job's pages: the printed ones, or the preview's.
  std::vector<host::Picture> pages() const {
    return job_ == JobKind::Print ? harness_->env.printer->pages() : harness_->previewPages();
  }

  // Runs `action` at the first yield of the job where the grid has reached `moment`.
  void actAt(Moment moment, std::function<void()> action) {
    bool pastFirstBand = false;
    const auto due = [this, moment, pastFirstBand]() mutable {
      const std::int64_t first = grid_->get("FirstRow").toLong();
      if (moment == Moment::BetweenBlocks) return first >= 300;  // block 1 read, block 2 not yet
      if (first >= Records - 100) pastFirstBand = true;
      return pastFirstBand && first == 0;
    };
    watch(due, std::move(action), 0);
  }

  // Runs `action` at the first yield at which `due` holds, looking at each
  // yield for as long as a job could take.
  void watch(std::function<bool()> due, std::function<void()> action, int looked) {
    if (looked > 100000) return;
    harness_->env.ui->queue([this, due, action, looked]() mutable {
      if (!due()) return watch(std::move(due), std::move(action), looked + 1);
      acted_ = true;
      action();
    });
  }

  [[nodiscard]] host::RecordSet& records() const { return *dynamic_cast<host::DataGrid&>(*grid_).records(); }
  [[nodiscard]] const std::string& failure() const { return harness_->control->job().FailureText; }
  [[nodiscard]] bool nothingDelivered() const {
    const auto* preview = dynamic_cast<const Prview*>(harness_->control->job().preview.get());
    const bool shown = preview != nullptr && preview->window() != nullptr && preview->window()->isShown();
    return harness_->env.printer->documentsDelivered() == 0 && !shown;
  }

  // The pages of the whole job on the database as it was made.
  const std::vector<host::Picture>& wholeJob(JobKind job, Moment moment) {
    auto& pages = whole_[{job, moment}];
    if (pages.empty()) {
      makeForm(job, moment);
      EXPECT_TRUE(runJob());
      pages = this->pages();
    }
    return pages;
  }

  fs::path folder_, original_, database_;
  std::unique_ptr<Harness> harness_;
  host::ObjectRef grid_;
  JobKind job_ = JobKind::Print;
  bool acted_ = false;
  std::map<std::pair<JobKind, Moment>, std::vector<host::Picture>> whole_;
};

bool samePages(const std::vector<host::Picture>& a, const std::vector<host::Picture>& b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i)
    if (!velloratest::samePixels(a[i], b[i])) return false;
  return true;
}

enum class Damage { Removed, Emptied, CutInHalf, WrittenOver };

// What another program does to the file, and the words of the failure the
// job must name along with the file.
struct DamageCase {
  Damage damage;
  std::string name;
  std::string named;
};

void damage(const fs::path& file, Damage how) {
  switch (how) {
    case Damage::Removed:
      fs::remove(file);
      break;
    case Damage::Emptied:
      fs::resize_file(file, 0);
      break;
    case Damage::CutInHalf:
      fs::resize_file(file, fs::file_size(file) / 2);
      break;
    case Damage::WrittenOver: {
      const std::uintmax_t size = fs::file_size(file);
      std::fstream out(file, std::ios::in | std::ios::out | std::ios::binary);
      for (std::uintmax_t at = 0; at < size; ++at) out.put(static_cast<char>('A' + at % 23));
      break;
    }
  }
}

TEST_F(DatabaseFailure, ADatabaseRemovedCutShortOrWrittenOverMidJobEndsTheJobNamingTheFileAndWhy) {
  const std::vector<DamageCase> cases{{Damage::Removed, "removed", "no such database file"},
                                      {Damage::Emptied, "emptied", "is empty"},
                                      {Damage::CutInHalf, "cut in half", "malformed"},
                                      {Damage::WrittenOver, "written over", "is not an SQLite database"}};
  for (const JobKind job : {JobKind::Print, JobKind::Preview}) {
    for (const Moment moment : {Moment::BetweenBlocks, Moment::BeforeSecondBand}) {
      for (const DamageCase& damaged : cases) {
        SCOPED_TRACE(nameOf(job) + ", " + nameOf(moment) + ", " + damaged.name);
        makeForm(job, moment);
        std::string after;
        std::optional<timespec> afterTime;
        actAt(moment, [&] {
          damage(database_, damaged.damage);
          if (fs::exists(database_)) after = testsupport::fileBytes(database_);
          afterTime = modified(database_);
        });
        EXPECT_FALSE(runJob());
        ASSERT_TRUE(acted_);
        EXPECT_NE(failure().find(damaged.named), std::string::npos) << failure();
        EXPECT_NE(failure().find(database_.string()), std::string::npos) << failure();
        const auto& messages = harness_->env.ui->messages();
        EXPECT_TRUE(!messages.empty() && messages.back().text == "Printer Operation # 5");
        EXPECT_TRUE(nothingDelivered());
        EXPECT_EQ(fs::exists(database_), damaged.damage != Damage::Removed);
        if (fs::exists(database_)) {
          EXPECT_EQ(testsupport::fileBytes(database_), after) << "the grid wrote the database";
          EXPECT_TRUE(sameTime(modified(database_), afterTime)) << "the grid wrote the database";
        }
        EXPECT_FALSE(fs::exists(database_.string() + "-journal"));
      }
    }
  }
}

// After a failure the grid reads its records afresh: the database put back,
// the next job prints every record again, as on the database never damaged.
TEST_F(DatabaseFailure, TheJobAfterAFailedOnePrintsTheWholeGridOnceTheDatabaseIsBack) {
  for (const JobKind job : {JobKind::Print, JobKind::Preview}) {
    SCOPED_TRACE(nameOf(job));
    const std::vector<host::Picture>& whole = wholeJob(job, Moment::BetweenBlocks);
    makeForm(job, Moment::BetweenBlocks);
    const std::string bytes = testsupport::fileBytes(database_);
    actAt(Moment::BetweenBlocks, [&] { damage(database_, Damage::WrittenOver); });
    EXPECT_FALSE(runJob());
    ASSERT_TRUE(acted_);
    std::ofstream(database_, std::ios::binary | std::ios::trunc) << bytes;
    const std::size_t before = job == JobKind::Print ? harness_->env.printer->pages().size() : 0;
    EXPECT_TRUE(runJob()) << failure();
    std::vector<host::Picture> again = pages();
    again.erase(again.begin(), again.begin() + static_cast<std::ptrdiff_t>(before));
    EXPECT_TRUE(samePages(again, whole)) << again.size() << " pages against " << whole.size();
    EXPECT_EQ(records().count(), Records);
  }
}

TEST_F(DatabaseFailure, ADatabaseLockedByAnotherWhenTheGridReadsAfreshEndsTheJobSayingSo) {
  for (const JobKind job : {JobKind::Print, JobKind::Preview}) {
    SCOPED_TRACE(nameOf(job));
    makeForm(job, Moment::BeforeSecondBand);
    const std::string before = testsupport::fileBytes(database_);
    const std::optional<timespec> beforeTime = modified(database_);
    OtherConnection other(database_);
    std::string locking = "not tried";
    actAt(Moment::BeforeSecondBand, [&] { locking = other.run("BEGIN EXCLUSIVE"); });
    EXPECT_FALSE(runJob());
    ASSERT_TRUE(acted_);
    ASSERT_EQ(locking, "") << "the grid still held the database after reading its last record";
    EXPECT_NE(failure().find("is locked by another program: " + database_.string()), std::string::npos)
        << failure();
    EXPECT_TRUE(nothingDelivered());
    EXPECT_EQ(testsupport::fileBytes(database_), before);
    EXPECT_TRUE(sameTime(modified(database_), beforeTime));
  }
}

// Another writer holding the write lock (its change not yet committed) does
// not keep the grid from reading what was committed.
TEST_F(DatabaseFailure, AWriteLockHeldByAnotherLetsTheGridReadEveryRecord) {
  for (const JobKind job : {JobKind::Print, JobKind::Preview}) {
    for (const Moment moment : {Moment::BetweenBlocks, Moment::BeforeSecondBand}) {
      SCOPED_TRACE(nameOf(job) + ", " + nameOf(moment));
      const std::vector<host::Picture>& whole = wholeJob(job, moment);
      makeForm(job, moment);
      OtherConnection other(database_);
      std::string locking = "not tried";
      actAt(moment, [&] {
        locking = other.run("BEGIN IMMEDIATE");
        if (locking.empty()) locking = other.run("DELETE FROM orders WHERE id > 10");
      });
      EXPECT_TRUE(runJob()) << failure();
      ASSERT_TRUE(acted_);
      EXPECT_EQ(locking, "");
      EXPECT_TRUE(samePages(pages(), whole));
    }
  }
}

// Rows another writer deleted or added before the second band read them
// again: the band prints what the database holds now, up to the records
// the grid counted, and ends where they end. A table dropped cannot be read.
TEST_F(DatabaseFailure, RowsAnotherWriterChangedPrintAsTheyCanBeReadAndADroppedTableEndsTheJob) {
  for (const JobKind job : {JobKind::Print, JobKind::Preview}) {
    SCOPED_TRACE(nameOf(job));
    const std::vector<host::Picture>& whole = wholeJob(job, Moment::BeforeSecondBand);

    makeForm(job, Moment::BeforeSecondBand);
    OtherConnection deleting(database_);
    std::string changed = "not tried";
    actAt(Moment::BeforeSecondBand, [&] { changed = deleting.run("DELETE FROM orders WHERE id > 700"); });
    EXPECT_TRUE(runJob()) << failure();
    ASSERT_EQ(changed, "");
    EXPECT_EQ(records().count(), 700) << "the grid ends where the records end";
    EXPECT_LT(pages().size(), whole.size());

    makeForm(job, Moment::BeforeSecondBand);
    OtherConnection adding(database_);
    actAt(Moment::BeforeSecondBand, [&] {
      changed =
          adding.run("INSERT INTO orders SELECT id + 5000, customer, total FROM orders WHERE id <= 300");
    });
    EXPECT_TRUE(runJob()) << failure();
    ASSERT_EQ(changed, "");
    EXPECT_EQ(records().count(), Records) << "the second band prints the records counted";
    EXPECT_TRUE(samePages(pages(), whole));

    makeForm(job, Moment::BeforeSecondBand);
    OtherConnection dropping(database_);
    actAt(Moment::BeforeSecondBand, [&] { changed = dropping.run("DROP TABLE orders"); });
    EXPECT_FALSE(runJob());
    ASSERT_EQ(changed, "");
    EXPECT_NE(failure().find("no such table: orders"), std::string::npos) << failure();
    EXPECT_NE(failure().find(database_.string()), std::string::npos) << failure();
    EXPECT_TRUE(nothingDelivered());
  }
}

TEST_F(DatabaseFailure, TheGridReadsThroughAReadOnlyConnectionAndNeverWritesTheDatabase) {
  for (const JobKind job : {JobKind::Print, JobKind::Preview}) {
    SCOPED_TRACE(nameOf(job));
    makeForm(job, Moment::BeforeSecondBand);
    EXPECT_TRUE(records().readOnly());
    const std::string before = testsupport::fileBytes(database_);
    const std::optional<timespec> beforeTime = modified(database_);
    EXPECT_TRUE(runJob());
    EXPECT_TRUE(runJob()) << "a second job reads the records afresh";
    EXPECT_GE(records().runs(), 2);
    EXPECT_EQ(testsupport::fileBytes(database_), before);
    EXPECT_TRUE(sameTime(modified(database_), beforeTime));
    for (const char* beside : {"-journal", "-wal", "-shm"})
      EXPECT_FALSE(fs::exists(database_.string() + beside));
  }
}

}  // namespace
