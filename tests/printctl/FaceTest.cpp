// The control's face, its life cycle and its measuring of text.
#include <gtest/gtest.h>

#include <algorithm>

#include "host/model/Pictures.h"
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

}  // namespace
