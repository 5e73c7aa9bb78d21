// The chart control: its table, properties, form-file data and the chart
// picture drawn with Qt Charts into an image (no window is shown).
#include <QApplication>
#include <QGraphicsScene>
#include <QPainter>
#include <QtCharts/QAreaSeries>
#include <QtCharts/QBarCategoryAxis>
#include <QtCharts/QBarSeries>
#include <QtCharts/QBarSet>
#include <QtCharts/QChart>
#include <QtCharts/QLegend>
#include <QtCharts/QLineSeries>
#include <QtCharts/QPieSeries>
#include <QtCharts/QValueAxis>
#include <algorithm>
#include <cmath>
#include <memory>

#include "host/HostError.h"
#include "host/Lang.h"
#include "host/PictureImpl.h"
#include "host/Runtime.h"
#include "host/SysColors.h"
#include "host/model/Chart.h"
#include "host/model/FormData.h"
#include "host/model/ModelErrors.h"

namespace host {

namespace {

// A table larger than this is refused: a chart of it could not be read anyway.
constexpr int MaximumRowsOrColumns = 4096;

enum class ChartKind { Bar, Line, Area, Step, Combination, Pie, XY };

ChartKind kindOf(int chartType) {
  switch (chartType) {
    case 2: case 3: return ChartKind::Line;
    case 4: case 5: return ChartKind::Area;
    case 6: case 7: return ChartKind::Step;
    case 8: case 9: return ChartKind::Combination;
    case 14: return ChartKind::Pie;
    case 16: return ChartKind::XY;
    default: return ChartKind::Bar;
  }
}

QString qtext(const std::string& text) { return QString::fromStdString(text); }

QColor qcolor(std::int32_t hostColor) {
  const Rgb rgb = colorFromHost(hostColor);
  return QColor(rgb.red, rgb.green, rgb.blue);
}

// Values an axis can step through as they are. Qt Charts divides an axis's
// span into ticks and pixels: a span past the largest double (1e308 against
// -1e308, or a stack of large values) comes out infinite and the axis NaN, and
// nothing is drawn. Values beyond this are drawn divided by a power of ten
// that the axis names in its title.
constexpr long double LargestPlainValue = 1e300L;
// Scaled values reach about this far from 0.
constexpr int ScaledDigits = 3;

// The power of ten values up to `magnitude` are drawn divided by; 0 when
// they are drawn as they are. Magnitudes are added up in long double, whose
// range holds the sum of any table's doubles.
int scaleExponent(long double magnitude) {
  if (!(magnitude > LargestPlainValue)) return 0;
  return static_cast<int>(std::floor(std::log10(magnitude))) - ScaledDigits;
}

}  // namespace

// --- the table ----------------------------------------------------------------

int ChartTable::columnCount() const {
  std::size_t columns = 0;
  for (const auto& row : rows) columns = std::max(columns, row.size());
  return static_cast<int>(columns);
}

double ChartTable::value(int row, int column) const {
  if (row < 0 || row >= rowCount() || column < 0) return 0;
  const auto& values = rows[static_cast<std::size_t>(row)];
  return static_cast<std::size_t>(column) < values.size() ? values[static_cast<std::size_t>(column)] : 0;
}

std::string ChartTable::rowLabel(int row) const {
  if (row >= 0 && static_cast<std::size_t>(row) < rowLabels.size()) return rowLabels[static_cast<std::size_t>(row)];
  return "R" + std::to_string(row + 1);
}

std::string ChartTable::columnLabel(int column) const {
  if (column >= 0 && static_cast<std::size_t>(column) < columnLabels.size())
    return columnLabels[static_cast<std::size_t>(column)];
  return "C" + std::to_string(column + 1);
}

// --- drawing ------------------------------------------------------------------

namespace {

class ChartBuilder {
 public:
  ChartBuilder(QChart& chart, const ChartTable& table) : chart_(chart), table_(table) {}

  void build(ChartKind kind) {
    const int columns = table_.columnCount();
    switch (kind) {
      case ChartKind::Area: valueExponent_ = scaleExponent(magnitude(0, columns, 1, /*summed=*/true)); break;
      case ChartKind::Pie: valueExponent_ = scaleExponent(pieMagnitude()); break;
      case ChartKind::XY:
        valueExponent_ = scaleExponent(magnitude(1, columns, 2, false));
        xExponent_ = scaleExponent(magnitude(0, columns, 2, false));
        break;
      default: valueExponent_ = scaleExponent(magnitude(0, columns, 1, false)); break;
    }
    switch (kind) {
      case ChartKind::Bar: return bars(columns);
      case ChartKind::Line: return lines(0, columns, /*steps=*/false);
      case ChartKind::Step: return lines(0, columns, /*steps=*/true);
      case ChartKind::Area: return areas();
      case ChartKind::Combination: return combination();
      case ChartKind::Pie: return pie();
      case ChartKind::XY: return xy();
    }
  }

 private:
  // A value as drawn: divided by the axis's power of ten; a value that is no
  // number (the table refuses them, see MSChart::set) counts as 0.
  [[nodiscard]] static double drawn(double value, int exponent) {
    if (!std::isfinite(value)) return 0;
    if (exponent == 0) return value;
    return static_cast<double>(static_cast<long double>(value) / std::pow(10.0L, exponent));
  }
  [[nodiscard]] double plotted(int row, int column) const { return drawn(table_.value(row, column), valueExponent_); }

  // The largest magnitude of the columns from, from + step, ... below to,
  // or of any row's sum of them when they are stacked.
  [[nodiscard]] long double magnitude(int from, int to, int step, bool summed) const {
    long double most = 0;
    for (int r = 0; r < table_.rowCount(); ++r) {
      long double sum = 0;
      for (int c = from; c < to; c += step) {
        const double v = drawn(table_.value(r, c), 0);
        const long double size = std::fabs(static_cast<long double>(v));
        sum = summed ? sum + size : std::max(sum, size);
      }
      most = std::max(most, sum);
    }
    return most;
  }

  // A pie's slices are added up into its whole.
  [[nodiscard]] long double pieMagnitude() const {
    long double sum = 0;
    for (const double v : pieValues()) sum += v;
    return sum;
  }

  // The slices: the rows sized by the first column; a single row has
  // nothing to compare down its column, so its columns are the slices.
  [[nodiscard]] std::vector<double> pieValues() const {
    std::vector<double> values;
    const bool oneRow = table_.rowCount() == 1;
    const int count = oneRow ? table_.columnCount() : table_.rowCount();
    for (int i = 0; i < count; ++i)
      values.push_back(std::max(0.0, drawn(oneRow ? table_.value(0, i) : table_.value(i, 0), 0)));
    return values;
  }

  static void nameScale(QValueAxis& axis, int exponent) {
    if (exponent != 0) axis.setTitleText(QStringLiteral("\u00d7 1e%1").arg(exponent));
  }

  QBarCategoryAxis* categoryAxis() {
    if (categories_ == nullptr) {
      auto axis = std::make_unique<QBarCategoryAxis>();
      for (int r = 0; r < table_.rowCount(); ++r) axis->append(qtext(table_.rowLabel(r)));
      categories_ = axis.release();
      chart_.addAxis(categories_, Qt::AlignBottom);  // the chart owns its axes
    }
    return categories_;
  }

  QValueAxis* valueAxis() {
    if (values_ == nullptr) {
      auto axis = std::make_unique<QValueAxis>();
      nameScale(*axis, valueExponent_);
      values_ = axis.release();
      chart_.addAxis(values_, Qt::AlignLeft);
    }
    return values_;
  }

  // The chart takes ownership of each series it is given.
  template <class Series>
  Series* add(std::unique_ptr<Series> series, bool categorised = true) {
    Series* added = series.release();
    chart_.addSeries(added);
    if (categorised) added->attachAxis(categoryAxis());
    added->attachAxis(valueAxis());
    return added;
  }

  void bars(int columns) {
    auto series = std::make_unique<QBarSeries>();
    for (int c = 0; c < columns; ++c) {
      auto set = std::make_unique<QBarSet>(qtext(table_.columnLabel(c)));
      for (int r = 0; r < table_.rowCount(); ++r) set->append(plotted(r, c));
      series->append(set.release());  // the series owns its sets
    }
    add(std::move(series));
    fitValues(0, columns, false);
  }

  void lines(int from, int to, bool steps) {
    for (int c = from; c < to; ++c) {
      auto series = std::make_unique<QLineSeries>();
      series->setName(qtext(table_.columnLabel(c)));
      for (int r = 0; r < table_.rowCount(); ++r) {
        const double v = plotted(r, c);
        if (steps) {
          series->append(r - 0.5, v);
          series->append(r + 0.5, v);
        } else {
          series->append(r, v);
        }
      }
      add(std::move(series));
    }
    fitValues(from, to, false);
  }

  void areas() {
    std::vector<double> base(static_cast<std::size_t>(table_.rowCount()), 0.0);
    for (int c = 0; c < table_.columnCount(); ++c) {
      auto lower = std::make_unique<QLineSeries>();
      auto upper = std::make_unique<QLineSeries>();
      for (int r = 0; r < table_.rowCount(); ++r) {
        double& level = base[static_cast<std::size_t>(r)];
        lower->append(r, level);
        level += plotted(r, c);
        upper->append(r, level);
      }
      // An area series does not own its boundary lines: they become its
      // children, so they go with it.
      auto area = std::make_unique<QAreaSeries>();
      upper->setParent(area.get());
      lower->setParent(area.get());
      area->setUpperSeries(upper.release());
      area->setLowerSeries(lower.release());
      area->setName(qtext(table_.columnLabel(c)));
      add(std::move(area));
    }
    fitValues(0, table_.columnCount(), true);
  }

  void combination() {
    const int columns = table_.columnCount();
    if (columns < 2) return bars(columns);
    bars(columns - 1);
    lines(columns - 1, columns, false);
    fitValues(0, columns, false);
  }

  void pie() {
    auto series = std::make_unique<QPieSeries>();
    const bool oneRow = table_.rowCount() == 1;
    const std::vector<double> values = pieValues();
    for (std::size_t i = 0; i < values.size(); ++i) {
      const int at = static_cast<int>(i);
      series->append(qtext(oneRow ? table_.columnLabel(at) : table_.rowLabel(at)), drawn(values[i], valueExponent_));
    }
    chart_.addSeries(series.release());
  }

  void xy() {
    auto xAxis = std::make_unique<QValueAxis>();
    nameScale(*xAxis, xExponent_);
    QValueAxis* horizontal = xAxis.release();
    chart_.addAxis(horizontal, Qt::AlignBottom);
    double low = 0, high = 1;
    bool any = false;
    for (int c = 0; c + 1 < table_.columnCount(); c += 2) {
      auto series = std::make_unique<QLineSeries>();
      series->setName(qtext(table_.columnLabel(c + 1)));
      series->setPointsVisible(true);
      for (int r = 0; r < table_.rowCount(); ++r) {
        const double x = drawn(table_.value(r, c), xExponent_);
        series->append(x, plotted(r, c + 1));
        low = any ? std::min(low, x) : x;
        high = any ? std::max(high, x) : x;
        any = true;
      }
      add(std::move(series), /*categorised=*/false)->attachAxis(horizontal);
    }
    horizontal->setRange(low, high > low ? high : low + 1);
    fitValues(1, table_.columnCount(), false, 2);
  }

  // The value axis from 0 (or the lowest value) to the highest, with some room above.
  void fitValues(int from, int to, bool stacked, int step = 1) {
    if (values_ == nullptr) return;
    double low = 0, high = 0;
    for (int r = 0; r < table_.rowCount(); ++r) {
      double sum = 0;
      for (int c = from; c < to; c += step) {
        const double v = plotted(r, c);
        sum += v;
        low = std::min(low, stacked ? sum : v);
        high = std::max(high, stacked ? sum : v);
      }
    }
    if (high <= low) high = low + 1;
    values_->setRange(low, high + (high - low) * 0.05);
    values_->applyNiceNumbers();
  }

  QChart& chart_;
  const ChartTable& table_;
  QBarCategoryAxis* categories_ = nullptr;
  QValueAxis* values_ = nullptr;
  int valueExponent_ = 0;  // the values are drawn divided by 10 to this power
  int xExponent_ = 0;      // and an XY chart's x values by 10 to this one
};

// The part of a title a chart `width` pixels wide can show. Qt Charts elides a
// title that does not fit on its line by taking one character off at a time
// and measuring it again, which costs the square of the title's length (a
// title of a few ten thousand characters took seconds); a line shows no more
// characters than it has pixels, so the rest is left out before (with room
// to spare for characters that take no width).
QString shownTitle(const std::string& title, int width) {
  QString text = qtext(title);
  const qsizetype most = 2 * static_cast<qsizetype>(std::max(width, 1)) + 16;
  if (text.size() <= most) return text;
  text.truncate(most);
  if (text.back().isHighSurrogate()) text.chop(1);
  return text;
}

// The most pixels one chart picture holds: two 8K screens' worth. A chart
// larger than that (a chart made 2,000,000 twips wide and high asked for
// 80 GB, and came out as no picture at all) is laid out at its size and drawn
// at a lower resolution, which a copy of it stretches back.
constexpr double MostChartPixels = 1 << 26;

// The chart laid out at `shown` pixels and drawn into an image of `stored`
// pixels (the same or fewer).
QImage drawChart(const ChartTable& table, ChartKind kind, const std::string& title, bool legend, QColor background,
                 QSize shown, QSize stored) {
  QImage image(stored, QImage::Format_RGB32);
  if (image.isNull()) return image;
  QGraphicsScene scene;
  auto owned = std::make_unique<QChart>();
  QChart* chart = owned.get();
  scene.addItem(owned.release());  // the scene owns the chart
  chart->setAnimationOptions(QChart::NoAnimation);
  chart->setBackgroundRoundness(0);
  chart->setBackgroundBrush(background);
  chart->setTitle(shownTitle(title, shown.width()));
  ChartBuilder(*chart, table).build(kind);
  chart->legend()->setVisible(legend);
  chart->legend()->setAlignment(Qt::AlignRight);
  chart->setGeometry(0, 0, shown.width(), shown.height());
  scene.setSceneRect(0, 0, shown.width(), shown.height());

  image.fill(background);
  QPainter painter(&image);
  painter.setRenderHint(QPainter::Antialiasing);
  scene.render(&painter, QRectF(0, 0, stored.width(), stored.height()), QRectF(0, 0, shown.width(), shown.height()),
               Qt::IgnoreAspectRatio);
  painter.end();
  return image;
}

}  // namespace

// --- the control ----------------------------------------------------------------

MSChart::MSChart() {
  declareExtender();
  declare({"ChartType", ValueType::Integer, 1});
  declare({"TitleText", ValueType::String, ""});
  declare({"ShowLegend", ValueType::Boolean, false});
  declare({"BackColor", ValueType::Long, 0xFFFFFF});
  declare({"Enabled", ValueType::Boolean, true});
  store("Width", Value(4800));
  store("Height", Value(3600));
  giveWindow();
}

void MSChart::setTable(ChartTable table) {
  table_ = std::move(table);
  row_ = std::clamp(row_, 1, std::max(1, table_.rowCount()));
  column_ = std::clamp(column_, 1, std::max(1, table_.columnCount()));
}

void MSChart::resizeTable(int rows, int columns) {
  if (rows < 0 || columns < 0 || rows > MaximumRowsOrColumns || columns > MaximumRowsOrColumns)
    raise(err::InvalidPropertyValue, "Invalid property value");
  table_.rows.resize(static_cast<std::size_t>(rows));
  for (auto& row : table_.rows) row.resize(static_cast<std::size_t>(columns), 0.0);
  setTable(std::move(table_));
}

int MSChart::currentRow() const { return row_ - 1; }
int MSChart::currentColumn() const { return column_ - 1; }

Value MSChart::get(std::string_view name, Args index) const {
  if (equalsNoCase(name, "RowCount")) return Value(static_cast<std::int16_t>(table_.rowCount()));
  if (equalsNoCase(name, "ColumnCount")) return Value(static_cast<std::int16_t>(table_.columnCount()));
  if (equalsNoCase(name, "Row")) return Value(static_cast<std::int16_t>(row_));
  if (equalsNoCase(name, "Column")) return Value(static_cast<std::int16_t>(column_));
  if (equalsNoCase(name, "Data")) return Value(table_.value(currentRow(), currentColumn()));
  if (equalsNoCase(name, "RowLabel")) return Value(table_.rowLabel(currentRow()));
  if (equalsNoCase(name, "ColumnLabel")) return Value(table_.columnLabel(currentColumn()));
  return Control::get(name, index);
}

void MSChart::set(std::string_view name, const Value& value, Args index) {
  if (equalsNoCase(name, "RowCount")) return resizeTable(value.toInteger(), table_.columnCount());
  if (equalsNoCase(name, "ColumnCount")) return resizeTable(table_.rowCount(), value.toInteger());
  if (equalsNoCase(name, "Row") || equalsNoCase(name, "Column")) {
    const int wanted = value.toInteger();
    const int count = equalsNoCase(name, "Row") ? table_.rowCount() : table_.columnCount();
    if (wanted < 1 || wanted > std::max(1, count)) raise(err::InvalidPropertyValue, "Invalid property value");
    (equalsNoCase(name, "Row") ? row_ : column_) = wanted;
    return;
  }
  if (equalsNoCase(name, "Data")) {
    if (currentRow() >= table_.rowCount() || currentColumn() >= table_.columnCount())
      raise(err::InvalidPropertyValue, "Invalid property value: the chart has no such data point");
    const double number = value.toDouble();
    // A chart has no place for a value beyond every number (or none).
    if (!std::isfinite(number))
      raise(err::InvalidPropertyValue, "Invalid property value: chart data must be a finite number");
    table_.rows[static_cast<std::size_t>(currentRow())][static_cast<std::size_t>(currentColumn())] = number;
    return;
  }
  if (equalsNoCase(name, "RowLabel") || equalsNoCase(name, "ColumnLabel")) {
    const bool row = equalsNoCase(name, "RowLabel");
    auto& labels = row ? table_.rowLabels : table_.columnLabels;
    const int at = row ? currentRow() : currentColumn();
    if (labels.size() <= static_cast<std::size_t>(at)) {
      const std::size_t before = labels.size();
      labels.resize(static_cast<std::size_t>(at) + 1);
      for (std::size_t i = before; i < labels.size(); ++i)
        labels[i] = row ? table_.rowLabel(static_cast<int>(i)) : table_.columnLabel(static_cast<int>(i));
    }
    labels[static_cast<std::size_t>(at)] = value.toString();
    return;
  }
  Control::set(name, value, index);
}

Value MSChart::call(std::string_view name, Args args) {
  if (equalsNoCase(name, "EditCopy")) {
    if (!args.empty()) raise(model_err::WrongArguments, "Wrong number of arguments: EditCopy");
    ui().setClipboardPicture(chartPicture());
    return {};
  }
  return Control::call(name, args);
}

Picture MSChart::chartPicture() const {
  // Qt Charts draws through the widget styles: it needs a widget application.
  if (qobject_cast<QApplication*>(QCoreApplication::instance()) == nullptr)
    raise(err::InvalidProcedureCall, "Invalid procedure call: a chart can only be drawn in a widget application");
  const int width = std::max(1, static_cast<int>(CLng(stored("Width").toDouble() / TwipsPerPixel)));
  const int height = std::max(1, static_cast<int>(CLng(stored("Height").toDouble() / TwipsPerPixel)));
  const QSize shown(width, height);
  const QSize pixels = storedSizeWithin(shown, MostChartPixels);
  QImage image = drawChart(table_, kindOf(stored("ChartType").toInteger()), stored("TitleText").toString(),
                           stored("ShowLegend").toBool(), qcolor(stored("BackColor").toLong()), shown, pixels);
  if (image.isNull())
    raise(model_err::OutOfMemory, "Out of memory: the chart " + get("Name").toString() + " cannot be drawn at " +
                                std::to_string(pixels.width()) + " x " + std::to_string(pixels.height()) + " pixels");
  return pictureShownAt(std::move(image), {width, height});
}

// --- form-file data -------------------------------------------------------------

namespace {

class ChartCodec final : public FormDataCodec {
 public:
  std::vector<std::string_view> keys() const override { return {"ChartData", "RowLabels", "ColumnLabels"}; }

  void load(Control& control, const FormDataReader& data) const override {
    auto& chart = dynamic_cast<MSChart&>(control);
    ChartTable table = chart.table();
    if (auto rows = data.value("ChartData")) readRows(data, *rows, table);
    if (auto labels = data.value("RowLabels")) table.rowLabels = texts(data, *labels, data.spelling("RowLabels"));
    if (auto labels = data.value("ColumnLabels"))
      table.columnLabels = texts(data, *labels, data.spelling("ColumnLabels"));
    chart.setTable(std::move(table));
  }

  void save(const Control& control, FormDataWriter& out) const override {
    const ChartTable& table = dynamic_cast<const MSChart&>(control).table();
    if (table.rows.empty()) return;
    Json rows = Json::array();
    for (const auto& row : table.rows) {
      Json values = Json::array();
      for (double v : row) values.push(Json::number(v));
      rows.push(std::move(values));
    }
    out.add("ChartData", std::move(rows));
    if (!table.rowLabels.empty()) out.add("RowLabels", textArray(table.rowLabels));
    if (!table.columnLabels.empty()) out.add("ColumnLabels", textArray(table.columnLabels));
  }

 private:
  static void readRows(const FormDataReader& data, const QJsonValue& json, ChartTable& table) {
    const std::string key = data.spelling("ChartData");
    const std::vector<QJsonValue> rows = data.array(json, key);
    if (rows.size() > static_cast<std::size_t>(MaximumRowsOrColumns)) data.fail(key, "has too many rows");
    table.rows.clear();
    std::vector<std::string> labels;
    for (std::size_t r = 0; r < rows.size(); ++r) {
      const std::string rowKey = key + "[" + std::to_string(r) + "]";
      const std::vector<QJsonValue> cells = data.array(rows[r], rowKey);
      if (cells.size() > static_cast<std::size_t>(MaximumRowsOrColumns)) data.fail(rowKey, "has too many values");
      std::vector<double> values;
      for (std::size_t c = 0; c < cells.size(); ++c) {
        const std::string cellKey = rowKey + "[" + std::to_string(c) + "]";
        if (c == 0 && cells[c].isString()) {
          labels.resize(r + 1);
          labels[r] = data.text(cells[c], cellKey);
        } else if (cells[c].isNull()) {
          values.push_back(0);
        } else {
          values.push_back(data.number(cells[c], cellKey));
        }
      }
      table.rows.push_back(std::move(values));
    }
    if (!labels.empty()) {
      labels.resize(rows.size());
      for (std::size_t r = 0; r < labels.size(); ++r)
        if (labels[r].empty()) labels[r] = "R" + std::to_string(r + 1);
      table.rowLabels = std::move(labels);
    }
  }

  static std::vector<std::string> texts(const FormDataReader& data, const QJsonValue& json, const std::string& key) {
    std::vector<std::string> result;
    const std::vector<QJsonValue> items = data.array(json, key);
    for (std::size_t i = 0; i < items.size(); ++i)
      result.push_back(data.text(items[i], key + "[" + std::to_string(i) + "]"));
    return result;
  }

  static Json textArray(const std::vector<std::string>& texts) {
    Json array = Json::array();
    for (const std::string& text : texts) array.push(Json::string(text));
    return array;
  }
};

}  // namespace

const FormDataCodec* MSChart::formData() const {
  static const ChartCodec codec;
  return &codec;
}

}  // namespace host
