// Pictures of a live form: labels showing a picture as image controls,
// graphics views and any other widget that paints itself as picture boxes
// holding the widget as drawn, and charts as chart controls that copy the
// chart as shown to the host's clipboard.
//
// A widget drawn for printing is drawn at three stored pixels per host pixel
// (288 dots per inch): the picture keeps the widget's size in host pixels
// and prints as sharp as the printer allows up to that resolution.
#include <QGraphicsView>
#include <QLabel>
#include <QMovie>
#include <QPainter>
#include <QPicture>
#include <QtCharts/QChartView>
#include <cmath>

#include "host/HostError.h"
#include "host/PictureImpl.h"
#include "host/Runtime.h"
#include "host/Ui.h"
#include "host/model/Control.h"
#include "host/model/Families.h"
#include "host/model/ModelErrors.h"
#include "qtforms/Families.h"
#include "qtforms/LiveForm.h"
#include "qtforms/WidgetControl.h"

using host::Args;
using host::Value;

namespace qtforms {

namespace {

// Stored pixels per host pixel of a widget drawn for printing, and the most
// stored pixels one drawing may take (a huge widget is drawn less finely).
constexpr int PrintPixelRatio = 3;
constexpr double MostDrawnPixels = 24e6;

int ratioFor(QSize size) {
  const double area = std::max(1.0, static_cast<double>(size.width()) * size.height());
  const int fits = static_cast<int>(std::sqrt(MostDrawnPixels / area));
  return std::clamp(fits, 1, PrintPixelRatio);
}

// The widget as the user sees it, stretched to `size` host pixels, at a
// finer resolution than the screen's. What the widget leaves unpainted shows
// its window colour, the form's background behind it.
//
// A widget drawn larger than MostDrawnPixels at one stored pixel per host
// pixel (a chart a print job made 2,000,000 twips wide and high would take
// 80 GB, and come out as no picture at all) is drawn at a lower resolution,
// which a copy stretches back to its size.
QImage drawnWidget(QWidget& widget, QSize size) {
  if (size.isEmpty() || widget.width() <= 0 || widget.height() <= 0) return {};
  const int ratio = ratioFor(size);
  const QSize stored = ratio > 1 ? size * ratio : host::storedSizeWithin(size, MostDrawnPixels);
  QImage image(stored, QImage::Format_RGB32);
  if (image.isNull()) {
    const QString name = widget.objectName().isEmpty() ? widget.metaObject()->className() : widget.objectName();
    host::raise(host::model_err::OutOfMemory, "Out of memory: the widget " + name.toStdString() +
                                                  " cannot be drawn at " + std::to_string(stored.width()) + " x " +
                                                  std::to_string(stored.height()) + " pixels");
  }
  image.setDevicePixelRatio(ratio);
  image.fill(widget.palette().color(QPalette::Window));
  QPainter painter(&image);
  // In the image's device-independent pixels: the size, or the fewer stored ones.
  const bool reduced = stored != size * ratio;
  const QSize drawn = reduced ? stored : size;
  painter.scale(static_cast<double>(drawn.width()) / widget.width(),
                static_cast<double>(drawn.height()) / widget.height());
  widget.render(&painter, QPoint(), QRegion(), QWidget::DrawWindowBackground | QWidget::DrawChildren);
  painter.end();
  if (reduced) host::setShownSize(image, {size.width(), size.height()});
  return image;
}

// A holder of what a widget shows: the handle stays while the picture stays
// the same, and a new picture takes a new handle.
std::int32_t holdShown(host::PictureHolder& holder, const QImage& shown) {
  if (shown.isNull()) {
    holder.hold(host::Picture());
  } else if (host::imageOf(holder.picture()) != shown ||
             host::imageOf(holder.picture()).devicePixelRatio() != shown.devicePixelRatio()) {
    holder.hold(host::pictureOf(shown));
  }
  return holder.handle();
}

// What a label shows in place of text: its pixmap, its movie's current
// frame, or its drawing; stretched over the label's contents with
// scaledContents, as the label shows it.
QImage labelPicture(const QLabel& label) {
  QImage image;
  if (!label.pixmap().isNull()) {
    image = label.pixmap().toImage();
  } else if (label.movie() != nullptr) {
    image = label.movie()->currentImage();
  } else if (!label.picture().isNull()) {
    const QPicture drawing = label.picture();
    const QRect bounds = drawing.boundingRect();
    image = QImage(bounds.size(), QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.translate(-bounds.topLeft());
    painter.drawPicture(0, 0, drawing);
  }
  if (image.isNull() || !label.hasScaledContents()) return image;
  const qreal ratio = image.devicePixelRatio();
  const QSize contents = label.contentsRect().size();
  QImage scaled = image.scaled(contents * ratio, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
  scaled.setDevicePixelRatio(ratio);
  return scaled;
}

bool showsPicture(const QLabel& label) {
  return !label.pixmap().isNull() || label.movie() != nullptr || !label.picture().isNull();
}

// A label showing a picture: an image control whose Picture is what it shows.
class ImageControl final : public WidgetControl {
 public:
  ImageControl(LiveForm& form, QLabel& label) : WidgetControl(form, label, "Image", host::Kind::Image) {
    property("Picture", [this](Args) { return Value(holdShown(picture_, labelPicture(as<QLabel>()))); });
    property("Stretch", [this](Args) { return Value(as<QLabel>().hasScaledContents()); });
    property("BorderStyle", [this](Args) {
      return Value(std::int16_t(as<QLabel>().frameShape() == QFrame::NoFrame ? 0 : 1));
    });
    property("Appearance", [](Args) { return Value(std::int16_t{1}); });
  }

 private:
  mutable host::PictureHolder picture_;
};

// A widget as a picture box holding the widget as drawn: its client area is
// the whole widget, so its Image is its Picture.
class DrawnControl final : public WidgetControl {
 public:
  DrawnControl(LiveForm& form, QWidget& widget) : WidgetControl(form, widget, "PictureBox", host::Kind::PictureBox) {
    property("Picture", [this](Args) { return Value(holdShown(picture_, drawn())); });
    property("Image", [this](Args) { return Value(holdShown(image_, drawn())); });
    property("hDC", [this](Args) { return Value(hDC_); });
    property("AutoSize", [](Args) { return Value(false); });
    property("AutoRedraw", [](Args) { return Value(false); });
    property("BorderStyle", [](Args) { return Value(std::int16_t{0}); });
    property("Appearance", [](Args) { return Value(std::int16_t{1}); });
    property("Align", [](Args) { return Value(std::int16_t{0}); });
    declareScale();
  }

 private:
  [[nodiscard]] QImage drawn() const { return drawnWidget(widget(), widget().size()); }
  [[nodiscard]] double clientWidthTwips() const { return widget().width() * TwipsPerPixel; }
  [[nodiscard]] double clientHeightTwips() const { return widget().height() * TwipsPerPixel; }

  // The scale is the engine's view of the box: set by any job, it never reaches the widget.
  void declareScale() {
    property(
        "ScaleMode", [this](Args) { return Value(scaleMode_); },
        [this](const Value& value, Args) {
          const std::int16_t mode = value.toInteger();
          if (mode < 0 || mode > 7) host::raise(host::err::InvalidPropertyValue, "Invalid property value: ScaleMode");
          if (mode == 0) scale_.keepExtents(*this);
          scaleMode_ = mode;
        },
        Changes::AdapterState);
    for (const char* extent : {"ScaleWidth", "ScaleHeight"}) {
      property(
          extent, [this, extent](Args) { return scale_.extent(extent, scaleMode_, clientWidthTwips(), clientHeightTwips()); },
          [this, extent](const Value& value, Args) {
            scale_.setExtent(*this, extent, value);
            scaleMode_ = 0;
          },
          Changes::AdapterState);
    }
    property("ScaleLeft", [](Args) { return Value(0.0f); });
    property("ScaleTop", [](Args) { return Value(0.0f); });
  }

  mutable host::PictureHolder picture_;
  mutable host::PictureHolder image_;
  std::int32_t hDC_ = host::newHandle();
  std::int16_t scaleMode_ = 1;
  host::ScaleSpace scale_;
};

// A Qt chart view as a chart control: EditCopy puts the chart as shown onto
// the host's clipboard, stretched to the control's Width and Height (which a
// print job may have set larger on the adapter's side, never on the view).
class ChartControl final : public WidgetControl {
 public:
  ChartControl(LiveForm& form, QChartView& view) : WidgetControl(form, view, "MSChart", host::Kind::Other) {
    method("EditCopy", [this](Args) {
      const QSize size(toPixels(get("Width").toDouble()), toPixels(get("Height").toDouble()));
      host::ui().setClipboardPicture(host::pictureOf(drawnWidget(widget(), size)));
      return Value();
    });
  }
};

}  // namespace

std::shared_ptr<WidgetControl> adaptPictureFamily(LiveForm& form, QWidget& widget) {
  if (auto* chart = qobject_cast<QChartView*>(&widget)) return std::make_shared<ChartControl>(form, *chart);
  if (auto* label = qobject_cast<QLabel*>(&widget); label != nullptr && showsPicture(*label))
    return std::make_shared<ImageControl>(form, *label);
  if (qobject_cast<QGraphicsView*>(&widget) != nullptr) return std::make_shared<DrawnControl>(form, widget);
  return nullptr;
}

std::shared_ptr<WidgetControl> adaptAsPicture(LiveForm& form, QWidget& widget) {
  return std::make_shared<DrawnControl>(form, widget);
}

}  // namespace qtforms
