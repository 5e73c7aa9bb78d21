// The built-in control families by type name: one line per family.
#include <functional>

#include "host/model/Families.h"

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
      family<SSTab>("SSTab"),
      family<CommonDialog>("CommonDialog"),
      family<ImageList>("ImageList"),
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
