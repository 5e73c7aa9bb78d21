#pragma once
// Host forms and controls: objects with declared, typed properties reached by
// name (see host/Object.h). Each control family declares its properties with
// their defaults; a property it does not declare raises error 438.
#include <cstdint>
#include <functional>
#include <limits>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "host/Font.h"
#include "host/FormView.h"
#include "host/Lang.h"
#include "host/Object.h"
#include "host/Picture.h"

namespace host {

// The host's controls are laid out on a 96-dots-per-inch screen: 15 twips a pixel.
inline constexpr double TwipsPerPixel = 15;

class Form;
class FormDataCodec;

// One declared property: its name, type and default. `rank` 1 or 2 makes it an
// indexed property (List(i), TextMatrix(r, c)) stored as an array; an index
// outside it raises `indexError` (381 or 9, as the family's host control does).
// A numeric property assigned a value outside minimum..maximum raises 380.
struct PropertyDef {
  std::string name;
  ValueType type = ValueType::Empty;  // Empty: any value (a Variant)
  Value defaultValue;
  int rank = 0;
  bool readOnly = false;
  double minimum = -std::numeric_limits<double>::infinity();
  double maximum = std::numeric_limits<double>::infinity();
  int indexError = 381;

  // Builder steps: declare(PropertyDef{"Alignment", ValueType::Integer, 0}.between(0, 2)).
  [[nodiscard]] PropertyDef between(double low, double high) && {
    minimum = low;
    maximum = high;
    return std::move(*this);
  }
  [[nodiscard]] PropertyDef indexed(int dimensions, int errorNumber = 381) && {
    rank = dimensions;
    indexError = errorNumber;
    return std::move(*this);
  }
  [[nodiscard]] PropertyDef readOnlyAtRunTime() && {
    readOnly = true;
    return std::move(*this);
  }
};

// An object whose properties are declared in a table and stored by name.
// Assigned values are converted to the declared type (raising 13 or 6 when they
// cannot be); families hook onChanged to keep derived state current.
class PropertyObject : public Object {
 public:
  PropertyObject();
  ~PropertyObject() override;
  [[nodiscard]] Value get(std::string_view name, Args index = {}) const override;
  void set(std::string_view name, const Value& value, Args index = {}) override;
  using Object::call;
  using Object::get;
  using Object::set;
  [[nodiscard]] bool hasProperty(std::string_view name) const;
  [[nodiscard]] const std::vector<PropertyDef>& properties() const { return defs_; }
  // Length of an indexed property along one dimension.
  [[nodiscard]] int indexedCount(std::string_view name, int dimension = 0) const;
  // Keeps the elements that stay inside the new bounds; new ones take the default.
  void resizeIndexed(std::string_view name, int count0, int count1 = 0);
  // Stores a value as a loader would (declared type only: no range or read-only
  // check, no change notification). Raises 438 for an undeclared name.
  void load(std::string_view name, const Value& value, Args index = {}) { store(name, value, index); }

 protected:
  // Declares a property; declaring a name again replaces the earlier declaration
  // (a family overriding a common default). The default is converted to the type.
  void declare(PropertyDef def);
  // Stores without conversion checks beyond the type (used by loaders and computed properties).
  void store(std::string_view name, const Value& value, Args index = {});
  [[nodiscard]] Value stored(std::string_view name, Args index = {}) const;
  void store(std::string_view name, const Value& value, std::initializer_list<Value> index) {
    store(name, value, Args(index.begin(), index.size()));
  }
  [[nodiscard]] Value stored(std::string_view name, std::initializer_list<Value> index) const {
    return stored(name, Args(index.begin(), index.size()));
  }
  virtual void onChanged(std::string_view /*name*/) {}
  // Counts every write of a property (assigned, stored or resized), so derived
  // state can tell whether it is still current.
  [[nodiscard]] std::uint64_t writeCount(std::string_view name) const;

 private:
  struct Slot;
  [[nodiscard]] const PropertyDef* find(std::string_view name) const;
  [[nodiscard]] std::size_t slotOf(std::string_view name) const;  // raises 438
  [[nodiscard]] std::size_t elementOf(const PropertyDef& def, const Slot& slot, Args index) const;
  std::vector<PropertyDef> defs_;
  std::vector<std::shared_ptr<Slot>> slots_;
  std::unordered_map<std::string, std::size_t, NoCaseHash, NoCaseEqual> byName_;  // name (any case) -> position
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
// Container (an object; assigning a container control of the same form moves
// the control into it) and Parent (the form, read-only). Methods: Move, Refresh,
// ZOrder. Each family declares which of these it has; the others raise 438.
class Control : public PropertyObject {
 public:
  [[nodiscard]] Value get(std::string_view name, Args index = {}) const override;
  void set(std::string_view name, const Value& value, Args index = {}) override;
  Value call(std::string_view name, Args args = {}) override;
  using Object::call;
  using Object::get;
  using Object::set;

  [[nodiscard]] Form* form() const { return form_; }
  // The container: the form or a container control (frame, picture box, tab).
  // nullptr for a control that is on no form.
  [[nodiscard]] ObjectRef container() const;
  [[nodiscard]] std::string name() const;
  [[nodiscard]] bool isContainer() const { return holdsControls_; }
  // The control's font; nullptr for families without one (lines, shapes, images).
  [[nodiscard]] const std::shared_ptr<FontObject>& fontObject() const { return font_; }
  // Drawing order on the form (ZOrder 0 brings a control to the front).
  [[nodiscard]] int zOrder() const { return zOrder_; }
  // How the family keeps data beyond its plain properties in a form file
  // (host/model/FormData.h); nullptr for most families.
  [[nodiscard]] virtual const FormDataCodec* formData() const { return nullptr; }

 protected:
  friend class Form;
  // Declares Name, Tag, Visible, Index and, unless told otherwise, Left, Top,
  // Width and Height (a line has none of them).
  void declareExtender(bool withGeometry = true);
  // A font of its own ("MS Sans Serif" 8.25), reached as the Font property.
  void giveFont();
  // A window of its own: hWnd (read-only), TabIndex, TabStop.
  void giveWindow();
  Form* form_ = nullptr;
  std::weak_ptr<Object> container_;
  std::shared_ptr<FontObject> font_;
  bool holdsControls_ = false;
  int zOrder_ = 0;
};

// The scale of a drawing area (a form's or a picture box's client area):
// ScaleMode and the user scale that ScaleWidth/ScaleHeight set.
class ScaleSpace {
 public:
  // Twips per unit of a scale mode along x or y (ScaleMode 1 to 7; 0 is the user scale).
  [[nodiscard]] static double twipsPerUnit(int scaleMode, bool vertical);
  // Whether a property is one of the extents, ScaleWidth or ScaleHeight.
  [[nodiscard]] static bool isExtent(std::string_view name);

  // ScaleWidth or ScaleHeight: the client area in the units of the scale
  // mode, or the extent of the user scale in mode 0.
  [[nodiscard]] Value extent(std::string_view name, int scaleMode, double clientWidthTwips,
                             double clientHeightTwips) const;
  // Takes the area's current extents as the user scale: switching to
  // ScaleMode 0 keeps the extents the current mode gives.
  void keepExtents(const Object& area);
  // Setting an extent makes a user scale (the area then switches to ScaleMode
  // 0); the other dimension keeps its extent in the units it had. Raises 380
  // for an extent of 0.
  void setExtent(const Object& area, std::string_view name, const Value& value);

 private:
  double userWidth_ = 0;
  double userHeight_ = 0;
};

// A form: its controls in creation order, scale mode and size, colours, the
// snapshot of its client area (hDC). ScaleWidth/ScaleHeight follow the client
// size in the current ScaleMode (1 twips, 3 pixels).
// Form properties: Name, Caption, Tag, Left/Top/Width/Height (twips, the outer
// window), ScaleMode (0 user, 1 twips, 2 points, 3 pixels, 4 characters,
// 5 inches, 6 millimetres, 7 centimetres), ScaleWidth/ScaleHeight/ScaleLeft/
// ScaleTop, WindowState, RightToLeft, BackColor, ForeColor, MDIChild, hWnd,
// hDC, AutoRedraw, Visible, Enabled, BorderStyle, Font, Controls (a collection
// object with Count and Item(i), i from 0, or Item(name)), Count. Methods:
// Move, Show, Hide, Refresh. The client area is the outer size less a fixed
// allowance for the frame and caption (none with BorderStyle 0).
class Form : public PropertyObject, public FormView {
 public:
  Form();
  ~Form() override;
  [[nodiscard]] static std::shared_ptr<Form> create(std::string name = "Form1", bool mdiParent = false);
  [[nodiscard]] std::string typeName() const override;  // "Form", or "MDIForm" for a multiple-document parent
  [[nodiscard]] Kind kind() const override { return Kind::Form; }
  [[nodiscard]] Value get(std::string_view name, Args index = {}) const override;
  void set(std::string_view name, const Value& value, Args index = {}) override;
  Value call(std::string_view name, Args args = {}) override;
  using Object::call;
  using Object::get;
  using Object::set;

  // Frame and caption allowance of a bordered form, in twips.
  static constexpr int FrameAllowanceX = 120;
  static constexpr int FrameAllowanceY = 405;
  // The client area in twips.
  [[nodiscard]] double clientWidthTwips() const;
  [[nodiscard]] double clientHeightTwips() const;
  // Sizes the outer window so that the client area is `widthTwips` by
  // `heightTwips`, as a user dragging the form's border does (and a test or
  // the command line in their stead).
  void setClientSize(double widthTwips, double heightTwips);

  // Adds a control of a built-in family or of a registered component library;
  // raises HostError when the type is unknown (711), the name is taken (727) or
  // the container cannot hold controls (5).
  ObjectRef addControl(std::string_view typeName, std::string_view name, const ObjectRef& container = nullptr);
  // Adds a control made elsewhere (the component registry's factories). The
  // control keeps its Name; raises 13 when it is not a control, 5 when the
  // container is not this form or one of its containers, or the control is
  // already on a form.
  void adopt(const ObjectRef& control, const ObjectRef& container = nullptr);
  [[nodiscard]] const std::vector<ObjectRef>& controls() const override { return controls_; }
  [[nodiscard]] ObjectRef control(std::string_view name) const;  // nullptr when absent

  // What loading the form from its file passed over (a component's stored
  // value that could not be read and took its default), for the user.
  void addLoadNote(std::string note) { loadNotes_.push_back(std::move(note)); }
  [[nodiscard]] const std::vector<std::string>& loadNotes() const { return loadNotes_; }

  // A multiple-document parent has AutoShowChildren and ActiveForm.
  [[nodiscard]] bool isMdiParent() const { return mdiParent_; }
  // Adds a child form (it becomes MDIChild and the active form); raises 5 on a plain form.
  void addChild(const std::shared_ptr<Form>& child);
  // Makes one of the children the active form.
  void activate(const std::shared_ptr<Form>& child);
  [[nodiscard]] const std::vector<std::shared_ptr<Form>>& children() const { return children_; }
  // The picture of its client area as the user sees it (hDC): the background
  // with every visible control drawn simply (boxes, texts, lines, pictures).
  [[nodiscard]] Picture snapshot() const override;
  // Closing the form terminates its controls (component libraries get
  // Terminate) and unloads its child forms. Safe to call twice.
  void unload();
  [[nodiscard]] bool isUnloaded() const { return unloaded_; }
  // The next ZOrder position for a control brought to the front / sent back.
  [[nodiscard]] int frontZ() { return ++frontZ_; }
  [[nodiscard]] int backZ() { return --backZ_; }

 private:
  std::vector<std::string> loadNotes_;
  std::vector<ObjectRef> controls_;
  std::vector<std::shared_ptr<Form>> children_;
  std::weak_ptr<Form> activeChild_;
  std::shared_ptr<FontObject> font_;
  std::int32_t hWnd_ = 0;
  std::int32_t hDC_ = 0;
  bool mdiParent_ = false;
  bool unloaded_ = false;
  int frontZ_ = 0;
  int backZ_ = 0;
  ScaleSpace scale_;
};

// Creates a control of a built-in family by type name ("Label", "TextBox",
// ...; compared exactly); nullptr when the name is not a built-in family.
[[nodiscard]] ObjectRef createBuiltInControl(std::string_view typeName);
// The type names of the built-in families, in the factory's order.
[[nodiscard]] std::vector<std::string> builtInControlTypes();

// A new window or device handle: a nonzero Long unique in the process.
[[nodiscard]] std::int32_t newHandle();

}  // namespace host
