// The progress window and its placement over the host form.
#include "layout/Interin.h"

#include <algorithm>

#include "host/HostError.h"
#include "host/Lang.h"
#include "host/RasterDc.h"
#include "host/Runtime.h"
#include "host/Window.h"
#include "host/FormView.h"
#include "layout/PrintJob.h"
#include "printctl/Vellora.h"

namespace {

// The window's design, twips.
constexpr int DesignWidth = 4800;
constexpr int DesignHeight = 3600;
constexpr int DesignStoperTop = 600;

// The host form's snapshot is drawn this many pixels down in the window.
constexpr int SnapshotTop = 18;
// The largest form picture the cover takes, pixels: four 8K screens.
constexpr double MostSnapshotPixels = 4.0 * 7680 * 4320;

using host::twipsToPixels;

double number(const host::ObjectRef& object, std::string_view name) { return object->get(name).toDouble(); }

}  // namespace

Interin::Interin(PrintJob& job) : job_(job) {
  load();
  Form_Initialize();
}

Interin::~Interin() = default;

double Interin::twipsPerPixelX() const { return host::ui().screen().twipsPerPixelX; }
double Interin::twipsPerPixelY() const { return host::ui().screen().twipsPerPixelY; }

// Loading makes the window afresh with the stop button of its design. The
// window of an earlier loading is let go only here, never while one of its
// own handlers may be running.
void Interin::load() {
  if (loaded_) return;
  window_ = host::ui().kit().createWindow("Interin");
  const double tx = twipsPerPixelX();
  const double ty = twipsPerPixelY();
  window_->setGeometry(
      host::Rect::fromXywh(0, 0, twipsToPixels(DesignWidth, tx), twipsToPixels(DesignHeight, ty)));
  stoper_ = &window_->addButton("Stoper");
  stoper_->setGeometry(host::Rect::fromXywh(
      twipsToPixels((DesignWidth - DesignStoperWidth) / 2.0, tx), twipsToPixels(DesignStoperTop, ty),
      twipsToPixels(DesignStoperWidth, tx), twipsToPixels(DesignStoperHeight, ty)));
  stoper_->setCaption(caption_);
  stoper_->setForeColor(foreColor_);
  stoper_->onClick = [this] { Stoper_Click(); };
  window_->onResize = [this] { Form_Resize(); };
  window_->onClose = [this] { loaded_ = false; };
  loaded_ = true;
  Form_Load();
}

void Interin::Form_Initialize() {
  host::resume([&] { stoper_->setVisible(!job_.HideStopBtn); });
}

void Interin::Form_Load() {
  host::resume([&] { stoper_->setVisible(!job_.HideStopBtn); });
}

// Centres the stop button horizontally with its top at a third of what the
// window's height leaves beside the button and a 300-twip margin.
void Interin::Form_Resize() {
  const double tx = twipsPerPixelX();
  const double ty = twipsPerPixelY();
  const double windowWidth = window_->width() * tx;
  const double windowHeight = window_->height() * ty;
  const double buttonWidth = stoper_->width() * tx;
  const double buttonHeight = stoper_->height() * ty;
  host::resume([&] { stoper_->setLeft(twipsToPixels(windowWidth / 2 - buttonWidth / 2, tx)); });
  host::resume([&] { stoper_->setTop(twipsToPixels((windowHeight - (buttonHeight + 300)) / 3, ty)); });
}

void Interin::Stoper_Click() { job_.StopRequested = true; }

void Interin::setStopCaption(const std::string& caption) {
  caption_ = caption;
  if (loaded_) stoper_->setCaption(caption);
}

void Interin::setStopForeColor(host::Rgb color) {
  foreColor_ = color;
  if (loaded_) stoper_->setForeColor(color);
}

std::string Interin::stopCaption() const { return caption_; }
host::Rgb Interin::stopForeColor() const { return foreColor_; }
bool Interin::isOpen() const { return loaded_; }

void Interin::Finito() {
  if (!loaded_) return;
  window_->close();  // its close handler marks the window unloaded
}

void Interin::Move(double left, double top, double width, double height) {
  const double tx = twipsPerPixelX();
  const double ty = twipsPerPixelY();
  window_->setGeometry(host::Rect::fromXywh(twipsToPixels(left, tx), twipsToPixels(top, ty),
                                            twipsToPixels(width, tx), twipsToPixels(height, ty)));
}

// Copies the host form's picture (its hDC) into the window's own persistent
// picture, SnapshotTop pixels down; the copy is cut to what the form has.
void Interin::snapshotOfHostForm(double widthPixels, double heightPixels) {
  const host::ObjectRef form = job_.HostForm.lock();
  if (!form) host::raise(host::err::ObjectRequired);
  // A form far larger than any screen (a resizer's adaptation to a screen of
  // a hundred thousand pixels) is covered without its picture: the cover
  // would cost gigabytes and show a corner of it.
  if (widthPixels * heightPixels > MostSnapshotPixels) return;
  const host::Picture picture = host::formViewOf(*form).snapshot();
  const int width = std::min(static_cast<int>(host::roundHalfEven(widthPixels)), picture.width());
  const int height = std::min(static_cast<int>(host::roundHalfEven(heightPixels)), picture.height());
  if (width <= 0 || height <= 0) return;
  window_->ensureCanvasSize({width, SnapshotTop + height});
  window_->canvas().stretchPicture(host::Rect::fromXywh(0, SnapshotTop, width, height), picture,
                                   host::Rect::fromXywh(0, 0, width, height));
  window_->refresh();
}

// Lays the window over the host form with the form's snapshot in it. Every
// step passes over a failure: without a snapshot the window still covers the
// form and the job goes on.
void Interin::CoverFormWithProgress() {
  load();
  host::Ui& ui = host::ui();
  const double tx = twipsPerPixelX();
  const double ty = twipsPerPixelY();
  host::ObjectRef parent;
  host::resume([&] { parent = job_.control.parentForm(); });
  const host::ObjectRef hostForm = job_.HostForm ? job_.HostForm.lock() : parent;
  if (!hostForm || !parent) return;

  // 1. The host form's window rectangle in screen pixels; a child of a
  // multiple-document form lies inside its parent, below its caption and menu.
  bool mdiChild = false;
  host::resume([&] { mdiChild = hostForm->get("MDIChild").toBool(); });
  host::Rect rect;
  host::resume([&] {
    double left = number(hostForm, "Left");
    double top = number(hostForm, "Top");
    if (mdiChild) {
      left += number(parent, "Left");
      top += number(parent, "Top") + 300;
    }
    rect = host::Rect::fromLtrb(twipsToPixels(left, tx), twipsToPixels(top, ty),
                                twipsToPixels(left + number(hostForm, "Width"), tx),
                                twipsToPixels(top + number(hostForm, "Height"), ty));
  });

  // 2. Parked out of sight; 3. the parent form's caption.
  host::resume([&] { Move(number(parent, "Left"), -405, 200, 403); });
  host::resume([&] { window_->setCaption(parent->get("Caption").toString()); });

  // 4. Where a child of a multiple-document form is covered.
  double targetLeft = 0;
  double targetTop = 0;
  if (mdiChild) {
    host::resume([&] { targetLeft = rect.left * tx; });
    host::resume([&] { targetTop = number(parent, "Top") + 300; });
  }

  // 5. The host form finishes painting.
  ui.doEvents();

  // 6. The snapshot, into the visible window and then into its persistent
  // picture; both land in the window's one persistent picture here.
  host::resume([&] { snapshotOfHostForm(number(hostForm, "Width") / 15, number(hostForm, "Height") / 15); });
  host::resume([&] {
    const host::Rect parked = window_->geometry();
    window_->setGeometry(
        host::Rect::fromXywh(parked.left, twipsToPixels(-200, ty), parked.width(), parked.height()));
  });
  host::resume([&] { snapshotOfHostForm(number(hostForm, "Width") / tx, number(hostForm, "Height") / ty); });

  // 7.
  host::resume([&] { stoper_->setVisible(!job_.HideStopBtn); });

  // 8. Above the host form.
  host::resume([&] {
    window_->setGeometry(host::Rect::fromXywh(rect.left, twipsToPixels(rect.top * 1.5, 1),
                                              twipsToPixels(rect.right * 1.5, 1),
                                              twipsToPixels(rect.bottom * 1.5, 1)));
  });

  // 9. Over the host form. A child of a multiple-document form keeps the
  // button of the design; otherwise the button spans a third of the window.
  if (mdiChild) {
    host::resume([&] {
      Move(targetLeft - 50, targetTop, number(hostForm, "Width"), number(hostForm, "Height") + 18);
    });
  } else {
    host::resume([&] {
      Move(number(hostForm, "Left"), number(hostForm, "Top"), number(hostForm, "Width"),
           number(hostForm, "Height") + 18);
    });
    if (!job_.HideStopBtn) {
      host::resume([&] { stoper_->setWidth(window_->width() / 3); });
      host::resume([&] { stoper_->setLeft(window_->clientSize().width / 2 - stoper_->width() / 2); });
    }
  }

  // 10.
  ui.doEvents();
  if (loaded_) window_->show();
}

std::unique_ptr<ProgressWindow> makeProgressWindow(PrintJob& job) { return std::make_unique<Interin>(job); }
