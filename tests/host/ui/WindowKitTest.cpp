// The window kit's state rules, driven through the headless kit.
#include <gtest/gtest.h>

#include <QPointer>
#include <QWidget>
#include <limits>

#include "host/HostError.h"
#include "host/QtKit.h"
#include "host/RasterDc.h"
#include "host/Ui.h"
#include "host/Window.h"

namespace {

using host::Rect;

struct KitFixture : testing::Test {
  host::HeadlessUi ui;
  std::unique_ptr<host::Window> window = ui.kit().createWindow("Form");
};

using WindowKit = KitFixture;

TEST_F(WindowKit, ButtonPressesReachTheHandlerOnlyWhenTheUserCouldPressIt) {
  host::Button& button = window->addButton("Go");
  int clicks = 0;
  button.onClick = [&] { ++clicks; };

  button.click();  // window not shown yet
  EXPECT_EQ(clicks, 0);

  window->show();
  button.click();
  EXPECT_EQ(clicks, 1);

  button.setEnabled(false);
  button.click();
  button.setEnabled(true);
  button.setVisible(false);
  button.click();
  EXPECT_EQ(clicks, 1);
}

TEST_F(WindowKit, AWidgetInAHiddenPictureBoxCannotBePressed) {
  host::PictureWidget& box = window->addPictureWidget("Back");
  host::Button& inside = window->addButton("Inner", &box);
  int clicks = 0;
  inside.onClick = [&] { ++clicks; };
  window->show();
  box.setVisible(false);
  inside.click();
  EXPECT_EQ(clicks, 0);
  EXPECT_EQ(inside.container(), &box);
}

TEST_F(WindowKit, ComboTextSelectsTheMatchingItemWithoutRunningTheClickHandler) {
  host::DropDownList& list = window->addDropDownList("Comb");
  int clicks = 0;
  list.onClick = [&] { ++clicks; };
  list.addItem(" 3");
  list.addItem(" 4");
  list.addItem(" 5");

  list.setText(" 4");
  EXPECT_EQ(list.listIndex(), 1);
  list.setText("nothing like it");
  EXPECT_EQ(list.listIndex(), -1);
  EXPECT_EQ(clicks, 0);

  window->show();
  list.choose(2);
  EXPECT_EQ(list.listIndex(), 2);
  EXPECT_EQ(list.text(), " 5");
  EXPECT_EQ(clicks, 1);

  list.choose(7);  // no such item
  EXPECT_EQ(clicks, 1);
  EXPECT_EQ(list.listIndex(), 2);
}

TEST_F(WindowKit, ComboListIndexOutsideItsItemsIsAnInvalidValue) {
  host::DropDownList& list = window->addDropDownList("Comb");
  list.addItem(" 1");
  try {
    list.setListIndex(1);
    FAIL() << "no error raised";
  } catch (const host::HostError& error) {
    EXPECT_EQ(error.number(), 380);
  }
  list.setListIndex(0);
  EXPECT_EQ(list.text(), " 1");
  list.clear();
  EXPECT_EQ(list.listCount(), 0);
  EXPECT_EQ(list.listIndex(), -1);
  EXPECT_EQ(list.text(), "");
}

TEST_F(WindowKit, ScrollBarValueStaysInRangeAndEveryChangeRunsTheHandler) {
  host::ScrollBar& bar = window->addScrollBar("HScrl", host::Orientation::Horizontal);
  std::vector<int> seen;
  bar.onChange = [&] { seen.push_back(bar.value()); };
  bar.setMax(100);
  bar.setValue(60);
  bar.setValue(60);  // no change, no event
  bar.setValue(500);
  bar.setMax(40);  // lowering the maximum pulls the value along
  bar.setValue(-5);
  EXPECT_EQ(seen, (std::vector<int>{60, 100, 40, 0}));

  EXPECT_THROW(bar.setMax(40000), host::HostError);
  EXPECT_EQ(bar.max(), 40);
  EXPECT_THROW(bar.setLargeChange(-40000), host::HostError);
}

TEST_F(WindowKit, MaximisedWindowsCoverTheScreenAndResizeRunsOnlyOnSizeChanges) {
  int resizes = 0;
  window->onResize = [&] { ++resizes; };
  window->setGeometry(Rect::fromXywh(10, 10, 300, 200));
  EXPECT_EQ(resizes, 1);
  window->setGeometry(Rect::fromXywh(50, 60, 300, 200));  // moved only
  EXPECT_EQ(resizes, 1);

  window->setWindowState(host::WindowState::Maximized);
  EXPECT_EQ(resizes, 2);
  EXPECT_EQ(window->geometry(), Rect::fromXywh(0, 0, 1024, 768));
  window->setGeometry(Rect::fromXywh(5, 5, 400, 300));  // the place it returns to
  EXPECT_EQ(window->geometry(), Rect::fromXywh(0, 0, 1024, 768));
  window->setWindowState(host::WindowState::Normal);
  EXPECT_EQ(window->geometry(), Rect::fromXywh(5, 5, 400, 300));

  window->setFrameMargins(Rect::fromLtrb(4, 23, 4, 4));
  EXPECT_EQ(window->clientSize(), (host::Size{392, 273}));
}

TEST_F(WindowKit, CloseHidesAndRunsTheCloseHandlerOncePerOpening) {
  int closes = 0;
  window->onClose = [&] { ++closes; };
  int paints = 0;
  window->onPaint = [&] { ++paints; };
  window->show();
  EXPECT_EQ(paints, 1);
  window->close();
  window->close();
  EXPECT_EQ(closes, 1);
  EXPECT_FALSE(window->isShown());
  EXPECT_TRUE(window->isClosed());

  window->show();
  EXPECT_FALSE(window->isClosed());
  window->close();
  EXPECT_EQ(closes, 2);
}

TEST_F(WindowKit, TheWindowPictureGrowsKeepingWhatWasDrawnWhileSmall) {
  window->setBackColor(host::Rgb::white);
  window->setGeometry(Rect::fromXywh(0, 0, 20, 40));
  window->ensureCanvasSize({30, 30});
  window->canvas().fillRect(Rect::fromXywh(25, 25, 2, 2), host::Brush::solid(host::Rgb::fromRgb(255, 0, 0)));

  window->setGeometry(Rect::fromXywh(0, 0, 400, 300));
  host::RasterDc& grown = window->canvas();
  EXPECT_GE(grown.size().width, window->clientSize().width);
  EXPECT_GE(grown.size().height, window->clientSize().height);
  EXPECT_EQ(grown.pixel(25, 25), host::Rgb::fromRgb(255, 0, 0));
  EXPECT_EQ(grown.pixel(300, 200), host::Rgb::white);
}

TEST_F(WindowKit, PictureBoxCanvasFollowsTheBoxSizeAndClearsToItsBackColour) {
  host::PictureWidget& box = window->addPictureWidget("View");
  box.setGeometry(Rect::fromXywh(0, 0, 50, 40));
  box.setBackColor(host::Rgb::fromRgb(0, 0, 255));
  EXPECT_EQ(box.canvas().size(), (host::Size{50, 40}));
  EXPECT_EQ(box.canvas().pixel(49, 39), host::Rgb::fromRgb(0, 0, 255));
  box.canvas().fillRect(Rect::fromXywh(0, 0, 5, 5), host::Brush::solid(host::Rgb::black));

  box.setLeft(-30);  // scrolling moves the box; its canvas stays
  EXPECT_EQ(box.canvas().pixel(1, 1), host::Rgb::black);
  box.cls();
  EXPECT_EQ(box.canvas().pixel(1, 1), host::Rgb::fromRgb(0, 0, 255));

  box.setWidth(80);
  EXPECT_EQ(box.canvas().size(), (host::Size{80, 40}));
}

TEST_F(WindowKit, TheKitKnowsItsLiveWindowsByName) {
  auto other = ui.kit().createWindow("Interin");
  EXPECT_EQ(ui.kit().find("Interin"), other.get());
  EXPECT_EQ(ui.kit().find("Form"), window.get());
  other.reset();
  EXPECT_EQ(ui.kit().find("Interin"), nullptr);

  window->addButton("Stoper");
  EXPECT_NE(window->button("Stoper"), nullptr);
  EXPECT_EQ(window->scrollBar("Stoper"), nullptr);
  EXPECT_EQ(window->widget("Missing"), nullptr);
}

// A window kept by a job may be destroyed after the interface and kit that made
// it (a runtime installed for a while, then gone).
TEST(WindowKitLifetime, AKitThatGoesFirstTakesDownWhatItShowsOfItsWindows) {
  auto kit = host::makeQtKit();
  std::unique_ptr<host::Window> window = kit->createWindow("Prview");
  host::Button& button = window->addButton("Printbt");
  window->show();
  QPointer<QWidget> shown = host::qtWidgetOf(*window);
  ASSERT_FALSE(shown.isNull());
  ASSERT_TRUE(shown->isVisible());

  kit.reset();
  EXPECT_TRUE(shown.isNull()) << "nothing of the window stays on the screen";
  EXPECT_EQ(window->kit(), nullptr);
  EXPECT_FALSE(window->isShown());
  int clicks = 0;
  button.onClick = [&] { ++clicks; };
  button.click();
  EXPECT_EQ(clicks, 0) << "a window without its kit cannot be reached";
  button.setCaption("Print");  // the state still takes changes
  window->addButton("Up");
  window.reset();  // erases itself from no kit
}

TEST(WindowKitLifetime, WindowsOfAHeadlessKitOutliveNoKitEither) {
  auto kit = host::makeHeadlessKit([] { return Rect::fromXywh(0, 0, 1024, 768); });
  auto first = kit->createWindow("Interin");
  auto second = kit->createWindow("Prview");
  second->setWindowState(host::WindowState::Maximized);
  ASSERT_EQ(second->geometry(), Rect::fromXywh(0, 0, 1024, 768));
  kit.reset();
  EXPECT_EQ(first->kit(), nullptr);
  EXPECT_EQ(second->kit(), nullptr);
  EXPECT_FALSE(second->geometry().isEmpty());
  first.reset();
  second.reset();
}

// A window placed with extents far past the ends of int (a form of absurd
// size) has an empty client area, not one wrapped round to a huge size.
TEST_F(WindowKit, ExtremeGeometryGivesAnEmptyClientAreaWithoutOverflow) {
  window->setFrameMargins(Rect::fromLtrb(4, 23, 4, 4));
  constexpr int most = std::numeric_limits<int>::max();
  constexpr int least = std::numeric_limits<int>::min();
  window->setGeometry(Rect::fromLtrb(0, 0, least, least));
  EXPECT_EQ(window->clientSize(), (host::Size{0, 0}));
  window->setGeometry(Rect::fromLtrb(-2, -20, most - 2, most - 20));
  EXPECT_EQ(window->clientSize(), (host::Size{most - 8, most - 27}));
}

}  // namespace
