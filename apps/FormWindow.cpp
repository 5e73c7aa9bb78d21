#include "apps/FormWindow.h"

#include "host/HostError.h"
#include "host/Lang.h"
#include "host/Runtime.h"
#include "host/SysColors.h"
#include "host/Window.h"
#include "host/model/Control.h"
#include "printctl/Glyphs.h"
#include "printctl/Vellora.h"
#include "resizer/Gauxel.h"

namespace {

// How often the print control gets its repaint, in milliseconds.
constexpr int PaintWatchInterval = 250;

}  // namespace

FormWindow::FormWindow(std::shared_ptr<host::Form> form, std::shared_ptr<Gauxel> resizer,
                       std::shared_ptr<Vellora> printControl, host::WindowKit& kit)
    : form_(std::move(form)),
      resizer_(std::move(resizer)),
      printControl_(std::move(printControl)),
      window_(kit.createWindow("Form")) {
  window_->setCaption(form_->get("Caption").toString());
  window_->setBackColor(host::colorFromHost(form_->get("BackColor").toLong()));
  face_ = &window_->addPictureWidget("Face");
  if (printControl_) {
    previewButton_ = &window_->addButton("PrevBtn", face_);
    previewButton_->setCaption("Preview");
    previewButton_->setToolTip("Preview");
    previewButton_->onClick = [this] {
      printControl_->PrevBtn_Click();
      repaint();
    };
    printButton_ = &window_->addButton("Printbt", face_);
    printButton_->setCaption("Print");
    printButton_->setToolTip("Print");
    printButton_->onClick = [this] {
      printControl_->Printbt_Click();
      repaint();
    };
    paintWatch_ = host::ui().createTimer([this] { printControl_->Paint(); });
    paintWatch_->setInterval(PaintWatchInterval);
  }
  window_->onResize = [this] { followWindow(); };
  window_->onClose = [this] {
    if (paintWatch_) paintWatch_->setEnabled(false);
  };
  if (resizer_) {
    // The window shows each new layout once the poll has scaled the controls.
    resizer_->events().Resize = [this] { repaint(); };
  }
}

FormWindow::~FormWindow() {
  if (resizer_) resizer_->events().Resize = nullptr;
}

bool FormWindow::isOpen() const { return window_->isShown() && !window_->isClosed(); }

int FormWindow::pixelsAcross(double twips) const {
  return host::CLng(twips / host::ui().screen().twipsPerPixelX);
}

int FormWindow::pixelsDown(double twips) const { return host::CLng(twips / host::ui().screen().twipsPerPixelY); }

void FormWindow::open() {
  // The face takes its size when the control is sited, before the resizer
  // records the form's layout.
  if (printControl_) printControl_->Resize();
  if (resizer_) resizer_->Show();
  placeWindowOnForm();
  window_->show();
  if (paintWatch_) paintWatch_->setEnabled(true);
  repaint();
}

// The window's client area is the form's; its frame is the kit's own (none
// for a Qt window, whose frame the window manager draws outside).
void FormWindow::placeWindowOnForm() {
  placing_ = true;
  const host::Rect frame = window_->frameMargins();
  window_->setGeometry(host::Rect::fromXywh(
      pixelsAcross(form_->get("Left").toDouble()), pixelsDown(form_->get("Top").toDouble()),
      pixelsAcross(form_->clientWidthTwips()) + frame.left + frame.right,
      pixelsDown(form_->clientHeightTwips()) + frame.top + frame.bottom));
  placing_ = false;
}

void FormWindow::resizeClientTo(host::Size pixels) {
  const host::Rect frame = window_->frameMargins();
  const host::Rect outer = window_->geometry();
  window_->setGeometry(host::Rect::fromXywh(outer.left, outer.top, pixels.width + frame.left + frame.right,
                                            pixels.height + frame.top + frame.bottom));
}

void FormWindow::followWindow() {
  if (placing_) return;
  const host::Size client = window_->clientSize();
  const host::ScreenInfo screen = host::ui().screen();
  form_->setClientSize(client.width * screen.twipsPerPixelX, client.height * screen.twipsPerPixelY);
  // Without a poll running nothing else will show the form at its new size.
  if (!resizer_ || !resizer_->pollRunning()) repaint();
}

void FormWindow::repaint() {
  const host::Size client = window_->clientSize();
  face_->setGeometry(host::Rect::fromXywh(0, 0, client.width, client.height));
  face_->setPicture(form_->snapshot());
  placeFaceButtons();
  face_->refresh();
  ++repaints_;
}

// The print control's two buttons, where its face is on the form.
void FormWindow::placeFaceButtons() {
  if (!printControl_) return;
  double left = 0;
  double top = 0;
  bool shown = true;
  host::resume([&] {
    left = printControl_->get("Left").toDouble();
    top = printControl_->get("Top").toDouble();
    shown = printControl_->get("Visible").toBool();
  });
  // The buttons show the face's pictures, as the form's snapshot draws them:
  // their captions would be clipped to a few letters at either face size.
  using FacePicture = host::Picture (*)(glyphs::FaceState);
  auto place = [&](host::Button& button, const FaceButton& state, FacePicture picture) {
    button.setGeometry(host::Rect::fromXywh(pixelsAcross(left + state.Left), pixelsDown(top + state.Top),
                                            pixelsAcross(state.Width), pixelsDown(state.Height)));
    button.setVisible(shown && state.Visible);
    button.setEnabled(state.Enabled);
    button.setPicture(picture(state.Enabled ? glyphs::FaceState::Enabled : glyphs::FaceState::Disabled));
  };
  place(*previewButton_, printControl_->PrevBtn(), glyphs::PreviewFace);
  place(*printButton_, printControl_->Printbt(), glyphs::PrintFace);
}
