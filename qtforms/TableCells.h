#pragma once
// What the table and list adapters of a live form share (implementation
// header of qtforms): a cell's text as its view shows it, its colours,
// alignment and picture in the host's terms, and a watch that tells when a
// model's data or shape changed, so that what an adapter keeps of a model
// (one cell's roles, a tree's flattened rows) is never read stale.
#include <QAbstractItemModel>
#include <QAbstractItemView>
#include <QBrush>
#include <QHeaderView>
#include <QIcon>
#include <QImage>
#include <QPixmap>
#include <QPointer>
#include <QStyledItemDelegate>
#include <cstdint>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

#include "host/HostError.h"
#include "host/QtFont.h"
#include "host/model/Control.h"
#include "qtforms/WidgetControl.h"

namespace qtforms {

// Counts the changes of one model's data, headers, rows and columns. The
// count starts again for another model (a view's model replaced).
class ModelWatch {
 public:
  ModelWatch() = default;
  ModelWatch(const ModelWatch&) = delete;
  ModelWatch& operator=(const ModelWatch&) = delete;
  ~ModelWatch() { disconnect(); }

  // A number that changes whenever `model` changes (or is another model).
  [[nodiscard]] std::uint64_t generation(const QAbstractItemModel* model) {
    if (model != model_.data() || (model != nullptr && connections_.empty())) watch(model);
    return changes_;
  }

 private:
  void watch(const QAbstractItemModel* model) {
    disconnect();
    model_ = model;
    ++changes_;
    if (model == nullptr) return;
    auto bump = [this] { ++changes_; };
    using M = QAbstractItemModel;
    connections_ = {
        QObject::connect(model, &M::dataChanged, bump),     QObject::connect(model, &M::headerDataChanged, bump),
        QObject::connect(model, &M::layoutChanged, bump),   QObject::connect(model, &M::modelReset, bump),
        QObject::connect(model, &M::rowsInserted, bump),    QObject::connect(model, &M::rowsRemoved, bump),
        QObject::connect(model, &M::rowsMoved, bump),       QObject::connect(model, &M::columnsInserted, bump),
        QObject::connect(model, &M::columnsRemoved, bump),  QObject::connect(model, &M::columnsMoved, bump),
        QObject::connect(model, &QObject::destroyed, bump),
    };
  }
  void disconnect() {
    for (const QMetaObject::Connection& connection : connections_) QObject::disconnect(connection);
    connections_.clear();
  }

  QPointer<const QAbstractItemModel> model_;
  std::vector<QMetaObject::Connection> connections_;
  std::uint64_t changes_ = 0;
};

// A value as the view's delegate shows it (numbers and dates in the view's
// locale); line breaks stay line breaks.
[[nodiscard]] inline std::string shownText(const QAbstractItemView& view, const QModelIndex& index,
                                           const QVariant& value) {
  if (!value.isValid()) return {};
  QString text;
  if (const auto* styled = qobject_cast<const QStyledItemDelegate*>(view.itemDelegateForIndex(index))) {
    text = styled->displayText(value, view.locale());
    text.replace(QChar::LineSeparator, QLatin1Char('\n'));
  } else {
    text = value.toString();
  }
  return text.toStdString();
}

[[nodiscard]] inline std::string shownText(const QAbstractItemView& view, const QModelIndex& index) {
  return shownText(view, index, index.data(Qt::DisplayRole));
}

// The colour of a BackgroundRole or ForegroundRole value, if it holds one.
[[nodiscard]] inline std::optional<QColor> colorOf(const QVariant& value) {
  if (value.metaType() == QMetaType::fromType<QBrush>()) {
    const QBrush brush = value.value<QBrush>();
    if (brush.style() == Qt::NoBrush) return std::nullopt;
    return brush.color();
  }
  if (value.metaType() == QMetaType::fromType<QColor>()) return value.value<QColor>();
  return std::nullopt;
}

// A cell's own colour as a host Long. The host reads a cell colour of 0 as
// "none, the grid's colour"; a cell that is really black reads as the
// nearest colour that is not 0, so it does not take the grid's colour.
[[nodiscard]] inline std::int32_t cellColor(const QColor& color) {
  const std::int32_t host = hostColor(color);
  return host == 0 ? 1 : host;
}

// Qt's alignment as a flex grid's cell alignment: 0 to 8 are left, centre
// and right (by threes), each top, centred and bottom.
[[nodiscard]] inline std::int16_t gridAlignment(Qt::Alignment alignment) {
  const int across = alignment & Qt::AlignHCenter ? 1 : alignment & Qt::AlignRight ? 2 : 0;
  const int down = alignment & Qt::AlignTop ? 0 : alignment & Qt::AlignBottom ? 2 : 1;
  return static_cast<std::int16_t>(across * 3 + down);
}

// The alignment a TextAlignmentRole value holds, if any.
[[nodiscard]] inline std::optional<Qt::Alignment> alignmentOf(const QVariant& value) {
  if (!value.isValid()) return std::nullopt;
  return Qt::Alignment(value.toInt());
}

// A DecorationRole value (icon, pixmap, image or colour swatch) as an image
// of `size` (icons and swatches) or its own size; null for none.
[[nodiscard]] inline QImage decorationImage(const QVariant& value, QSize size) {
  if (!value.isValid()) return {};
  if (!size.isValid() || size.isEmpty()) size = QSize(16, 16);
  const QMetaType type = value.metaType();
  if (type == QMetaType::fromType<QIcon>()) return value.value<QIcon>().pixmap(size).toImage();
  if (type == QMetaType::fromType<QPixmap>()) return value.value<QPixmap>().toImage();
  if (type == QMetaType::fromType<QImage>()) return value.value<QImage>();
  if (type == QMetaType::fromType<QColor>()) {
    QImage swatch(size, QImage::Format_RGB32);
    swatch.fill(value.value<QColor>());
    return swatch;
  }
  return {};
}

// The widths of a view's columns as the engine reads and writes them, in
// twips, by logical column: the resizer's writes resize the header's
// sections; a print job's are kept here and read back, so the header never
// changes. Without a header (a list view of several model columns) the
// columns share the view's width.
class ColumnWidths {
 public:
  ColumnWidths(QAbstractItemView& view, QHeaderView* header, bool toWidgets)
      : view_(&view), header_(header), hasHeader_(header != nullptr), toWidgets_(toWidgets) {}

  [[nodiscard]] double twips(int logical) const {
    if (auto kept = kept_.find(logical); kept != kept_.end()) return kept->second;
    if (!hasHeader_) return shared();
    const QHeaderView& header = headerView();
    return header.isSectionHidden(logical) ? 0.0 : static_cast<double>(toTwips(header.sectionSize(logical)));
  }

  void setTwips(int logical, double twips) {
    if (!(twips >= 0) || twips > 2147483647.0) host::raise(host::err::InvalidPropertyValue, "Invalid property value: Width");
    if (!toWidgets_ || !hasHeader_) {
      kept_[logical] = twips;
      return;
    }
    QHeaderView& header = headerView();
    // A hidden section stays hidden: its width of 0 is not the user's to lose.
    if (!header.isSectionHidden(logical)) header.resizeSection(logical, toPixels(twips));
  }

 private:
  [[nodiscard]] QHeaderView& headerView() const {
    if (!header_) host::raise(host::err::ObjectVariableNotSet, "Object variable not set: the header is gone");
    return *header_;
  }
  [[nodiscard]] double shared() const {
    if (!view_) host::raise(host::err::ObjectVariableNotSet, "Object variable not set: the view is gone");
    const int columns = view_->model() != nullptr ? view_->model()->columnCount(view_->rootIndex()) : 0;
    return columns > 0 ? static_cast<double>(toTwips(view_->viewport()->width() / columns)) : 0.0;
  }

  QPointer<QAbstractItemView> view_;
  QPointer<QHeaderView> header_;
  bool hasHeader_;
  bool toWidgets_;
  std::unordered_map<int, double> kept_;
};

// A font object over a widget that is part of a view (a header): read from
// the widget each time; the resizer's writes set the widget's font, a print
// job's are kept here.
class PartFont final : public host::Object {
 public:
  PartFont(QWidget& part, bool toWidgets) : part_(&part), toWidgets_(toWidgets) {}
  [[nodiscard]] std::string typeName() const override { return "Font"; }
  [[nodiscard]] host::Value get(std::string_view name, host::Args index) const override {
    return host::FontObject(current()).get(name, index);
  }
  void set(std::string_view name, const host::Value& value, host::Args index) override {
    host::FontObject font(current());
    font.set(name, value, index);
    if (!toWidgets_) {
      kept_ = font.font();
      return;
    }
    setWidgetFont(part(), font.font());
  }
  using host::Object::get;
  using host::Object::set;

 private:
  [[nodiscard]] QWidget& part() const {
    if (!part_) host::raise(host::err::ObjectVariableNotSet, "Object variable not set: the widget is gone");
    return *part_;
  }
  [[nodiscard]] host::Font current() const { return kept_ ? *kept_ : host::fromQFont(part().font()); }
  QPointer<QWidget> part_;
  bool toWidgets_;
  std::optional<host::Font> kept_;
};

[[noreturn]] inline void badArrayIndex(std::string_view name) {
  host::raise(host::err::InvalidPropertyArrayIndex, "Invalid property array index: " + std::string(name));
}

// The one index of an indexed property; 381 without exactly one.
[[nodiscard]] inline std::int32_t onlyIndex(host::Args index, std::string_view name) {
  if (index.size() != 1) badArrayIndex(name);
  return index[0].toLong();
}

}  // namespace qtforms
