// The preview window's logic, driven through the headless window kit with a
// job whose pages are drawn by hand: each page surface is filled with a colour
// of its own so that the page shown can be told from the view's pixels.
#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <string>
#include <vector>

#include "TestSupport.h"
#include "host/RasterDc.h"
#include "host/Window.h"
#include "host/model/Control.h"
#include "layout/Interin.h"
#include "layout/PrintJob.h"
#include "preview/Prview.h"
#include "printctl/Vellora.h"
#include "surface/OffScreenDC.h"

namespace {

using host::Rgb;

Rgb colourOfPage(int index) { return Rgb::fromRgb(40 * index + 20, 200 - 30 * index, 90); }

struct PreviewWindow : testing::Test {
  testsupport::HeadlessRuntime headless = testsupport::makeHeadless();
  std::shared_ptr<host::Form> form = host::Form::create("Orders");
  std::shared_ptr<Vellora> control = std::make_shared<Vellora>();
  PrintJob& job = control->job();
  std::unique_ptr<Prview> window;

  void SetUp() override {
    form->adopt(control);
    form->set("Caption", host::Value("Order 4711"));
    job.HostForm = form;
    job.Printing = 0;
    job.JobOpen = true;  // the preview job's output has begun
    window = std::make_unique<Prview>(job);
  }

  // What a preview job leaves behind: `kept` page surfaces of the given size,
  // the first numbered `fromPage` (pages before it laid out and dropped).
  void drawPages(int kept, int fromPage = 1, host::Size size = {300, 400}) {
    job.FirstPageNo = static_cast<std::int16_t>(fromPage + 1);
    window->setPageBoxSize(size.width, size.height);
    job.PageStore.clear();
    for (int i = 0; i < kept; ++i) {
      auto surface = std::make_unique<OffScreenDC>(job.drawing, &job);
      surface->Initialize(window->pageBoxDc(), size.width, size.height, 2);
      surface->dc()->fillRect(host::Rect::fromXywh(0, 0, size.width, size.height),
                              host::Brush::solid(colourOfPage(i)));
      job.PageStore.push_back(std::move(surface));
      job.CurrentPage = static_cast<std::int16_t>(i);
    }
    job.PageCounter = static_cast<std::int16_t>(std::max(fromPage, 1) - 1 + kept - 1);
  }

  const PrviewControls& c() const { return *window->controls(); }
  Rgb shownColour() const { return c().View->canvas().pixel(5, 5); }
  std::vector<std::string> pageList() const { return c().Comb->items(); }
};

TEST_F(PreviewWindow, DefaultTextsGiveTheFourCaptionsAndTooltips) {
  drawPages(2);
  window->present();
  EXPECT_EQ(c().Printbt->caption(), "Print");
  EXPECT_EQ(c().Up->caption(), "Prev Page");
  EXPECT_EQ(c().Down->caption(), "Next Page");
  EXPECT_EQ(c().Closebtn->caption(), "Close");
  EXPECT_EQ(c().Up->toolTip(), "Prev Page");
  EXPECT_EQ(c().Closebtn->toolTip(), "Close");
  EXPECT_EQ(window->window()->caption(), "Order 4711");
  EXPECT_TRUE(window->window()->isShown());
}

TEST_F(PreviewWindow, CaptionsWithoutAnySlashLeaveTheButtonsAndGiveCloseTheWholeText) {
  drawPages(2);
  c().Printbt->setCaption("P");
  c().Up->setCaption("U");
  c().Down->setCaption("D");
  control->setBtnsView_Captions("Drucken");
  window->present();
  EXPECT_EQ(c().Printbt->caption(), "P");
  EXPECT_EQ(c().Up->caption(), "U");
  EXPECT_EQ(c().Down->caption(), "D");
  EXPECT_EQ(c().Closebtn->caption(), "Drucken");
}

TEST_F(PreviewWindow, CaptionsWithoutAnySlashKeepTheDesignCaptionsOfTheFirstThreeButtons) {
  drawPages(2);
  control->setBtnsView_Captions("Schliessen");
  window->present();
  EXPECT_EQ(c().Printbt->caption(), "Print");
  EXPECT_EQ(c().Up->caption(), "Prev Page");
  EXPECT_EQ(c().Down->caption(), "Next Page");
  EXPECT_EQ(c().Closebtn->caption(), "Schliessen");
}

TEST_F(PreviewWindow, CaptionsWithFewerThanSixItemsLeaveTheMissingButtonsEmpty) {
  drawPages(2);
  control->setBtnsView_Captions("Imprimer/Retour");
  control->setBtnsView_ToolTipText("a/b/c/d/e/f/g/h");
  window->present();
  EXPECT_EQ(c().Printbt->caption(), "Imprimer");
  EXPECT_EQ(c().Up->caption(), "");
  EXPECT_EQ(c().Down->caption(), "");
  EXPECT_EQ(c().Closebtn->caption(), "Retour");
  // Seven tooltip items are taken; the rest goes to Close.
  EXPECT_EQ(c().Printbt->toolTip(), "a");
  EXPECT_EQ(c().Down->toolTip(), "c");
  EXPECT_EQ(c().Closebtn->toolTip(), "h");
}

TEST(ButtonTexts, SplitTakesTheTextBeforeEachSlashAndKeepsTheRest) {
  const ButtonTexts texts = splitButtonTexts("A/B//C", 6);
  ASSERT_EQ(texts.items.size(), 6u);
  EXPECT_EQ(texts.items[0], "A");
  EXPECT_EQ(texts.items[1], "B");
  EXPECT_EQ(texts.items[2], "");
  EXPECT_EQ(texts.items[3], std::nullopt);
  EXPECT_EQ(texts.rest, "C");
}

TEST_F(PreviewWindow, AOnePagePreviewDisablesUpDownAndThePageList) {
  drawPages(1);
  window->present();
  EXPECT_FALSE(c().Up->enabled());
  EXPECT_FALSE(c().Down->enabled());
  EXPECT_FALSE(c().Comb->enabled());
  EXPECT_EQ(pageList(), std::vector<std::string>{" 1"});
  EXPECT_EQ(shownColour(), colourOfPage(0));
}

TEST_F(PreviewWindow, FromPageThreeOfFiveListsThreeToFiveAndShowsPageThreeFirst) {
  drawPages(3, 3);
  window->present();
  EXPECT_EQ(pageList(), (std::vector<std::string>{" 3", " 4", " 5"}));
  EXPECT_EQ(c().Comb->text(), " 3");
  EXPECT_EQ(window->pageNumberOf(0), 3);
  EXPECT_EQ(job.CurrentPage, 0);
  EXPECT_EQ(shownColour(), colourOfPage(0));
  EXPECT_FALSE(c().Up->enabled());
  EXPECT_TRUE(c().Down->enabled());
  EXPECT_TRUE(c().Comb->enabled());
}

TEST_F(PreviewWindow, FromPageZeroNumbersFromOneWithoutAPhantomPage) {
  drawPages(3, 0);
  window->present();
  EXPECT_EQ(pageList(), (std::vector<std::string>{" 1", " 2", " 3"}));
  c().Down->click();
  c().Down->click();
  EXPECT_EQ(job.CurrentPage, 2);
  EXPECT_FALSE(c().Down->enabled());
  c().Down->click();
  EXPECT_EQ(job.CurrentPage, 2);
  EXPECT_EQ(shownColour(), colourOfPage(2));
}

TEST_F(PreviewWindow, DownWalksToTheLastPageAndThenStops) {
  drawPages(4);
  window->present();
  c().Down->click();
  c().Down->click();
  EXPECT_EQ(job.CurrentPage, 2);
  EXPECT_TRUE(c().Down->enabled()) << "second-to-last page reached by Down";
  EXPECT_TRUE(c().Up->enabled());
  EXPECT_EQ(c().Comb->text(), " 3");
  EXPECT_EQ(shownColour(), colourOfPage(2));

  c().Down->click();
  EXPECT_FALSE(c().Down->enabled());
  EXPECT_EQ(c().Comb->text(), " 4");
  EXPECT_EQ(shownColour(), colourOfPage(3));
}

TEST_F(PreviewWindow, UpFromTheLastPageLeavesDownEnabledAndStopsAtTheFirst) {
  drawPages(4);
  window->present();
  c().Comb->choose(3);
  EXPECT_FALSE(c().Down->enabled());
  c().Up->click();
  EXPECT_EQ(job.CurrentPage, 2);
  EXPECT_TRUE(c().Down->enabled()) << "second-to-last page reached by Up";
  EXPECT_EQ(c().Comb->text(), " 3");
  c().Up->click();
  c().Up->click();
  EXPECT_EQ(job.CurrentPage, 0);
  EXPECT_FALSE(c().Up->enabled());
  EXPECT_EQ(shownColour(), colourOfPage(0));
}

TEST_F(PreviewWindow, ChoosingFromThePageListShowsThatPageAndSetsTheButtons) {
  drawPages(5, 3);  // pages 3 to 7
  window->present();
  c().Comb->choose(3);  // page 6, the second-to-last
  EXPECT_EQ(job.CurrentPage, 3);
  EXPECT_EQ(shownColour(), colourOfPage(3));
  EXPECT_TRUE(c().Up->enabled());
  EXPECT_TRUE(c().Down->enabled()) << "second-to-last page reached by the list";
  c().Comb->choose(4);
  EXPECT_FALSE(c().Down->enabled());
}

TEST_F(PreviewWindow, AMissingPageSurfaceLeavesTheViewEmpty) {
  drawPages(3);
  window->present();
  job.PageStore.resize(2);  // the third page was never kept
  c().Comb->choose(2);
  EXPECT_EQ(job.CurrentPage, 2);
  EXPECT_EQ(shownColour(), Rgb::white);
}

TEST_F(PreviewWindow, APageSmallerThanTheViewportShowsNoScrollBarsAndNoCorner) {
  drawPages(2, 1, {200, 100});  // the viewport of a 320 x 240 window is 302 x 168
  window->present();
  EXPECT_FALSE(c().HScrl->visible());
  EXPECT_FALSE(c().VScrl->visible());
  EXPECT_FALSE(c().Corner->visible());
}

TEST_F(PreviewWindow, ALargePageGetsBothBarsMeetingAtTheCorner) {
  host::Form& parent = *form;
  parent.set("WindowState", host::Value(std::int16_t{2}));  // the preview is maximised with it
  drawPages(2, 1, {2000, 3000});
  window->present();
  const host::Rect back = c().Back->geometry();
  EXPECT_EQ(window->window()->geometry(), host::Rect::fromXywh(0, 0, 1024, 768));
  EXPECT_EQ(back.width(), 1024 - 18);
  ASSERT_TRUE(c().HScrl->visible());
  ASSERT_TRUE(c().VScrl->visible());
  EXPECT_EQ(c().HScrl->max(), 2000 - back.width() + 100);
  EXPECT_EQ(c().HScrl->largeChange(), 2000 - back.width() + 40);
  EXPECT_EQ(c().VScrl->max(), 3000 - back.height() + 200);
  EXPECT_EQ(c().VScrl->left(), back.width() - c().VScrl->width()) << "no strip of the page beside the bar";
  EXPECT_EQ(c().HScrl->top() + c().HScrl->height(), back.height()) << "nor below it";
  EXPECT_EQ(c().HScrl->width(), c().VScrl->left());
  EXPECT_EQ(c().VScrl->height(), c().HScrl->top());
  EXPECT_TRUE(c().Corner->visible());
  EXPECT_EQ(c().Corner->geometry().topLeft(), (host::Point{c().VScrl->left(), c().HScrl->top()}));

  // Arranging again (a repaint) changes nothing.
  const host::Rect hBefore = c().HScrl->geometry();
  const host::Rect vBefore = c().VScrl->geometry();
  window->ArrangeView();
  EXPECT_EQ(c().HScrl->geometry(), hBefore);
  EXPECT_EQ(c().VScrl->geometry(), vBefore);
}

TEST_F(PreviewWindow, ATallNarrowPageGetsALengthenedVerticalBarAndNoCorner) {
  drawPages(2, 1, {200, 3000});
  window->present();
  EXPECT_FALSE(c().HScrl->visible());
  ASSERT_TRUE(c().VScrl->visible());
  EXPECT_EQ(c().VScrl->height(), c().HScrl->top() + 16);
  EXPECT_FALSE(c().Corner->visible());
}

TEST_F(PreviewWindow, AnEnlargedWindowScrollsBackSoThatNoGreyShowsBelowThePage) {
  drawPages(2, 1, {2000, 1200});
  window->present();
  ASSERT_TRUE(c().VScrl->visible());
  c().VScrl->setValue(c().VScrl->max());
  window->window()->setGeometry(host::Rect::fromXywh(0, 0, 1024, 1000));
  ASSERT_TRUE(c().VScrl->visible());
  const int shown = c().Back->height() - c().HScrl->height();
  EXPECT_EQ(c().View->top(), -(1200 - shown)) << "the page's end at the viewport's end";
  EXPECT_EQ(c().VScrl->value(), 1200 - shown);

  window->window()->setGeometry(host::Rect::fromXywh(0, 0, 2400, 1600));
  EXPECT_FALSE(c().VScrl->visible());
  EXPECT_EQ(c().View->top(), 0) << "a page that fits is shown from its top";
}

TEST_F(PreviewWindow, KeysPageScrollPrintAndCloseAndThePageCountFollows) {
  drawPages(5, 1, {2000, 3000});
  window->present();
  host::Window& w = *window->window();
  const auto pageOf = [&] { return c().PageOf->text(); };
  EXPECT_EQ(pageOf(), "Page 1 of 5");
  EXPECT_TRUE(w.pressKey({host::Key::PageDown}));
  EXPECT_EQ(shownColour(), colourOfPage(1));
  EXPECT_EQ(pageOf(), "Page 2 of 5");
  EXPECT_TRUE(c().Up->enabled());
  EXPECT_TRUE(w.pressKey({host::Key::End}));
  EXPECT_EQ(shownColour(), colourOfPage(4));
  EXPECT_EQ(pageOf(), "Page 5 of 5");
  EXPECT_FALSE(c().Down->enabled());
  EXPECT_EQ(c().Comb->text(), host::Str(5)) << "the page list follows";
  EXPECT_TRUE(w.pressKey({host::Key::PageUp}));
  EXPECT_EQ(pageOf(), "Page 4 of 5");
  EXPECT_TRUE(w.pressKey({host::Key::Home}));
  EXPECT_EQ(shownColour(), colourOfPage(0));
  EXPECT_FALSE(c().Up->enabled());

  EXPECT_TRUE(w.pressKey({host::Key::Down}));
  EXPECT_EQ(c().View->top(), -40) << "an arrow scrolls the page";
  EXPECT_TRUE(w.pressKey({host::Key::Right}));
  EXPECT_EQ(c().View->left(), -40);
  EXPECT_FALSE(w.pressKey({host::Key::P})) << "P alone is not Print";
  EXPECT_FALSE(w.pressKey({host::Key::Other}));
  EXPECT_TRUE(w.pressKey({host::Key::P, true}));
  EXPECT_TRUE(job.PrintRequested) << "Ctrl+P prints, as the Print button does";
  EXPECT_FALSE(window->isOpen());
}

TEST_F(PreviewWindow, APageNumberTypedIntoThePageListGoesToThatPage) {
  drawPages(5);
  window->present();
  c().Comb->enter("4");
  EXPECT_EQ(shownColour(), colourOfPage(3));
  EXPECT_EQ(c().PageOf->text(), "Page 4 of 5");
  EXPECT_TRUE(c().Down->enabled());
  c().Comb->enter("9");
  EXPECT_EQ(c().PageOf->text(), "Page 4 of 5") << "a page the preview does not have changes nothing";
  EXPECT_EQ(c().Comb->text(), host::Str(4));
}

TEST_F(PreviewWindow, EscapeClosesAndAPreviewFromPageThreeCountsFromThree) {
  drawPages(3, 3);
  window->present();
  EXPECT_EQ(c().PageOf->text(), "Page 3 of 5");
  EXPECT_TRUE(window->window()->pressKey({host::Key::Escape}));
  EXPECT_FALSE(window->isOpen());
  EXPECT_FALSE(window->window()->pressKey({host::Key::PageDown})) << "a closed window takes no keys";
}

TEST_F(PreviewWindow, TheWheelScrollsThePageAndMovesOnAtItsEnds) {
  drawPages(3, 1, {2000, 3000});
  window->present();
  host::Window& w = *window->window();
  EXPECT_TRUE(w.turnWheel(-1, false));
  EXPECT_EQ(c().View->top(), -60);
  int turns = 1;
  while (window->pageNumberOf(job.CurrentPage) == 1 && turns < 200) {
    ASSERT_TRUE(w.turnWheel(-1, false));
    ++turns;
  }
  EXPECT_EQ(c().PageOf->text(), "Page 2 of 3");
  EXPECT_EQ(c().View->top(), 0) << "the next page from its top";
  const int shown = c().Back->height() - c().HScrl->height();
  EXPECT_EQ(turns, (3000 - shown + 59) / 60 + 1) << "the first page was scrolled to its end, and no further";
  EXPECT_TRUE(w.turnWheel(1, false));
  EXPECT_EQ(c().PageOf->text(), "Page 1 of 3") << "turned back at the top: the previous page";
  EXPECT_EQ(c().View->top(), -(3000 - shown)) << "shown at its end";
  EXPECT_TRUE(w.turnWheel(1, true));
  EXPECT_DOUBLE_EQ(window->zoom(), 1.25) << "Ctrl+wheel zooms instead of scrolling";
  EXPECT_EQ(c().PageOf->text(), "Page 1 of 3");
  EXPECT_EQ(c().Zoomed->top(), -c().VScrl->value());
  EXPECT_EQ(c().VScrl->value(), static_cast<int>(std::lround((3000 - shown) * 1.25)))
      << "the same place of the page stays at the viewport's top";
}

TEST_F(PreviewWindow, ScrollBarsMoveThePageInsideTheViewport) {
  drawPages(2, 1, {2000, 3000});
  window->present();
  c().VScrl->setValue(120);
  EXPECT_EQ(c().View->top(), -120);
  EXPECT_EQ(shownColour(), colourOfPage(0));  // redrawn, still the same page
  c().HScrl->setValue(70);
  EXPECT_EQ(c().View->left(), -70);
  window->ArrangeView();  // arranging starts the page at its left again
  EXPECT_EQ(c().View->left(), 0);
}

TEST_F(PreviewWindow, ClosingReleasesEveryPageSurfaceAndClosesTheProgressWindow) {
  job.progress = makeProgressWindow(job);
  drawPages(3);
  window->present();
  ASSERT_TRUE(window->isOpen());
  c().Closebtn->click();
  for (const auto& surface : job.PageStore) EXPECT_FALSE(surface->isReady());
  EXPECT_FALSE(job.JobOpen);
  EXPECT_FALSE(window->isOpen());
  EXPECT_FALSE(window->Loaded());
  EXPECT_FALSE(job.progress->isOpen());
  EXPECT_FALSE(job.PrintRequested);

  window->Finir();  // already closed: nothing more happens
  EXPECT_FALSE(job.JobOpen);
}

TEST_F(PreviewWindow, TheWindowsCloseBoxClosesLikeTheCloseButton) {
  drawPages(2);
  window->present();
  window->window()->close();
  EXPECT_FALSE(job.JobOpen);
  EXPECT_FALSE(window->isOpen());
  for (const auto& surface : job.PageStore) EXPECT_FALSE(surface->isReady());
}

TEST_F(PreviewWindow, PrintRequestsThePrintAndClosesFirst) {
  drawPages(2);
  window->present();
  bool closedWhenYielding = false;
  headless.ui->queue([&] { closedWhenYielding = !window->isOpen(); }, 1);
  c().Printbt->click();
  EXPECT_TRUE(job.PrintRequested);
  EXPECT_FALSE(window->isOpen());
  EXPECT_TRUE(closedWhenYielding) << "the yield after closing runs with the window gone";
  for (const auto& surface : job.PageStore) EXPECT_FALSE(surface->isReady());
}

TEST_F(PreviewWindow, HiddenPrintButtonFollowsPrevPrintVisible) {
  job.PrevPrintVisible = false;
  drawPages(2);
  window->present();
  EXPECT_FALSE(c().Printbt->visible());
  c().Printbt->click();
  EXPECT_FALSE(job.PrintRequested);
}

TEST_F(PreviewWindow, LoadingTakesTheControlsSettingsAndTheGlyphs) {
  job.PrevBkColor = 0x00FF00;  // green
  job.PrevBtnCloseTip = "Schliessen";
  job.PrevPrintTip = host::Value("Drucken");
  window->setPageBoxSize(100, 100);
  EXPECT_EQ(window->window()->backColor(), Rgb::fromRgb(0, 255, 0));
  EXPECT_EQ(c().Closebtn->toolTip(), "Schliessen");
  EXPECT_EQ(c().Printbt->toolTip(), "Drucken");
  EXPECT_EQ(window->window()->windowState(), host::WindowState::Maximized);
  EXPECT_DOUBLE_EQ(window->ScreenFactor(), 12000.0 / 15360.0);
  EXPECT_FALSE(c().Check->visible());
  EXPECT_FALSE(c().Check->picture().isNull());
  EXPECT_FALSE(c().Uncheck->picture().isNull());
}

TEST_F(PreviewWindow, AClosedWindowLoadsAfreshForTheNextPreview) {
  drawPages(2);
  window->present();
  window->Finir();
  job.JobOpen = true;  // the next preview
  drawPages(1);
  EXPECT_TRUE(window->isOpen());
  window->present();
  EXPECT_EQ(pageList(), std::vector<std::string>{" 1"});
  EXPECT_EQ(shownColour(), colourOfPage(0));
}

TEST_F(PreviewWindow, InNormalStateTheWindowTakesTheHostFormsPlace) {
  form->set("Left", host::Value(1500.0));
  form->set("Top", host::Value(750.0));
  form->set("Width", host::Value(9000.0));
  form->set("Height", host::Value(6000.0));
  drawPages(1);
  window->present();
  EXPECT_EQ(window->window()->windowState(), host::WindowState::Normal);
  EXPECT_EQ(window->window()->geometry(), host::Rect::fromXywh(100, 50, 600, 400));
}

// ---------------------------------------------------------------- zoom

TEST_F(PreviewWindow, ZoomStepsFromAQuarterToFourTimesAndTheListFollows) {
  drawPages(2, 1, {300, 400});
  window->present();
  host::Window& w = *window->window();
  EXPECT_EQ(c().ZoomList->text(), "100%");
  EXPECT_TRUE(c().View->visible()) << "at 100 % the view the job copies pages onto shows the page";
  EXPECT_FALSE(c().Zoomed->visible());

  EXPECT_TRUE(w.pressKey({host::Key::Plus, true}));
  EXPECT_DOUBLE_EQ(window->zoom(), 1.25);
  EXPECT_EQ(c().ZoomList->text(), "125%");
  EXPECT_TRUE(c().Zoomed->visible());
  EXPECT_FALSE(c().View->visible());
  EXPECT_EQ(c().Zoomed->geometry().size(), (host::Size{375, 500}));
  EXPECT_EQ(c().Zoomed->picture().size(), (host::Size{375, 500}));
  EXPECT_EQ(c().Zoomed->picture().pixel(370, 490), colourOfPage(0));

  for (int i = 0; i < 10; ++i) c().ZoomIn->click();
  EXPECT_DOUBLE_EQ(window->zoom(), 4.0);
  EXPECT_FALSE(c().ZoomIn->enabled()) << "400 % is the largest";
  EXPECT_TRUE(w.pressKey({host::Key::Zero, true}));
  EXPECT_DOUBLE_EQ(window->zoom(), 1.0);
  EXPECT_TRUE(c().View->visible());
  EXPECT_TRUE(w.turnWheel(-1, true)) << "Ctrl and the wheel zoom";
  EXPECT_DOUBLE_EQ(window->zoom(), 0.75);
  for (int i = 0; i < 5; ++i) EXPECT_TRUE(w.pressKey({host::Key::Minus, true}));
  EXPECT_DOUBLE_EQ(window->zoom(), 0.25);
  EXPECT_FALSE(c().ZoomOut->enabled());
  EXPECT_FALSE(w.pressKey({host::Key::Minus})) << "minus alone is typed, not a zoom";

  c().ZoomList->choose(2 + 6);  // after the two fits: 25, 50, 75, 100, 125, 150, 200
  EXPECT_DOUBLE_EQ(window->zoom(), 2.0);
  EXPECT_TRUE(w.pressKey({host::Key::PageDown}));
  EXPECT_EQ(c().Zoomed->picture().pixel(5, 5), colourOfPage(1)) << "the next page comes at the zoom";
  EXPECT_EQ(c().PageOf->text(), "Page 2 of 2");
}

TEST_F(PreviewWindow, AZoomedPageScrollsToItsEndExactly) {
  form->set("WindowState", host::Value(std::int16_t{2}));  // 1024 x 768
  drawPages(1, 1, {600, 800});
  window->present();
  window->setZoom(2.0);
  const host::Rect back = c().Back->geometry();
  ASSERT_TRUE(c().HScrl->visible());
  ASSERT_TRUE(c().VScrl->visible());
  EXPECT_EQ(c().VScrl->max(), 1600 - (back.height() - c().HScrl->height()));
  EXPECT_EQ(c().HScrl->max(), 1200 - (back.width() - c().VScrl->width()));
  c().VScrl->setValue(c().VScrl->max());
  EXPECT_EQ(c().Zoomed->top() + 1600, back.height() - c().HScrl->height()) << "the page's end at the viewport's end";
  c().HScrl->setValue(25);
  EXPECT_EQ(c().Zoomed->left(), -25);
}

TEST_F(PreviewWindow, FitsFollowTheViewportAsTheWindowChangesSize) {
  form->set("WindowState", host::Value(std::int16_t{2}));
  drawPages(1, 1, {800, 1100});
  window->present();
  window->setZoomMode(ZoomMode::FitWidth);
  const auto back = [&] { return c().Back->geometry(); };
  EXPECT_EQ(c().ZoomList->text(), "Fit width");
  ASSERT_TRUE(c().VScrl->visible()) << "the page is taller than the viewport at its width";
  EXPECT_FALSE(c().HScrl->visible());
  EXPECT_NEAR(c().Zoomed->width(), back().width() - c().VScrl->width(), 1) << "the page fills the width";

  window->setZoomMode(ZoomMode::FitPage);
  EXPECT_FALSE(c().HScrl->visible());
  EXPECT_FALSE(c().VScrl->visible());
  EXPECT_NEAR(c().Zoomed->height(), back().height(), 1) << "the whole page shows, as tall as the viewport";
  EXPECT_LE(c().Zoomed->width(), back().width());

  window->window()->setWindowState(host::WindowState::Normal);
  window->window()->setGeometry(host::Rect::fromXywh(0, 0, 500, 400));
  EXPECT_NEAR(c().Zoomed->height(), back().height(), 1) << "worked out again for the smaller window";
  EXPECT_LT(window->zoom(), 0.5);
}

TEST_F(PreviewWindow, TheZoomAndAPlaceTheUserGaveAreRememberedForTheNextPreview) {
  drawPages(2);
  window->present();
  const host::Rect formsPlace = window->window()->geometry();
  c().ZoomList->choose(1);  // fit width
  window->window()->userMovedTo(host::Rect::fromXywh(40, 30, 700, 500));
  window->window()->close();  // the close box

  job.JobOpen = true;
  auto next = std::make_unique<Prview>(job);
  window.swap(next);
  drawPages(2);
  window->present();
  EXPECT_EQ(window->zoomMode(), ZoomMode::FitWidth);
  EXPECT_EQ(c().ZoomList->text(), "Fit width");
  EXPECT_EQ(window->window()->geometry(), host::Rect::fromXywh(40, 30, 700, 500));

  // Settings this window did not write leave its defaults.
  host::ui().setSetting("Preview/Zoom", "huge");
  host::ui().setSetting("Preview/Place", "1,2,x");
  c().Closebtn->click();
  job.JobOpen = true;
  auto third = std::make_unique<Prview>(job);
  window.swap(third);
  drawPages(2);
  window->present();
  EXPECT_DOUBLE_EQ(window->zoom(), 1.0);
  EXPECT_EQ(window->window()->geometry(), formsPlace);
}

}  // namespace
