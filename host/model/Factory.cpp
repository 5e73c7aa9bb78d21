// The built-in control families by type name: one line per family.
#include <functional>

#include "host/model/Chart.h"
#include "host/model/DataGridControls.h"
#include "host/model/Families.h"
#include "host/model/RichText.h"
#include "host/model/GridControls.h"
#include "host/model/ListViewControl.h"

namespace host {

namespace {

struct Family {
  const char* typeName;
  std::function<ObjectRef()> make;
};

template <class Control>
Family family(const char* typeName) {
  return {typeName, [] { return std::make_shared<Control>(); }};
}

// A family of several type names, each control knowing the name it was made as.
template <class Control>
Family namedFamily(const char* typeName) {
  return {typeName, [typeName] { return std::make_shared<Control>(typeName); }};
}

const std::vector<Family>& families() {
  static const std::vector<Family> all{
      family<Label>("Label"),
      family<TextBox>("TextBox"),
      family<MaskEdBox>("MaskEdBox"),
      family<ComboBox>("ComboBox"),
      family<ListBox>("ListBox"),
      family<FileListBox>("FileListBox"),
      family<Frame>("Frame"),
      family<CheckBox>("CheckBox"),
      family<OptionButton>("OptionButton"),
      family<CommandButton>("CommandButton"),
      family<Line>("Line"),
      family<Shape>("Shape"),
      family<PictureBox>("PictureBox"),
      family<Image>("Image"),
      family<RichTextBox>("RichTextBox"),
      family<MSChart>("MSChart"),
      family<SSTab>("SSTab"),
      family<CommonDialog>("CommonDialog"),
      family<ImageList>("ImageList"),
      family<ListView>("ListView"),
      namedFamily<FlexGrid>("MSFlexGrid"),
      namedFamily<FlexGrid>("MSHFlexGrid"),
      namedFamily<FlexGrid>("vsFlexGrid"),
      namedFamily<FlexGrid>("VSFlexGrid"),
      namedFamily<DataGrid>("DataGrid"),
      namedFamily<DataGrid>("DBGrid"),
      namedFamily<DataGrid>("TDBGrid"),
  };
  return all;
}

}  // namespace

ObjectRef createBuiltInControl(std::string_view typeName) {
  for (const Family& candidate : families()) {
    if (typeName == candidate.typeName) return candidate.make();
  }
  return nullptr;
}

std::vector<std::string> builtInControlTypes() {
  std::vector<std::string> names;
  for (const Family& candidate : families()) names.emplace_back(candidate.typeName);
  return names;
}

}  // namespace host
