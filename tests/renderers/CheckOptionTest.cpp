// Check boxes and option buttons: the glyph of the control's state beside its
// caption, on the preview page and on paper.
#include <gtest/gtest.h>

#include <string>

#include "RendererTestSupport.h"
#include "host/Lang.h"
#include "printctl/Glyphs.h"
#include "renderers/Renderers.h"

namespace {

using namespace renderertest;
using host::Rect;

class CheckOptionTest : public RendererTest {
 protected:
  host::ObjectRef option(const std::string& type, const std::string& name, const host::Value& value,
                         const std::string& caption = "Agree", int alignment = 0) {
    host::ObjectRef control = add(type, name);
    control->set("Left", 600);
    control->set("Top", 300);
    control->set("Width", 2000);
    control->set("Height", 300);
    control->set("Caption", caption);
    control->set("Value", value);
    control->set("Alignment", alignment);
    return control;
  }

  // The preview glyph's top: centred on the caption line of the control's font.
  int previewGlyphTop() { return host::CLng((host::CLng(control_->TextHeight("A") + 4)) / 2.0 - 9 + job().CurY); }

  bool previewShows(const host::Picture& glyph, int left, int top) {
    for (int y = 0; y < glyph.height(); ++y)
      for (int x = 0; x < glyph.width(); ++x)
        if (previewPage().pixel(left + x, top + y) != glyph.pixel(x, y)) return false;
    return true;
  }
};

TEST_F(CheckOptionTest, PreviewGlyphShowsTheState) {
  struct Case {
    const char* type;
    host::Value value;
    host::Picture expected;
  };
  const Case cases[] = {{"CheckBox", std::int16_t{0}, glyphs::Uncheck()},
                        {"CheckBox", std::int16_t{1}, glyphs::Check()},
                        {"CheckBox", std::int16_t{2}, glyphs::Check()},  // greyed counts as ticked
                        {"OptionButton", false, glyphs::Optinon()},
                        {"OptionButton", true, glyphs::Optik()}};
  int n = 0;
  for (const Case& c : cases) {
    SCOPED_TRACE(n);
    beginPreview();
    render(PrintCheckOption, option(c.type, "Option" + std::to_string(n++), c.value));
    EXPECT_TRUE(previewShows(c.expected, 70, previewGlyphTop()));
  }
}

TEST_F(CheckOptionTest, GlyphOnTheLeftForAlignment0AndOnTheRightFor1) {
  beginPreview();
  render(PrintCheckOption, option("CheckBox", "Left", std::int16_t{1}, "Agree", 0));
  EXPECT_TRUE(previewShows(glyphs::Check(), 70, previewGlyphTop()));
  const auto captionInk = boundsWhere(previewPage(), Rect::fromLtrb(84, 70, 300, 110), isDark);
  ASSERT_TRUE(captionInk.has_value());

  beginPreview();
  render(PrintCheckOption, option("CheckBox", "Right", std::int16_t{1}, "Agree", 1));
  // The control is 133 pixels wide; the glyph ends at its right edge.
  const int glyphLeft = 70 + 133 - glyphs::GlyphSize;
  EXPECT_TRUE(previewShows(glyphs::Check(), glyphLeft, previewGlyphTop()));
  const auto leftInk = boundsWhere(previewPage(), Rect::fromLtrb(60, 70, glyphLeft, 110), isDark);
  ASSERT_TRUE(leftInk.has_value());
  EXPECT_LT(leftInk->left, 84);  // the caption starts at the control's left
}

TEST_F(CheckOptionTest, PreviewWithAnEmptyCaptionShowsOnlyTheGlyph) {
  beginPreview();
  render(PrintCheckOption, option("CheckBox", "Check1", std::int16_t{0}, ""));
  const int top = previewGlyphTop();
  EXPECT_EQ(boundsWhere(previewPage(), Rect::fromLtrb(0, 0, 700, 300), isDark),
            Rect::fromXywh(70, top, glyphs::GlyphSize, glyphs::GlyphSize));
}

TEST_F(CheckOptionTest, CaptionInTheForeColourOnAWhiteCellOrBlackInMonochrome) {
  beginPreview(2);
  host::ObjectRef box = option("CheckBox", "Check1", std::int16_t{1}, "Agree");
  box->set("ForeColor", redValue);
  box->set("BackColor", yellowValue);
  render(PrintCheckOption, box);
  const Rect caption = Rect::fromLtrb(84, 70, 300, 110);
  EXPECT_GT(countWhere(previewPage(), caption, [](host::Rgb p) { return p == red; }), 0);
  EXPECT_EQ(countWhere(previewPage(), Rect::fromLtrb(0, 0, 700, 300), [](host::Rgb p) { return p == yellow; }), 0);

  beginPrint(0);
  render(PrintCheckOption, box);
  const Rect all = Rect::fromXywh(0, 0, 800, 400);
  EXPECT_EQ(countWhere(*printedPage().raster, all, [](host::Rgb p) { return p.red != p.blue || p.green != p.blue; }),
            0);
  EXPECT_EQ(printedPage().texts, std::vector<std::string>{"Agree"});
}

TEST_F(CheckOptionTest, PrintPutsTheGlyphAtTheControlsLeftScaledToThePrinter) {
  beginPrint();
  host::ObjectRef box = option("CheckBox", "Check1", std::int16_t{0}, "Agree");
  render(PrintCheckOption, box);
  const PrintJob& j = job();
  // 13 pixels of 13.5 and 14.6 twips on a printer of 9.6 twips per pixel.
  const int width = host::CLng(glyphs::GlyphSize * 13.5 / 9.6);
  const int height = host::CLng(glyphs::GlyphSize * 14.6 / 9.6);
  const int H = host::CLng(300 / 9.6 + 4);
  const int top = host::CLng((H - 30) / 2.0 / j.PrnUnit + j.CurY);
  const auto glyph = boundsWhere(*printedPage().raster, Rect::fromLtrb(j.CurX - 5, 0, j.CurX + width + 2, 400), isDark);
  EXPECT_EQ(glyph, Rect::fromXywh(j.CurX, top, width, height));
  // The caption starts past the glyph.
  const auto caption = boundsWhere(*printedPage().raster, Rect::fromLtrb(j.CurX + width + 2, 0, 900, 400), isDark);
  ASSERT_TRUE(caption.has_value());
  EXPECT_GE(caption->left, host::CLng(j.CurX + 30 * j.PrnUnit));
}

TEST_F(CheckOptionTest, PrintGlyphOnTheRightForAlignment1) {
  beginPrint();
  render(PrintCheckOption, option("OptionButton", "Option1", true, "Agree", 1));
  const PrintJob& j = job();
  const int controlWidth = host::CLng(2000 / 9.6);
  const int glyphWidth = host::CLng(glyphs::GlyphSize * 13.5 / 9.6);
  const auto glyph = boundsWhere(*printedPage().raster,
                                 Rect::fromLtrb(j.CurX + controlWidth - glyphWidth - 2, 0, j.CurX + controlWidth + 5, 400),
                                 isDark);
  ASSERT_TRUE(glyph.has_value());
  EXPECT_EQ(glyph->right, j.CurX + controlWidth);
  EXPECT_EQ(glyph->width(), glyphWidth);
}

TEST_F(CheckOptionTest, NewPageTagStartsAPageExceptOnTheFirstControl) {
  beginPreview();
  host::ObjectRef first = option("CheckBox", "Check1", std::int16_t{0});
  first->set("Tag", "newpage");
  render(PrintCheckOption, first);
  EXPECT_EQ(job().PageCounter, 0);
  host::ObjectRef second = option("CheckBox", "Check2", std::int16_t{0});
  second->set("Tag", "newpage");
  render(PrintCheckOption, second);
  EXPECT_EQ(job().PageCounter, 1);
  EXPECT_EQ(job().PageStore.size(), 2u);
}

// Off the design size the glyph and the caption shrink with the control's box
// instead of keeping their full size and sliding out of it.
TEST_F(CheckOptionTest, GlyphAndCaptionScaleWithTheLayoutFactor) {
  const auto previewInk = [&](double factor, const std::string& name) {
    beginPreview();
    job().LayoutFactor = factor;
    render(PrintCheckOption, option("CheckBox", name, std::int16_t{1}, "Agree"));
    return boundsWhere(previewPage(), Rect::fromLtrb(0, 0, 700, 300), isDark);
  };
  const auto full = previewInk(1, "Full");
  const auto half = previewInk(0.5, "Half");
  ASSERT_TRUE(full.has_value());
  ASSERT_TRUE(half.has_value());
  EXPECT_LE(half->height(), full->height() * 0.6);
  EXPECT_LE(half->width(), full->width() * 0.6);
  // The control is 2000 twips wide: 67 pixels at half size, from CurX.
  EXPECT_GE(half->left, job().CurX);
  EXPECT_LE(half->right, job().CurX + host::CLng(2000 / 15.0 * 0.5));

  beginPrint();
  job().LayoutFactor = 0.5;
  const int fullTextHeight = host::printer().hDC().textExtent("Agree").height;
  render(PrintCheckOption, option("CheckBox", "Printed", std::int16_t{0}, "Agree"));
  const PrintJob& j = job();
  const int width = host::CLng(glyphs::GlyphSize * 0.5 * 13.5 / 9.6);
  const int height = host::CLng(glyphs::GlyphSize * 0.5 * 14.6 / 9.6);
  const int H = host::CLng(300 / 9.6 * 0.5 + 4);
  const int top = host::CLng((H - 15) / 2.0 / j.PrnUnit + j.CurY);
  const host::RasterDc& paper = *printedPage().raster;
  EXPECT_EQ(boundsWhere(paper, Rect::fromLtrb(j.CurX - 5, 0, j.CurX + width + 2, 400), isDark),
            Rect::fromXywh(j.CurX, top, width, height));
  const auto caption = boundsWhere(paper, Rect::fromLtrb(j.CurX + width + 2, 0, 900, 400), isDark);
  ASSERT_TRUE(caption.has_value());
  EXPECT_LE(caption->height(), fullTextHeight * 0.6);
}

}  // namespace
