#pragma once
// The built-in control families of the host (implementation header of the
// model; callers reach the controls by name through host::Object). A new family
// is one class here plus one line in the factory (Factory.cpp).
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "host/SysColors.h"
#include "host/model/Control.h"
#include "host/model/EditLayout.h"
#include "host/model/EditMask.h"

namespace host {

// Colour defaults of new controls: the host's system colours.
inline constexpr std::int32_t WindowBackground = systemColorValue(syscolor::Window);
inline constexpr std::int32_t WindowForeground = systemColorValue(syscolor::WindowText);
inline constexpr std::int32_t ButtonFace = systemColorValue(syscolor::ButtonFace);
inline constexpr std::int32_t ButtonText = systemColorValue(syscolor::ButtonText);

class Label final : public Control {
 public:
  Label();
  [[nodiscard]] std::string typeName() const override { return "Label"; }
  [[nodiscard]] Kind kind() const override { return Kind::Label; }
  [[nodiscard]] Value get(std::string_view name, Args index = {}) const override;
  using Object::get;

 private:
  // The size an AutoSize label takes for its caption in its font (twips).
  [[nodiscard]] std::pair<double, double> autoSize() const;
  // The same, measured once and kept until a property it depends on (Caption,
  // WordWrap, BorderStyle, Width, AutoSize) is written or the font changes:
  // Width and Height are read often and a caption may be long.
  [[nodiscard]] std::pair<double, double> cachedAutoSize() const;
  [[nodiscard]] std::uint64_t autoSizeWrites() const;

  mutable std::pair<double, double> autoSize_;
  mutable std::uint64_t autoSizeWrites_ = ~std::uint64_t{0};
  mutable Font autoSizeFont_;
};

class TextBox final : public Control {
 public:
  TextBox();
  [[nodiscard]] std::string typeName() const override { return "TextBox"; }
  [[nodiscard]] Kind kind() const override { return Kind::TextBox; }
  Value call(std::string_view name, Args args = {}) override;
  using Object::call;
  // The lines the box shows: wrapped at its client width in its font when it is
  // multi-line without a horizontal scroll bar, else broken only at line breaks.
  [[nodiscard]] const EditLayout& layout() const;
  // Width in pixels that lines wrap at (0 when the box does not wrap).
  [[nodiscard]] int wrapWidthPixels() const;

 private:
  // The layout is kept until the text, the wrap width or the font changes.
  mutable EditLayout layout_;
  mutable std::uint64_t layoutWrites_ = ~std::uint64_t{0};
  mutable int layoutWrap_ = 0;
  mutable Font layoutFont_;
};

class MaskEdBox final : public Control {
 public:
  MaskEdBox();
  [[nodiscard]] std::string typeName() const override { return "MaskEdBox"; }
  [[nodiscard]] Value get(std::string_view name, Args index = {}) const override;
  void set(std::string_view name, const Value& value, Args index = {}) override;
  using Object::get;
  using Object::set;

 private:
  EditMask mask_;
};

// List storage shared by combo boxes and list boxes: List(i), ItemData(i),
// ListCount, ListIndex, Sorted and the AddItem, RemoveItem and Clear methods.
class ListControl : public Control {
 public:
  Value get(std::string_view name, Args index = {}) const override;
  void set(std::string_view name, const Value& value, Args index = {}) override;
  Value call(std::string_view name, Args args = {}) override;
  using Object::call;
  using Object::get;
  using Object::set;
  [[nodiscard]] int listCount() const { return indexedCount("List"); }
  void addItem(const std::string& item, int at = -1);
  void clearList();

 protected:
  void declareList();
  virtual void onListIndexChanged() {}
  void removeItem(int at);
};

class ComboBox final : public ListControl {
 public:
  ComboBox();
  [[nodiscard]] std::string typeName() const override { return "ComboBox"; }
  [[nodiscard]] Kind kind() const override { return Kind::ComboBox; }
  void set(std::string_view name, const Value& value, Args index = {}) override;
  using Object::set;

 private:
  void onListIndexChanged() override;
};

class ListBox : public ListControl {
 public:
  ListBox();
  [[nodiscard]] std::string typeName() const override { return "ListBox"; }
  [[nodiscard]] Kind kind() const override { return Kind::ListBox; }
  Value get(std::string_view name, Args index = {}) const override;
  void set(std::string_view name, const Value& value, Args index = {}) override;
  using Object::get;
  using Object::set;

 protected:
  void onListIndexChanged() override;
};

// Lists the files of a real folder that match its Pattern.
class FileListBox final : public ListBox {
 public:
  FileListBox();
  [[nodiscard]] std::string typeName() const override { return "FileListBox"; }
  [[nodiscard]] Kind kind() const override { return Kind::FileListBox; }
  void set(std::string_view name, const Value& value, Args index = {}) override;
  Value call(std::string_view name, Args args = {}) override;
  using Object::call;
  using Object::set;

 private:
  void refill();
};

class Frame final : public Control {
 public:
  Frame();
  [[nodiscard]] std::string typeName() const override { return "Frame"; }
  [[nodiscard]] Kind kind() const override { return Kind::Frame; }
};

// What check boxes, option buttons and command buttons share.
class ButtonControl : public Control {
 protected:
  void declareButton();
};

class CheckBox final : public ButtonControl {
 public:
  CheckBox();
  [[nodiscard]] std::string typeName() const override { return "CheckBox"; }
  [[nodiscard]] Kind kind() const override { return Kind::CheckBox; }
};

// Setting one option button's Value to True clears the others of its container.
class OptionButton final : public ButtonControl {
 public:
  OptionButton();
  [[nodiscard]] std::string typeName() const override { return "OptionButton"; }
  [[nodiscard]] Kind kind() const override { return Kind::OptionButton; }

 private:
  void onChanged(std::string_view name) override;
};

class CommandButton final : public ButtonControl {
 public:
  CommandButton();
  [[nodiscard]] std::string typeName() const override { return "CommandButton"; }
  [[nodiscard]] Kind kind() const override { return Kind::CommandButton; }
};

class Line final : public Control {
 public:
  Line();
  [[nodiscard]] std::string typeName() const override { return "Line"; }
  [[nodiscard]] Kind kind() const override { return Kind::Line; }
};

class Shape final : public Control {
 public:
  Shape();
  [[nodiscard]] std::string typeName() const override { return "Shape"; }
  [[nodiscard]] Kind kind() const override { return Kind::Shape; }
};

// The picture a picture box or image control holds behind its Picture property.
class PictureHolder {
 public:
  [[nodiscard]] const Picture& picture() const;
  [[nodiscard]] const std::filesystem::path& source() const { return source_; }
  // The handle that Picture reads as: 0 when there is no picture.
  [[nodiscard]] std::int32_t handle() const { return handle_; }
  void hold(const Picture& picture, std::filesystem::path source = {});
  // Picture = handle (another control's Picture or Image); 0 clears it.
  void holdHandle(std::int32_t handle);

 private:
  std::shared_ptr<const Picture> picture_;
  std::filesystem::path source_;
  std::int32_t handle_ = 0;
};

class PictureBox final : public Control {
 public:
  PictureBox();
  [[nodiscard]] std::string typeName() const override { return "PictureBox"; }
  [[nodiscard]] Kind kind() const override { return Kind::PictureBox; }
  [[nodiscard]] Value get(std::string_view name, Args index = {}) const override;
  void set(std::string_view name, const Value& value, Args index = {}) override;
  Value call(std::string_view name, Args args = {}) override;
  using Object::call;
  using Object::get;
  using Object::set;

  [[nodiscard]] PictureHolder& holder() { return picture_; }
  [[nodiscard]] const PictureHolder& holder() const { return picture_; }
  // The client area in twips (the size less the border).
  [[nodiscard]] double clientWidthTwips() const;
  [[nodiscard]] double clientHeightTwips() const;
  // The picture as displayed: the client area in the back colour with the
  // Picture at its top-left corner.
  [[nodiscard]] Picture displayedImage() const;
  // Holds a picture (null clears it); AutoSize fits the box to it.
  void holdPicture(const Picture& picture, std::filesystem::path source = {});

 private:
  void fitToPicture();
  PictureHolder picture_;
  mutable PictureHolder image_;
  mutable std::string imageKey_;
  std::int32_t hDC_ = newHandle();
  ScaleSpace scale_;
};

class Image final : public Control {
 public:
  Image();
  [[nodiscard]] std::string typeName() const override { return "Image"; }
  [[nodiscard]] Kind kind() const override { return Kind::Image; }
  [[nodiscard]] Value get(std::string_view name, Args index = {}) const override;
  void set(std::string_view name, const Value& value, Args index = {}) override;
  using Object::get;
  using Object::set;
  [[nodiscard]] PictureHolder& holder() { return picture_; }
  [[nodiscard]] const PictureHolder& holder() const { return picture_; }
  // Holds a picture (null clears it); without Stretch the control takes its size.
  void holdPicture(const Picture& picture, std::filesystem::path source = {});

 private:
  void fitToPicture();
  PictureHolder picture_;
};

// A tabbed container ("SSTab"): `Tabs` pages, the selected page `Tab`, the
// height of the row of tabs `TabHeight` and a caption per page `TabCaption(i)`.
// Each child sits on one page. The children of the pages not selected are
// parked 75000 twips to the left (a line by its X1 and X2); selecting another
// page parks the children of the page that was selected and brings back those
// of the new one. A child never placed on a page is taken to be on the page
// selected when the selection first changes. In a form file each child names
// its page with "OnTab" (0 when left out).
class SSTab final : public Control {
 public:
  SSTab();
  [[nodiscard]] std::string typeName() const override { return "SSTab"; }
  void set(std::string_view name, const Value& value, Args index = {}) override;
  using Object::set;
  [[nodiscard]] const FormDataCodec* formData() const override;

  // Puts a child of this container on page `tab`, parking it when that page
  // is not the selected one (unless it is parked already). Raises 380 for a
  // page that does not exist.
  void placeOnTab(Control& child, int tab);
  // The page a child sits on.
  [[nodiscard]] int tabOf(const Control& child) const;

  static constexpr double HiddenOffset = 75000;

 private:
  struct Placement {
    std::weak_ptr<Object> child;
    int tab = 0;
  };
  [[nodiscard]] std::vector<Control*> children() const;
  [[nodiscard]] Placement* placementOf(const Control& child);
  void select(int tab);
  void setTabs(int count);
  std::vector<Placement> placements_;
};

// Controls the form holds but never shows at run time; recognised by type name.
class CommonDialog final : public Control {
 public:
  CommonDialog();
  [[nodiscard]] std::string typeName() const override { return "CommonDialog"; }
};

class ImageList final : public Control {
 public:
  ImageList();
  [[nodiscard]] std::string typeName() const override { return "ImageList"; }
};

}  // namespace host
