// Tab widgets, stacked widgets and tool boxes hold their pages' controls;
// only the current page shows, so only its controls print (the others are
// not visible on the form). A scroll area holds its content widget's
// controls, placed as if the content were not scrolled, so the whole
// content prints and not only what is scrolled into view.
#include <QScrollArea>
#include <QStackedWidget>
#include <QTabBar>
#include <QTabWidget>
#include <QToolBox>

#include "qtforms/Families.h"
#include "qtforms/LiveForm.h"
#include "qtforms/WidgetControl.h"

using host::Args;
using host::Value;

namespace qtforms {

namespace {

class PagesControl final : public WidgetControl {
 public:
  // `pages` answers the pages and the current one; `tabHeight` the pixels of the row of tabs.
  PagesControl(LiveForm& form, QWidget& pagesWidget, std::function<std::vector<QWidget*>()> pages,
               std::function<int()> current, std::function<int()> tabHeight)
      : WidgetControl(form, pagesWidget, "SSTab", host::Kind::Other) {
    property("Tab", [current](Args) { return Value(static_cast<std::int16_t>(current())); });
    property("Tabs", [pages](Args) { return Value(static_cast<std::int16_t>(pages().size())); });
    property("TabHeight", [tabHeight](Args) { return Value(static_cast<float>(toTwips(tabHeight()))); });
  }
};

std::vector<QWidget*> pagesOf(int count, const std::function<QWidget*(int)>& page) {
  std::vector<QWidget*> pages;
  for (int i = 0; i < count; ++i)
    if (QWidget* widget = page(i)) pages.push_back(widget);
  return pages;
}

class ScrollAreaControl final : public WidgetControl {
 public:
  ScrollAreaControl(LiveForm& form, QScrollArea& area) : WidgetControl(form, area, "ScrollArea", host::Kind::Other) {}

  // The content counts from the viewport's top-left corner, unscrolled.
  [[nodiscard]] QPoint positionOfChild(const QWidget& child) const override {
    const auto& area = as<QScrollArea>();
    const QWidget* content = area.widget();
    if (content == nullptr || !content->isAncestorOf(&child)) return WidgetControl::positionOfChild(child);
    return area.viewport()->mapTo(&area, QPoint()) + child.mapTo(content, QPoint());
  }
};

// A widget of pages (a tab widget, a stacked widget, a tool box): every page
// holds controls of its own; `tabBar` tells the height of its row of tabs.
template <class Pages>
Adapted adaptPages(LiveForm& form, Pages& pagesWidget, std::function<int(const Pages&)> tabBar) {
  QPointer<Pages> guard(&pagesWidget);
  auto pages = [guard] {
    return guard ? pagesOf(guard->count(), [&](int i) { return guard->widget(i); }) : std::vector<QWidget*>();
  };
  auto control = std::make_shared<PagesControl>(
      form, pagesWidget, pages, [guard] { return guard ? guard->currentIndex() : 0; },
      [guard, tabBar] { return guard ? tabBar(*guard) : 0; });
  return {control, Children::Adapted, pages()};
}

}  // namespace

Adapted adaptContainerFamily(LiveForm& form, QWidget& widget) {
  if (auto* tabs = qobject_cast<QTabWidget*>(&widget)) {
    return adaptPages<QTabWidget>(form, *tabs, [](const QTabWidget& w) { return w.tabBar() ? w.tabBar()->height() : 0; });
  }
  if (auto* stack = qobject_cast<QStackedWidget*>(&widget))
    return adaptPages<QStackedWidget>(form, *stack, [](const QStackedWidget&) { return 0; });
  if (auto* toolBox = qobject_cast<QToolBox*>(&widget))
    return adaptPages<QToolBox>(form, *toolBox, [](const QToolBox&) { return 0; });
  if (auto* area = qobject_cast<QScrollArea*>(&widget)) {
    std::vector<QWidget*> holders;
    if (area->widget() != nullptr) holders.push_back(area->widget());
    return {std::make_shared<ScrollAreaControl>(form, *area), Children::Adapted, holders};
  }
  return {};
}

}  // namespace qtforms
