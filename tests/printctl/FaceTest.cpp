// The control's face, its life cycle and its measuring of text.
#include <gtest/gtest.h>

#include <algorithm>

#include "host/Window.h"
#include "host/model/Pictures.h"
#include "layout/Interin.h"
#include "printctl/Glyphs.h"
#include "printctl/VelloraHarness.h"

namespace {

using host::Value;
using velloratest::Harness;

TEST(VelloraFace, BothButtonsOrPrintAlone) {
  Harness h;
  EXPECT_EQ(h.control->get("Width").toLong(), 721);
  EXPECT_EQ(h.control->get("Height").toLong(), 375);
  EXPECT_EQ(h.control->Printbt().Left, h.control->PrevBtn().Width + 4);

  h.control->setPreviewBtnEnabled(false);
  EXPECT_FALSE(h.control->PrevBtn().Visible);
  EXPECT_EQ(h.control->get("Width").toLong(), 363);
  EXPECT_EQ(h.control->get("Height").toLong(), 375);
  EXPECT_EQ(h.control->Printbt().Left, 1);

  h.control->setPreviewBtnEnabled(true);
  EXPECT_TRUE(h.control->PrevBtn().Visible);
  EXPECT_EQ(h.control->get("Width").toLong(), 721);
}

TEST(VelloraFace, PrintBtnEnabledIsTheButtonsState) {
  Harness h;
  h.control->set("PrintBtnEnabled", Value(false));
  EXPECT_FALSE(h.control->Printbt().Enabled);
  EXPECT_TRUE(h.control->Printbt().Visible);
  EXPECT_FALSE(h.control->get("PrintBtnEnabled").toBool());
}

TEST(VelloraFace, HiddenHoldersBelongToTheControlNotToTheForm) {
  Harness h;
  for (const host::ObjectRef& holder : {h.control->baki(), h.control->Baka(), h.control->Optik(), h.control->Optinon()}) {
    ASSERT_TRUE(holder);
    EXPECT_FALSE(holder->get("Visible").toBool());
    const auto& onForm = h.form->controls();
    EXPECT_EQ(std::find(onForm.begin(), onForm.end(), holder), onForm.end());
  }
  EXPECT_EQ(h.control->baki()->typeName(), "PictureBox");
  EXPECT_FALSE(host::pictureOf(*h.control->Optik()).isNull());
  EXPECT_FALSE(host::pictureOf(*h.control->Optinon()).isNull());
}

TEST(VelloraFace, TextIsMeasuredInTheControlsFont) {
  Harness h;
  const double small = h.control->TextHeight("A");
  const double narrow = h.control->TextWidth("Orders");
  EXPECT_GT(small, 0);
  EXPECT_GT(narrow, 0);
  EXPECT_DOUBLE_EQ(h.control->TextHeight("one\ntwo"), 2 * small);
  EXPECT_DOUBLE_EQ(h.control->TextWidth("Orders\nA"), narrow);

  host::Font big("Arial", 20);
  h.control->setFont(big);
  EXPECT_GT(h.control->TextHeight("A"), small);
  EXPECT_GT(h.control->TextWidth("Orders"), narrow);
  EXPECT_DOUBLE_EQ(h.control->call("TextHeight", {Value("A")}).toDouble(), h.control->TextHeight("A"));
}

TEST(VelloraFace, PaintPrintsOnceWhenThePreviewAskedForIt) {
  Harness h;
  h.add("Label", "Title", {{"Caption", "Orders"}, {"Left", 360}, {"Top", 300}, {"Width", 3000}, {"Height", 300}});
  h.control->Paint();
  EXPECT_EQ(h.env.printer->documentsDelivered(), 0);

  h.control->job().PrintRequested = true;
  h.control->Paint();
  EXPECT_FALSE(h.control->job().PrintRequested);
  EXPECT_EQ(h.env.printer->documentsDelivered(), 1);
  h.control->Paint();
  EXPECT_EQ(h.env.printer->documentsDelivered(), 1);
}

TEST(VelloraFace, TerminateClosesThePreviewAndTheProgressWindow) {
  Harness h;
  h.add("Label", "Title", {{"Caption", "Orders"}, {"Left", 360}, {"Top", 300}, {"Width", 3000}, {"Height", 300}});
  ASSERT_TRUE(h.control->Preview());
  ASSERT_TRUE(h.control->job().preview->isOpen());
  h.control->job().progress->CoverFormWithProgress();
  h.control->Terminate();
  EXPECT_FALSE(h.control->job().preview->isOpen());
  EXPECT_FALSE(h.control->job().progress->isOpen());
  EXPECT_FALSE(h.control->job().JobOpen);
  for (const auto& surface : h.control->job().PageStore) EXPECT_FALSE(surface->isReady());
}

TEST(VelloraFace, ShowPrinterConfirmsWithoutChanges) {
  Harness h;
  h.control->setToPage(6);
  h.control->setFromPage(2);
  h.control->setCopies(3);
  EXPECT_TRUE(h.control->ShowPrinter());
  EXPECT_EQ(h.control->props().FromPage, 2);
  EXPECT_EQ(h.control->props().ToPage, 6);
  EXPECT_FLOAT_EQ(h.control->props().Copies, 3);
  EXPECT_TRUE(h.env.ui->messages().empty());
}

// True when `small` appears pixel for pixel in `big` with its top-left inside `area`.
bool showsPicture(const host::Picture& big, const host::Picture& small, const host::Rect& area) {
  for (int top = area.top; top < area.bottom; ++top) {
    for (int left = area.left; left < area.right; ++left) {
      bool same = true;
      for (int y = 0; same && y < small.height(); ++y) {
        for (int x = 0; same && x < small.width(); ++x) same = big.pixel(left + x, top + y) == small.pixel(x, y);
      }
      if (same) return true;
    }
  }
  return false;
}

// The control sits at 1500, 1500 twips: its box starts at pixel 100, 100.
struct FaceOnForm {
  Harness h;
  FaceOnForm() {
    h.form->call("Move", {Value(0), Value(0), Value(6000), Value(4500)});
    h.control->call("Move", {Value(1500), Value(1500)});
  }
  // Where each button's picture may lie: the left and the right half of the face.
  static host::Rect leftButton() { return host::Rect::fromXywh(100, 100, 24, 25); }
  static host::Rect rightButton() { return host::Rect::fromXywh(124, 100, 24, 25); }
};

using glyphs::FaceState;

TEST(VelloraFace, TheFormsPictureShowsThePreviewAndThePrintButton) {
  FaceOnForm f;
  const host::Picture form = f.h.form->snapshot();
  EXPECT_TRUE(showsPicture(form, glyphs::PreviewFace(FaceState::Enabled), FaceOnForm::leftButton()));
  EXPECT_TRUE(showsPicture(form, glyphs::PrintFace(FaceState::Enabled), FaceOnForm::rightButton()));
  EXPECT_EQ(form.pixel(101, 101), host::Rgb::white) << "a raised button's light edge";
}

TEST(VelloraFace, PrintAloneIsDrawnAtTheLeftAndADisabledPrintButtonIsGrey) {
  FaceOnForm f;
  f.h.control->setPreviewBtnEnabled(false);
  f.h.control->setPrintBtnEnabled(false);
  const host::Picture form = f.h.form->snapshot();
  EXPECT_FALSE(showsPicture(form, glyphs::PreviewFace(FaceState::Enabled), FaceOnForm::leftButton()));
  EXPECT_FALSE(showsPicture(form, glyphs::PreviewFace(FaceState::Disabled), FaceOnForm::leftButton()));
  EXPECT_TRUE(showsPicture(form, glyphs::PrintFace(FaceState::Disabled), FaceOnForm::leftButton()));
  EXPECT_FALSE(showsPicture(form, glyphs::PrintFace(FaceState::Enabled), FaceOnForm::leftButton()));
  // Past the narrower face the form's background shows.
  EXPECT_EQ(form.pixel(130, 110), form.pixel(5, 5));
}

TEST(VelloraFace, TheProgressWindowsCoverShowsTheFace) {
  FaceOnForm f;
  f.h.control->ensureJobWindows();
  auto* progress = dynamic_cast<Interin*>(f.h.control->job().progress.get());
  ASSERT_NE(progress, nullptr);
  f.h.control->job().HostForm = f.h.form;
  progress->CoverFormWithProgress();
  ASSERT_NE(progress->window(), nullptr);
  ASSERT_TRUE(progress->window()->hasCanvas());
  const host::Picture cover = progress->window()->existingCanvas()->picture();
  // The snapshot lies 18 pixels down in the window.
  EXPECT_TRUE(showsPicture(cover, glyphs::PrintFace(FaceState::Enabled), FaceOnForm::rightButton().translated(0, 18)));
  progress->Finito();
}

TEST(VelloraFace, AClickRunsAButtonsHandlerOnlyWhenTheButtonIsEnabled) {
  Harness h;
  h.add("Label", "Title", {{"Caption", "Orders"}, {"Left", 360}, {"Top", 300}, {"Width", 3000}, {"Height", 300}});
  const host::Point onPrint{h.control->Printbt().Left + 100, 100};
  const host::Point onPreview{h.control->PrevBtn().Left + 100, 100};
  h.control->setPrintBtnEnabled(false);
  h.control->click(onPrint);
  EXPECT_EQ(h.env.printer->documentsDelivered(), 0) << "a disabled button ignores the click";
  h.control->setPrintBtnEnabled(true);
  h.control->click(onPrint);
  EXPECT_EQ(h.env.printer->documentsDelivered(), 1);

  h.control->click(onPreview);
  EXPECT_TRUE(h.control->job().preview->isOpen());
  h.control->job().preview->Finir();
  h.control->setPreviewBtnEnabled(false);  // Print alone now sits where Preview was
  h.control->click(onPreview);
  EXPECT_FALSE(h.control->job().preview->isOpen());
  EXPECT_EQ(h.env.printer->documentsDelivered(), 2);
  h.control->click({h.control->Printbt().Left + 1000, 100});  // beyond the face
  EXPECT_EQ(h.env.printer->documentsDelivered(), 2);
}

}  // namespace
