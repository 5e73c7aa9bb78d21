#include "vellora/Resizer.h"

#include <QEvent>
#include <QPainter>

#include "host/HostError.h"
#include "host/Runtime.h"
#include "host/model/PropertyBag.h"
#include "qtforms/LiveForm.h"
#include "qtforms/AppRuntime.h"
#include "resizer/Gauxel.h"

namespace vellora {

namespace {

// The control's face in Qt Designer: its design size (465 x 405 twips).
constexpr QSize DesignFace{31, 27};

// The property bag keys of the settings the widget keeps until the resizer
// starts on its form.
constexpr std::string_view designKeys[] = {"WidthForm", "HeightForm", "LeftForm", "TopForm", "ScaleW", "ScaleH"};

}  // namespace

// The engine's resizer behind the widget. Until the form is first shown the
// widget keeps the settings in a property bag, as the form designer keeps a
// control's settings; shown, the resizer reads them, is sited on the live
// form and works on its widgets.
class Resizer::Private {
 public:
  explicit Private(Resizer& owner) : owner_(owner) {
    qtforms::ensureRuntime();
    engine_ = std::make_shared<Gauxel>();
    host::resume([&] { engine_->set("Name", host::Value("Gauxel1")); });
    GauxelEvents& events = engine_->events();
    // Every scaling pass ends with the Zoom event: the widgets take the
    // geometry the pass gave them, once each.
    events.Zoom = [this] {
      if (live_) live_->applyGeometry();
      emit owner_.zoomed();
    };
    events.Adapt = [this] { emit owner_.adapted(); };
    events.Resize = [this] { emit owner_.resized(); };
    qtforms::registerEngineControl(owner_, engine_);
  }

  ~Private() { host::resume([&] { engine_->Terminate(); }); }

  Gauxel& engine() { return *engine_; }
  [[nodiscard]] const Gauxel& engine() const { return *engine_; }
  [[nodiscard]] bool running() const { return form_ != nullptr; }

  [[nodiscard]] host::Value value(std::string_view key, const host::Value& fallback) const {
    if (running()) return engine_->get(key);
    return bag_.contains(key) ? bag_.stored(key) : fallback;
  }

  void assign(std::string_view key, const host::Value& value) {
    if (running()) {
      host::resume([&] { engine_->set(key, value); });
    } else {
      bag_.setStored(key, value);
    }
  }

  [[nodiscard]] std::int32_t design(std::string_view key) const {
    if (!running()) return bag_.stored(key).isEmpty() ? 0 : bag_.stored(key).toLong();
    const GauxelDesign& design = engine_->design();
    const std::int32_t GauxelDesign::*members[] = {&GauxelDesign::WidthForm, &GauxelDesign::HeightForm,
                                                    &GauxelDesign::LeftForm,  &GauxelDesign::TopForm,
                                                    &GauxelDesign::ScaleW,    &GauxelDesign::ScaleH};
    for (std::size_t i = 0; i < std::size(designKeys); ++i)
      if (designKeys[i] == key) return design.*members[i];
    return 0;
  }

  void setDesign(std::string_view key, std::int32_t twips) {
    if (!running()) bag_.setStored(key, host::Value(twips));
  }

  // Starts the resizer on the form the widget sits on: the first time it is
  // shown at run time.
  void start() {
    if (running() || designMode_) return;
    QWidget* form = owner_.window();
    if (form == nullptr || form == &owner_) return;
    recordDesignUnlessGiven(*form);
    form_ = form;
    live_ = qtforms::LiveForm::adapt(*form, qtforms::Writes::ToWidgets);
    live_->deferGeometry(true);
    engine_->siteOn(live_);
    engine_->ReadProperties(bag_);
    engine_->Show();
    form->installEventFilter(&owner_);
  }

  // A resize of the form is one tick of the resizer's size poll.
  void formResized() {
    if (running() && engine_->pollRunning()) engine_->Timer1_Timer();
  }

  bool designMode_ = false;

 private:
  // A form made in code has no recorded design: the form as it first shows
  // is its design, on the screen it shows on.
  void recordDesignUnlessGiven(QWidget& form) {
    const QRect outer = form.frameGeometry();
    const host::Size pixels = host::ui().screen().pixels;
    auto given = [&](std::string_view key, std::int32_t value) {
      if (!bag_.contains(key)) bag_.setStored(key, host::Value(value));
    };
    given("SetScale", pixels.width);
    given("HScale", pixels.height);
    given("WidthForm", qtforms::toTwips(outer.width()));
    given("HeightForm", qtforms::toTwips(outer.height()));
    given("LeftForm", qtforms::toTwips(outer.x()));
    given("TopForm", qtforms::toTwips(outer.y()));
    given("ScaleW", qtforms::toTwips(form.width()));
    given("ScaleH", qtforms::toTwips(form.height()));
  }

  Resizer& owner_;
  std::shared_ptr<Gauxel> engine_;
  std::shared_ptr<qtforms::LiveForm> live_;
  QWidget* form_ = nullptr;
  host::PropertyBag bag_;
};

Resizer::Resizer(QWidget* parent) : QWidget(parent), d_(std::make_unique<Private>(*this)) {
  resize(DesignFace);
}

Resizer::~Resizer() {
  if (QWidget* form = window(); form != this) form->removeEventFilter(this);
}

bool Resizer::isResizing() const { return d_->value("Resize", host::Value(false)).toBool(); }
void Resizer::setResizing(bool on) { d_->assign("Resize", host::Value(on)); }
int Resizer::zoom() const { return d_->value("Zoom", host::Value(std::int16_t{100})).toLong(); }
void Resizer::setZoom(int percent) { d_->assign("Zoom", host::Value(percent)); }
double Resizer::factor() const { return d_->value("Factor", host::Value(1.0)).toDouble(); }
void Resizer::setFactor(double value) { d_->assign("Factor", host::Value(value)); }
double Resizer::factorH() const { return d_->value("FactorH", host::Value(1.0)).toDouble(); }
void Resizer::setFactorH(double value) { d_->assign("FactorH", host::Value(value)); }
double Resizer::minRatio() const { return d_->running() ? d_->engine().ratios().MinRatio : 1.0; }
int Resizer::setScale() const { return d_->value("SetScale", host::Value(std::int32_t{0})).toLong(); }
void Resizer::setSetScale(int pixels) { d_->assign("SetScale", host::Value(pixels)); }
int Resizer::hScale() const { return d_->value("HScale", host::Value(std::int32_t{0})).toLong(); }
void Resizer::setHScale(int pixels) { d_->assign("HScale", host::Value(pixels)); }
int Resizer::designWidth() const { return d_->design("WidthForm"); }
void Resizer::setDesignWidth(int twips) { d_->setDesign("WidthForm", twips); }
int Resizer::designHeight() const { return d_->design("HeightForm"); }
void Resizer::setDesignHeight(int twips) { d_->setDesign("HeightForm", twips); }
int Resizer::designLeft() const { return d_->design("LeftForm"); }
void Resizer::setDesignLeft(int twips) { d_->setDesign("LeftForm", twips); }
int Resizer::designTop() const { return d_->design("TopForm"); }
void Resizer::setDesignTop(int twips) { d_->setDesign("TopForm", twips); }
int Resizer::designScaleWidth() const { return d_->design("ScaleW"); }
void Resizer::setDesignScaleWidth(int twips) { d_->setDesign("ScaleW", twips); }
int Resizer::designScaleHeight() const { return d_->design("ScaleH"); }
void Resizer::setDesignScaleHeight(int twips) { d_->setDesign("ScaleH", twips); }

bool Resizer::isRunning() const { return d_->running(); }

void Resizer::setDesignMode(bool designing) {
  d_->designMode_ = designing;
  d_->engine().setUserMode(!designing);
}

QSize Resizer::sizeHint() const { return DesignFace; }

void Resizer::showEvent(QShowEvent* event) {
  QWidget::showEvent(event);
  d_->start();
  // Invisible at run time: only the designer shows the control.
  if (!d_->designMode_) hide();
}

void Resizer::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.fillRect(rect(), palette().button());
  painter.setPen(palette().color(QPalette::ButtonText));
  painter.drawRect(rect().adjusted(0, 0, -1, -1));
  const QRect inner = rect().adjusted(6, 6, -6, -6);
  painter.drawRect(inner);
  painter.drawLine(inner.topLeft(), inner.bottomRight());
}

bool Resizer::eventFilter(QObject* watched, QEvent* event) {
  if (watched == window() && event->type() == QEvent::Resize) d_->formResized();
  return QWidget::eventFilter(watched, event);
}

}  // namespace vellora
