// Check boxes and radio buttons print with their state; push buttons, scroll
// bars, sliders, progress bars, dials, menu, tool and status bars are command
// widgets that never print (as command buttons do not), but the resizer
// scales them with the rest of the form.
#include <QAbstractButton>
#include <QAbstractSlider>
#include <QCheckBox>
#include <QDialogButtonBox>
#include <QMenuBar>
#include <QProgressBar>
#include <QRadioButton>
#include <QStatusBar>
#include <QToolBar>

#include "qtforms/Families.h"
#include "qtforms/LiveForm.h"
#include "qtforms/WidgetControl.h"

using host::Args;
using host::Value;

namespace qtforms {

namespace {

// The host's check box values: 0 unticked, 1 ticked, 2 greyed (a tristate box half-ticked).
std::int16_t hostCheckValue(Qt::CheckState state) {
  switch (state) {
    case Qt::Checked:
      return 1;
    case Qt::PartiallyChecked:
      return 2;
    case Qt::Unchecked:
      break;
  }
  return 0;
}

class StateButtonControl final : public WidgetControl {
 public:
  StateButtonControl(LiveForm& form, QAbstractButton& button, std::string typeName, host::Kind kind)
      : WidgetControl(form, button, std::move(typeName), kind) {
    property("Caption", [this](Args) { return Value(withoutMnemonic(as<QAbstractButton>().text())); });
    // The glyph stands left of the caption (0), or right of it in a right-to-left form (1).
    property("Alignment", [this](Args) { return Value(std::int16_t(widget().layoutDirection() == Qt::RightToLeft)); });
    property("Style", [](Args) { return Value(std::int16_t{0}); });
    if (kind == host::Kind::CheckBox) {
      property("Value", [this](Args) { return Value(hostCheckValue(as<QCheckBox>().checkState())); });
    } else {
      property("Value", [this](Args) { return Value(as<QAbstractButton>().isChecked()); });
    }
  }
};

class CommandControl final : public WidgetControl {
 public:
  CommandControl(LiveForm& form, QWidget& command, std::string typeName, host::Kind kind)
      : WidgetControl(form, command, std::move(typeName), kind) {
    property("Caption", [this](Args) {
      auto* button = qobject_cast<QAbstractButton*>(&widget());
      return Value(button != nullptr ? withoutMnemonic(button->text()) : std::string());
    });
  }
};

bool isCommandWidget(const QWidget& widget) {
  return qobject_cast<const QAbstractSlider*>(&widget) != nullptr ||
         qobject_cast<const QProgressBar*>(&widget) != nullptr || qobject_cast<const QMenuBar*>(&widget) != nullptr ||
         qobject_cast<const QStatusBar*>(&widget) != nullptr || qobject_cast<const QToolBar*>(&widget) != nullptr ||
         qobject_cast<const QDialogButtonBox*>(&widget) != nullptr;
}

}  // namespace

std::shared_ptr<WidgetControl> adaptButtonFamily(LiveForm& form, QWidget& widget) {
  if (auto* check = qobject_cast<QCheckBox*>(&widget))
    return std::make_shared<StateButtonControl>(form, *check, "CheckBox", host::Kind::CheckBox);
  if (auto* radio = qobject_cast<QRadioButton*>(&widget))
    return std::make_shared<StateButtonControl>(form, *radio, "OptionButton", host::Kind::OptionButton);
  if (qobject_cast<QAbstractButton*>(&widget) != nullptr)
    return std::make_shared<CommandControl>(form, widget, "CommandButton", host::Kind::CommandButton);
  if (isCommandWidget(widget)) {
    std::string stem = widget.metaObject()->className();
    if (stem.size() > 1 && stem[0] == 'Q') stem.erase(0, 1);
    return std::make_shared<CommandControl>(form, widget, stem, host::Kind::Other);
  }
  return nullptr;
}

}  // namespace qtforms
