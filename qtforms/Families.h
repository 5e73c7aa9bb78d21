#pragma once
// The widget families of a live form (implementation header of qtforms):
// each maker answers the adapter of a widget of its families, or nullptr for
// a widget that is none of them. LiveForm asks them in the order below; the
// first that answers adapts the widget.
#include <memory>
#include <vector>

class QWidget;

namespace qtforms {

class LiveForm;
class WidgetControl;

// What the form's walk does with a widget's own children.
enum class Children {
  Adapted,  // they are controls of the form in their own right (inside a group box, a tab page)
  Internal, // they are the widget's own parts (a table's headers, a spin box's editor)
};

struct Adapted {
  std::shared_ptr<WidgetControl> control;  // nullptr: not of these families
  Children children = Children::Internal;
  // With Children::Adapted, the widgets whose children are the control's
  // (a tab widget's pages, a scroll area's content); empty: the widget's own.
  std::vector<QWidget*> holders;
};

// Rich text (QTextEdit / QTextBrowser holding formatted text), before the plain text editors.
[[nodiscard]] std::shared_ptr<WidgetControl> adaptRichText(LiveForm& form, QWidget& widget);
// Labels with text, line edits, spin boxes and date edits, plain text editors, combo boxes.
[[nodiscard]] std::shared_ptr<WidgetControl> adaptTextFamily(LiveForm& form, QWidget& widget);
// Check boxes and radio buttons; the command widgets that never print.
[[nodiscard]] std::shared_ptr<WidgetControl> adaptButtonFamily(LiveForm& form, QWidget& widget);
// Group boxes and framed boxes (containers), horizontal and vertical lines.
[[nodiscard]] Adapted adaptGraphicFamily(LiveForm& form, QWidget& widget);
// Table views: a flex grid, or a data grid over an SQL query model.
[[nodiscard]] std::shared_ptr<WidgetControl> adaptTableFamily(LiveForm& form, QWidget& widget);
// Tree views and list views with columns as list views; list widgets as list boxes.
[[nodiscard]] std::shared_ptr<WidgetControl> adaptListFamily(LiveForm& form, QWidget& widget);
// Tab widgets and stacked widgets (containers whose current page alone
// shows) and scroll areas (their whole content, not only what is scrolled into view).
[[nodiscard]] Adapted adaptContainerFamily(LiveForm& form, QWidget& widget);
// Labels with a picture, charts, and any other widget as the picture of itself.
[[nodiscard]] std::shared_ptr<WidgetControl> adaptPictureFamily(LiveForm& form, QWidget& widget);
[[nodiscard]] std::shared_ptr<WidgetControl> adaptAsPicture(LiveForm& form, QWidget& widget);

}  // namespace qtforms
