// Frames, check boxes, option buttons, command buttons, lines, shapes, and
// the controls that are never shown at run time.
#include "host/Lang.h"
#include "host/model/Families.h"

namespace host {

Frame::Frame() {
  holdsControls_ = true;
  declareExtender();
  declare({"Caption", ValueType::String, ""});
  declare(PropertyDef{"BorderStyle", ValueType::Integer, 1}.between(0, 1));
  declare(PropertyDef{"Appearance", ValueType::Integer, 1}.between(0, 1));
  declare({"BackColor", ValueType::Long, ButtonFace});
  declare({"ForeColor", ValueType::Long, ButtonText});
  declare({"Enabled", ValueType::Boolean, true});
  declare({"RightToLeft", ValueType::Boolean, false});
  declare({"ClipControls", ValueType::Boolean, true});
  declare({"ToolTipText", ValueType::String, ""});
  store("Width", Value(1815));
  store("Height", Value(1215));
  giveWindow();
  giveFont();
}

void ButtonControl::declareButton() {
  declareExtender();
  declare({"Caption", ValueType::String, ""});
  declare(PropertyDef{"Style", ValueType::Integer, 0}.between(0, 1));
  declare(PropertyDef{"Appearance", ValueType::Integer, 1}.between(0, 1));
  declare({"BackColor", ValueType::Long, ButtonFace});
  declare({"ForeColor", ValueType::Long, ButtonText});
  declare({"Enabled", ValueType::Boolean, true});
  declare({"RightToLeft", ValueType::Boolean, false});
  declare({"ToolTipText", ValueType::String, ""});
  giveWindow();
  giveFont();
}

CheckBox::CheckBox() {
  declareButton();
  declare(PropertyDef{"Value", ValueType::Integer, 0}.between(0, 2));  // unchecked, checked, greyed
  declare(PropertyDef{"Alignment", ValueType::Integer, 0}.between(0, 1));
  store("Width", Value(1215));
  store("Height", Value(255));
}

OptionButton::OptionButton() {
  declareButton();
  declare({"Value", ValueType::Boolean, false});
  declare(PropertyDef{"Alignment", ValueType::Integer, 0}.between(0, 1));
  store("Width", Value(1215));
  store("Height", Value(255));
}

void OptionButton::onChanged(std::string_view name) {
  if (!equalsNoCase(name, "Value") || !stored("Value").toBool() || form_ == nullptr) return;
  // Option buttons in one container form a group: only one of them is on.
  ObjectRef group = container();
  for (const ObjectRef& other : form_->controls()) {
    auto* option = dynamic_cast<OptionButton*>(other.get());
    if (option != nullptr && option != this && option->container() == group) option->store("Value", Value(false));
  }
}

CommandButton::CommandButton() {
  declareButton();
  declare({"Default", ValueType::Boolean, false});
  declare({"Cancel", ValueType::Boolean, false});
}

Line::Line() {
  declareExtender(false);
  declare({"X1", ValueType::Single, 0});
  declare({"Y1", ValueType::Single, 0});
  declare({"X2", ValueType::Single, 0});
  declare({"Y2", ValueType::Single, 0});
  declare({"BorderColor", ValueType::Long, WindowForeground});
  declare(PropertyDef{"BorderStyle", ValueType::Integer, 1}.between(0, 6));
  declare(PropertyDef{"BorderWidth", ValueType::Integer, 1}.between(1, 8192));
  declare(PropertyDef{"DrawMode", ValueType::Integer, 13}.between(1, 16));
}

Shape::Shape() {
  declareExtender();
  declare(PropertyDef{"Shape", ValueType::Integer, 0}.between(0, 5));
  declare(PropertyDef{"BackStyle", ValueType::Integer, 0}.between(0, 1));
  declare({"BackColor", ValueType::Long, WindowBackground});
  declare({"BorderColor", ValueType::Long, WindowForeground});
  declare(PropertyDef{"BorderStyle", ValueType::Integer, 1}.between(0, 6));
  declare(PropertyDef{"BorderWidth", ValueType::Integer, 1}.between(1, 8192));
  declare(PropertyDef{"FillStyle", ValueType::Integer, 1}.between(0, 7));
  declare({"FillColor", ValueType::Long, 0});
  declare(PropertyDef{"DrawMode", ValueType::Integer, 13}.between(1, 16));
}

CommonDialog::CommonDialog() {
  declare({"Name", ValueType::String, ""});
  declare({"Tag", ValueType::String, ""});
  declare({"Index", ValueType::Integer, 0});
  declare({"Left", ValueType::Single, 0});
  declare({"Top", ValueType::Single, 0});
  declare({"CancelError", ValueType::Boolean, false});
  declare({"DialogTitle", ValueType::String, ""});
  declare({"FileName", ValueType::String, ""});
  declare({"Filter", ValueType::String, ""});
  declare({"FilterIndex", ValueType::Integer, 0});
  declare({"Flags", ValueType::Long, 0});
  declare({"InitDir", ValueType::String, ""});
}

ImageList::ImageList() {
  declare({"Name", ValueType::String, ""});
  declare({"Tag", ValueType::String, ""});
  declare({"Index", ValueType::Integer, 0});
  declare({"Left", ValueType::Single, 0});
  declare({"Top", ValueType::Single, 0});
  declare({"ImageWidth", ValueType::Integer, 16});
  declare({"ImageHeight", ValueType::Integer, 16});
  declare({"BackColor", ValueType::Long, WindowBackground});
  declare({"MaskColor", ValueType::Long, 0xC0C0C0});
  declare({"UseMaskColor", ValueType::Boolean, true});
}

}  // namespace host
