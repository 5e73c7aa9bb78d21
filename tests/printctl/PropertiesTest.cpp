// The print control's properties: the Lets' checks and side effects, access
// by name, and persistence in the property bag.
#include <gtest/gtest.h>

#include "host/HostError.h"
#include "host/Runtime.h"
#include "host/model/PropertyBag.h"
#include "printctl/VelloraHarness.h"

namespace {

using host::Value;
using velloratest::Harness;

TEST(VelloraProperties, NewControlTakesTheTableDefaultsAndArialNineTitles) {
  Harness h;
  const VelloraProperties& p = h.control->props();
  EXPECT_EQ(p.Zoom, 100);
  EXPECT_EQ(p.FromPage, 1);
  EXPECT_EQ(p.ToPage, 100);
  EXPECT_EQ(p.TopTitle, " ");
  EXPECT_EQ(p.FootTitle, "Page :");
  EXPECT_EQ(p.EscStr, " ");
  EXPECT_EQ(p.PrevBkColor, 0xC0C0C0);
  EXPECT_EQ(p.GridToFit, vellora::Split);
  EXPECT_EQ(h.control->titlesFont().name(), "Arial");
  EXPECT_DOUBLE_EQ(h.control->titlesFont().size(), host::grantedFontSize(9));
  EXPECT_EQ(p.PrinterName, "Memory");
  EXPECT_TRUE(h.control->get("PrintBtnEnabled").toBool());
  EXPECT_TRUE(h.control->get("PreviewBtnEnabled").toBool());
}

TEST(VelloraProperties, ZoomTakesOnly26To249) {
  Harness h;
  h.control->setZoom(25);
  EXPECT_EQ(h.control->props().Zoom, 100);
  h.control->setZoom(250);
  EXPECT_EQ(h.control->props().Zoom, 100);
  h.control->setZoom(26);
  EXPECT_EQ(h.control->props().Zoom, 26);
  h.control->set("zoom", Value(249));
  EXPECT_EQ(h.control->props().Zoom, 249);
  EXPECT_TRUE(h.env.ui->messages().empty());
}

TEST(VelloraProperties, CopiesIgnoresValuesNotAboveZero) {
  Harness h;
  h.control->setCopies(3);
  h.control->setCopies(0);
  h.control->setCopies(-2);
  EXPECT_FLOAT_EQ(h.control->props().Copies, 3);
}

TEST(VelloraProperties, PageRangeLetsRefuseAnInvertedRangeWithACriticalMessage) {
  Harness h;
  h.control->setToPage(3);
  h.control->setFromPage(5);
  EXPECT_EQ(h.control->props().FromPage, 1);
  ASSERT_EQ(h.env.ui->messages().size(), 1u);
  EXPECT_EQ(h.env.ui->messages()[0].text, "FromPage must be smaller or equal to ToPage");
  EXPECT_EQ(h.env.ui->messages()[0].style, 16);

  h.control->setFromPage(2);
  h.control->setToPage(1);
  EXPECT_EQ(h.control->props().ToPage, 3);
  ASSERT_EQ(h.env.ui->messages().size(), 2u);
  EXPECT_EQ(h.env.ui->messages()[1].text, "ToPage must be bigger or equal to FromPage");
  EXPECT_EQ(h.env.ui->messages()[1].style, 16);

  h.control->setFromPage(-1);
  h.control->setToPage(-1);
  EXPECT_EQ(h.control->props().FromPage, 2);
  EXPECT_EQ(h.control->props().ToPage, 3);
  EXPECT_EQ(h.env.ui->messages().size(), 4u);
}

TEST(VelloraProperties, ToPageZeroMeansNoUpperLimit) {
  Harness h;
  h.control->setToPage(0);
  h.control->setFromPage(40);
  EXPECT_EQ(h.control->props().FromPage, 40);
  h.control->setFromPage(0);
  EXPECT_EQ(h.control->props().FromPage, 0);
  EXPECT_TRUE(h.env.ui->messages().empty());
}

TEST(VelloraProperties, ColorDecidesTheSurfaceColourMode) {
  Harness h;
  h.control->setColor(vellora::v_Monochrome);
  EXPECT_EQ(h.control->job().SurfaceColorMode, 0);
  h.control->set("Color", Value(0));
  EXPECT_EQ(h.control->job().SurfaceColorMode, 2);
}

TEST(VelloraProperties, OrientationAlsoTurnsThePrinter) {
  Harness h;
  h.control->setOrientation(vellora::Landscape);
  EXPECT_EQ(host::printer().orientation(), 2);
  EXPECT_EQ(h.control->job().PrinterOrientation, 2);
  // Only portrait and landscape are taken: another value is refused where it
  // is set, not first at the printer when a job runs.
  EXPECT_EQ(testsupport::errorNumberOf([&] { h.control->setOrientation(7); }), host::err::InvalidPropertyValue);
  EXPECT_EQ(h.control->props().Orientation, vellora::Landscape);
  EXPECT_EQ(host::printer().orientation(), 2);
}

TEST(VelloraProperties, LetsByNameConvertAndReportTheChange) {
  Harness h;
  const int before = h.control->changesReported();
  h.control->set("TOPTITLE", Value("Orders"));
  h.control->set("BorderText", Value("True"));
  h.control->set("LeftMargin", Value("0.75"));
  EXPECT_EQ(h.control->get("TopTitle").toString(), "Orders");
  EXPECT_TRUE(h.control->props().BorderText);
  EXPECT_DOUBLE_EQ(h.control->props().LeftMargin, 0.75);
  EXPECT_EQ(h.control->changesReported(), before + 3);
  EXPECT_THROW(h.control->set("Zoom", Value("wide")), host::HostError);
  EXPECT_THROW(h.control->set("NoSuchSetting", Value(1)), host::HostError);
}

TEST(VelloraProperties, SharedCopiesFollowTheirProperties) {
  Harness h;
  h.control->setHideStopBtn(true);
  h.control->setPrevBkColor(0x123456);
  h.control->setPrevPrintVisible(false);
  h.control->setPrevBtnCloseTip("Back to the form");
  EXPECT_TRUE(h.control->job().HideStopBtn);
  EXPECT_EQ(h.control->job().PrevBkColor, 0x123456);
  EXPECT_FALSE(h.control->job().PrevPrintVisible);
  EXPECT_EQ(h.control->job().PrevBtnCloseTip, "Back to the form");
}

TEST(VelloraProperties, PrinterNameSelectsAnInstalledPrinterWhateverItsCase) {
  Harness h;
  auto office = host::MemoryPrinter::create("Office Laser", 300);
  host::runtime().setPrinters({h.env.printer, office});
  h.control->setPrinterName("office LASER");
  EXPECT_EQ(host::printer().deviceName(), "Office Laser");
  EXPECT_EQ(h.control->props().PrinterName, "Office Laser");

  const int before = h.control->changesReported();
  h.control->setPrinterName("");
  h.control->setPrinterName("Nowhere");
  EXPECT_EQ(host::printer().deviceName(), "Office Laser");
  EXPECT_EQ(h.control->props().PrinterName, "Office Laser");
  EXPECT_EQ(h.control->changesReported(), before + 2);
}

// The ink of a preview page's top title band.
long titleBandInk(const velloratest::Harness& h) {
  const host::Picture page = h.previewPages().at(0);
  long inked = 0;
  for (int y = 0; y < h.control->job().BodyTop - 3; ++y) {
    for (int x = 0; x < page.width(); ++x) inked += page.pixel(x, y) == host::Rgb::white ? 0 : 1;
  }
  return inked;
}

TEST(VelloraProperties, TitlesFontIsTheLiveFontObjectAsAControlsFontIs) {
  Harness h;
  h.control->setTopTitle("Quarterly report of the northern region");
  ASSERT_TRUE(h.control->Preview());
  const long regular = titleBandInk(h);
  ASSERT_GT(regular, 0);

  // Vellora1.TitlesFont.Bold = True, as host code writes it.
  host::ObjectRef font = h.control->get("TitlesFont").toObject();
  font->set("Bold", Value(true));
  EXPECT_TRUE(h.control->titlesFont().bold());
  EXPECT_TRUE(h.control->get("TitlesFont").toObject()->get("Bold").toBool());
  EXPECT_EQ(h.control->get("TitlesFont").toObject(), font) << "the same object each time";
  ASSERT_TRUE(h.control->Preview());
  EXPECT_GT(titleBandInk(h), regular) << "the title prints bold";

  // Saved, the bag holds the font as it stood; a later change is not in it.
  host::PropertyBag bag;
  h.control->WriteProperties(bag);
  font->set("Size", Value(20));
  Harness loaded;
  loaded.control->ReadProperties(bag);
  EXPECT_TRUE(loaded.control->titlesFont().bold());
  EXPECT_DOUBLE_EQ(loaded.control->titlesFont().size(), host::grantedFontSize(9));
}

TEST(VelloraPersistence, DefaultsAreNotSavedAndLoadTheSame) {
  Harness h;
  host::PropertyBag bag;
  h.control->WriteProperties(bag);
  // The title font is a font object: never equal to its default text, always saved.
  EXPECT_EQ(bag.keys(), std::vector<std::string>{"TitlesFont"});

  Harness other;
  other.control->setZoom(50);
  other.control->setTopTitle("changed");
  other.control->ReadProperties(bag);
  EXPECT_EQ(other.control->props().Zoom, 100);
  EXPECT_EQ(other.control->props().TopTitle, " ");
  EXPECT_EQ(other.control->titlesFont(), h.control->titlesFont());
}

TEST(VelloraPersistence, ChangedValuesRoundTrip) {
  Harness h;
  h.control->setColor(1);
  h.control->setZoom(80);
  h.control->setTopTitle("Quarterly report");
  h.control->setPreviewBtnEnabled(false);
  host::Font titles("Times New Roman", 12);
  titles.setBold(true);
  h.control->setTitlesFont(titles);
  h.control->setToPage(0);
  h.control->setFromPage(3);
  h.control->setCopies(2);
  h.control->setPrevBkColor(0x808080);
  h.control->setHideStopBtn(true);
  h.control->setClickToStop("Stop");
  h.control->setPrevBtnCloseTip("not saved");
  h.control->setPreviewAsPrinted(true);
  host::PropertyBag bag;
  h.control->WriteProperties(bag);
  EXPECT_FALSE(bag.contains("PrinterName"));
  EXPECT_FALSE(bag.contains("PrevBtnCloseTip"));
  EXPECT_FALSE(bag.contains("PrevPrintTip"));
  EXPECT_FALSE(bag.contains("RepeatHeader"));

  Harness loaded;
  loaded.control->ReadProperties(bag);
  const VelloraProperties& p = loaded.control->props();
  EXPECT_EQ(p.Color, 1);
  EXPECT_EQ(p.Zoom, 80);
  EXPECT_EQ(p.TopTitle, "Quarterly report");
  EXPECT_EQ(loaded.control->titlesFont(), titles);
  EXPECT_EQ(p.FromPage, 3);
  EXPECT_EQ(p.ToPage, 0);
  EXPECT_FLOAT_EQ(p.Copies, 2);
  EXPECT_EQ(p.ClickToStop, "Stop");
  EXPECT_EQ(p.PrevBtnCloseTip, "");
  EXPECT_TRUE(p.PreviewAsPrinted);
  EXPECT_FALSE(loaded.control->PrevBtn().Enabled);
  EXPECT_FALSE(loaded.control->PrevBtn().Visible);
  EXPECT_EQ(loaded.control->job().PrevBkColor, 0x808080);
  EXPECT_TRUE(loaded.control->job().HideStopBtn);
  // The printer's name is read, with the current printer as its default.
  EXPECT_EQ(p.PrinterName, "Memory");
}

TEST(VelloraPersistence, LoadingSkipsTheLetsChecksAndSideEffects) {
  Harness h;
  host::PropertyBag bag;
  bag.setStored("Zoom", Value(300));
  bag.setStored("FromPage", Value(9));
  bag.setStored("ToPage", Value(2));
  bag.setStored("Copies", Value(-1));
  bag.setStored("Orientation", Value(1));
  bag.setStored("Color", Value(1));
  const std::int16_t modeBefore = h.control->job().SurfaceColorMode;
  h.control->ReadProperties(bag);
  const VelloraProperties& p = h.control->props();
  EXPECT_EQ(p.Zoom, 300);
  EXPECT_EQ(p.FromPage, 9);
  EXPECT_EQ(p.ToPage, 2);
  EXPECT_FLOAT_EQ(p.Copies, -1);
  EXPECT_EQ(p.Orientation, 1);
  EXPECT_EQ(host::printer().orientation(), 1);
  EXPECT_EQ(h.control->job().SurfaceColorMode, modeBefore);
  EXPECT_TRUE(h.env.ui->messages().empty());
}

// An orientation no printer takes is refused when it is read, naming the
// key, instead of failing the first job with nothing that names it.
TEST(VelloraPersistence, AnOrientationNoPrinterTakesIsReadAsPortraitAndReported) {
  Harness h;
  host::PropertyBag bag;
  bag.setStored("Orientation", Value(3));
  h.control->ReadProperties(bag);
  EXPECT_EQ(h.control->props().Orientation, 0);
  ASSERT_EQ(bag.conversionProblems().size(), 1u);
  EXPECT_EQ(bag.conversionProblems().front(), "Orientation: 3 is not 0 (portrait) or 1 (landscape); portrait is used");
  EXPECT_TRUE(h.control->LVPrint());
}

TEST(VelloraPersistence, ValuesOfAnotherTypeAreConverted) {
  Harness h;
  host::PropertyBag bag;
  bag.setStored("Zoom", Value("80"));
  bag.setStored("PagesNumbers", Value("False"));
  bag.setStored("LeftMargin", Value(1));
  h.control->ReadProperties(bag);
  EXPECT_EQ(h.control->props().Zoom, 80);
  EXPECT_FALSE(h.control->props().PagesNumbers);
  EXPECT_DOUBLE_EQ(h.control->props().LeftMargin, 1.0);
}

}  // namespace
