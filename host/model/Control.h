#pragma once
// Host forms and controls: objects with declared, typed properties reached by
// name (see host/Object.h). Each control family declares its properties with
// their defaults; a property it does not declare raises error 438.
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "host/Font.h"
#include "host/Object.h"
#include "host/Picture.h"

namespace host {

class Form;

// One declared property: its name, type and default. `rank` 1 or 2 makes it an
// indexed property (List(i), TextMatrix(r, c)) stored as an array.
struct PropertyDef {
  std::string name;
  ValueType type = ValueType::Empty;  // Empty: any value (a Variant)
  Value defaultValue;
  int rank = 0;
  bool readOnly = false;
};

// An object whose properties are declared in a table and stored by name.
// Assigned values are converted to the declared type (raising 13 or 6 when they
// cannot be); families hook onChanged to keep derived state current.
class PropertyObject : public Object {
 public:
  [[nodiscard]] Value get(std::string_view name, Args index = {}) const override;
  void set(std::string_view name, const Value& value, Args index = {}) override;
  [[nodiscard]] bool hasProperty(std::string_view name) const;
  [[nodiscard]] const std::vector<PropertyDef>& properties() const { return defs_; }
  // Length of an indexed property along one dimension.
  [[nodiscard]] int indexedCount(std::string_view name, int dimension = 0) const;
  void resizeIndexed(std::string_view name, int count0, int count1 = 0);

 protected:
  void declare(PropertyDef def);
  // Stores without conversion checks beyond the type (used by loaders and computed properties).
  void store(std::string_view name, const Value& value, Args index = {});
  [[nodiscard]] Value stored(std::string_view name, Args index = {}) const;
  virtual void onChanged(std::string_view /*name*/) {}

 private:
  struct Slot;
  [[nodiscard]] const PropertyDef* find(std::string_view name) const;
  std::vector<PropertyDef> defs_;
  std::vector<std::shared_ptr<Slot>> slots_;
};

// The font object of a control (ctl.Font.Size = 10): a host::Font reached by name.
class FontObject : public Object {
 public:
  explicit FontObject(Font font = {}) : font_(std::move(font)) {}
  [[nodiscard]] std::string typeName() const override { return "Font"; }
  [[nodiscard]] Value get(std::string_view name, Args index = {}) const override;
  void set(std::string_view name, const Value& value, Args index = {}) override;
  [[nodiscard]] const Font& font() const { return font_; }
  void setFont(const Font& font) { font_ = font; }
  [[nodiscard]] static std::shared_ptr<FontObject> create(Font font = {}) {
    return std::make_shared<FontObject>(std::move(font));
  }

 private:
  Font font_;
};

// A control on a form. Geometry is in twips relative to its container.
// Common properties: Name, Tag, Visible, Left, Top, Width, Height, Enabled,
// Index, Font (an object), BackColor, ForeColor (negative = system colour),
// Container and Parent (objects, read-only).
class Control : public PropertyObject {
 public:
  [[nodiscard]] Value get(std::string_view name, Args index = {}) const override;
  void set(std::string_view name, const Value& value, Args index = {}) override;

  [[nodiscard]] Form* form() const { return form_; }
  // The container: the form or a container control (frame, picture box, tab).
  [[nodiscard]] ObjectRef container() const;
  [[nodiscard]] std::string name() const;
  [[nodiscard]] bool isContainer() const;

 protected:
  friend class Form;
  Form* form_ = nullptr;
  std::weak_ptr<Object> container_;
};

// A form: its controls in creation order, scale mode and size, colours, the
// snapshot of its client area (hDC). ScaleWidth/ScaleHeight follow the client
// size in the current ScaleMode (1 twips, 3 pixels).
class Form : public PropertyObject {
 public:
  [[nodiscard]] static std::shared_ptr<Form> create(std::string name = "Form1", bool mdiParent = false);
  [[nodiscard]] std::string typeName() const override;
  [[nodiscard]] Kind kind() const override { return Kind::Form; }
  [[nodiscard]] Value get(std::string_view name, Args index = {}) const override;
  void set(std::string_view name, const Value& value, Args index = {}) override;

  // Adds a control of a built-in family or of a registered component library;
  // raises HostError when the type is unknown or the container cannot hold controls.
  ObjectRef addControl(std::string_view typeName, std::string_view name, const ObjectRef& container = nullptr);
  // Adds a control made elsewhere (the component registry's factories).
  void adopt(const ObjectRef& control, const ObjectRef& container = nullptr);
  [[nodiscard]] const std::vector<ObjectRef>& controls() const { return controls_; }
  [[nodiscard]] ObjectRef control(std::string_view name) const;  // nullptr when absent

  // A multiple-document parent has AutoShowChildren and ActiveForm.
  [[nodiscard]] bool isMdiParent() const { return mdiParent_; }
  void addChild(const std::shared_ptr<Form>& child);
  // The picture of its client area as the user sees it (hDC).
  [[nodiscard]] Picture snapshot() const;
  // Closing the form terminates its controls (component libraries get Terminate).
  void unload();

 private:
  std::vector<ObjectRef> controls_;
  std::vector<std::shared_ptr<Form>> children_;
  bool mdiParent_ = false;
};

// Creates a control of a built-in family by type name ("Label", "TextBox",
// ...); nullptr when the name is not a built-in family.
[[nodiscard]] ObjectRef createBuiltInControl(std::string_view typeName);

}  // namespace host
