// Labels, text boxes and masked edit boxes.
#include <algorithm>
#include <cmath>

#include "host/HostError.h"
#include "host/Lang.h"
#include "host/TextMetrics.h"
#include "host/model/Families.h"
#include "host/model/Messages.h"
#include "host/model/ModelErrors.h"

namespace host {

namespace {

TextWidth widthIn(const Font& font) {
  return [font](std::string_view run) { return measureText(font, run).width; };
}

// The lines of a text broken only at its line breaks.
std::vector<std::string_view> linesOf(std::string_view text) {
  std::vector<std::string_view> lines;
  std::size_t start = 0;
  for (;;) {
    std::size_t end = text.find_first_of("\r\n", start);
    lines.push_back(text.substr(start, end == std::string_view::npos ? std::string_view::npos : end - start));
    if (end == std::string_view::npos) return lines;
    start = end + (text.substr(end, 2) == "\r\n" ? 2 : 1);
  }
}

}  // namespace

// --- Label ------------------------------------------------------------------

Label::Label() {
  declareExtender();
  declare({"Caption", ValueType::String, ""});
  declare(PropertyDef{"Alignment", ValueType::Integer, 0}.between(0, 2));
  declare({"AutoSize", ValueType::Boolean, false});
  declare({"WordWrap", ValueType::Boolean, false});
  declare(PropertyDef{"BackStyle", ValueType::Integer, 1}.between(0, 1));
  declare(PropertyDef{"BorderStyle", ValueType::Integer, 0}.between(0, 1));
  declare(PropertyDef{"Appearance", ValueType::Integer, 1}.between(0, 1));
  declare({"BackColor", ValueType::Long, ButtonFace});
  declare({"ForeColor", ValueType::Long, ButtonText});
  declare({"Enabled", ValueType::Boolean, true});
  declare({"RightToLeft", ValueType::Boolean, false});
  declare({"UseMnemonic", ValueType::Boolean, true});
  declare({"ToolTipText", ValueType::String, ""});
  giveFont();
}

std::pair<double, double> Label::autoSize() const {
  const Font& font = font_->font();
  std::string caption = PropertyObject::get("Caption").toString();
  int border = PropertyObject::get("BorderStyle").toInteger() == 1 ? 2 : 0;
  int lineHeight = measureText(font, "").height;
  if (PropertyObject::get("WordWrap").toBool()) {
    // A word-wrapped label keeps its width and grows to the lines it needs.
    double width = PropertyObject::get("Width").toDouble();
    int wrapAt = std::max(1, static_cast<int>(width / TwipsPerPixel) - 2 * border);
    EditLayout lines = layOutEditText(caption, wrapAt, widthIn(font));
    return {width, (lines.lineCount() * lineHeight + 2 * border) * TwipsPerPixel};
  }
  std::vector<std::string_view> lines = linesOf(caption);
  const int widest = widestLine(font, lines);
  return {(widest + 2 * border) * TwipsPerPixel,
          (static_cast<int>(lines.size()) * lineHeight + 2 * border) * TwipsPerPixel};
}

std::uint64_t Label::autoSizeWrites() const {
  return writeCount("Caption") + writeCount("WordWrap") + writeCount("BorderStyle") + writeCount("Width") +
         writeCount("AutoSize");
}

std::pair<double, double> Label::cachedAutoSize() const {
  const std::uint64_t writes = autoSizeWrites();
  const Font& font = font_->font();
  if (writes == autoSizeWrites_ && font == autoSizeFont_) return autoSize_;
  autoSize_ = autoSize();
  autoSizeWrites_ = writes;
  autoSizeFont_ = font;
  return autoSize_;
}

Value Label::get(std::string_view name, Args index) const {
  bool sizeProperty = equalsNoCase(name, "Width") || equalsNoCase(name, "Height");
  if (sizeProperty && PropertyObject::get("AutoSize").toBool()) {
    auto [width, height] = cachedAutoSize();
    return Value(static_cast<float>(equalsNoCase(name, "Width") ? width : height));
  }
  return Control::get(name, index);
}

// --- TextBox ----------------------------------------------------------------

TextBox::TextBox() {
  declareExtender();
  declare({"Text", ValueType::String, ""});
  declare({"MultiLine", ValueType::Boolean, false});
  declare(PropertyDef{"ScrollBars", ValueType::Integer, 0}.between(0, 3));
  declare(PropertyDef{"Alignment", ValueType::Integer, 0}.between(0, 2));
  declare(PropertyDef{"BorderStyle", ValueType::Integer, 1}.between(0, 1));
  declare(PropertyDef{"Appearance", ValueType::Integer, 1}.between(0, 1));
  declare({"BackColor", ValueType::Long, WindowBackground});
  declare({"ForeColor", ValueType::Long, WindowForeground});
  declare({"Enabled", ValueType::Boolean, true});
  declare({"Locked", ValueType::Boolean, false});
  declare(PropertyDef{"MaxLength", ValueType::Long, 0}.between(0, 2147483647));
  declare({"PasswordChar", ValueType::String, ""});
  declare({"HideSelection", ValueType::Boolean, true});
  declare(PropertyDef{"SelStart", ValueType::Long, 0}.between(0, 2147483647));
  declare(PropertyDef{"SelLength", ValueType::Long, 0}.between(0, 2147483647));
  declare({"RightToLeft", ValueType::Boolean, false});
  declare({"ToolTipText", ValueType::String, ""});
  giveWindow();
  giveFont();
}

int TextBox::wrapWidthPixels() const {
  bool multiLine = PropertyObject::get("MultiLine").toBool();
  int scrollBars = PropertyObject::get("ScrollBars").toInteger();
  if (!multiLine || scrollBars == 1 || scrollBars == 3) return 0;  // a horizontal scroll bar turns wrapping off
  int border = 0;
  if (PropertyObject::get("BorderStyle").toInteger() == 1) {
    border = PropertyObject::get("Appearance").toInteger() == 1 ? 2 : 1;
  }
  int verticalBar = scrollBars == 2 ? 17 : 0;
  int width = static_cast<int>(Int(PropertyObject::get("Width").toDouble() / TwipsPerPixel)) - 2 * border - verticalBar;
  return std::max(1, width);
}

const EditLayout& TextBox::layout() const {
  const Font& font = font_->font();
  int wrapAt = wrapWidthPixels();
  std::uint64_t writes = writeCount("Text") + writeCount("MultiLine");
  if (writes == layoutWrites_ && wrapAt == layoutWrap_ && font == layoutFont_) return layout_;
  std::string text = PropertyObject::get("Text").toString();
  if (PropertyObject::get("MultiLine").toBool()) {
    layout_ = layOutEditText(text, wrapAt, widthIn(font));
  } else {
    // A single-line box shows all of its text on its one line.
    int characters = layOutEditText(text, 0, {}).characterCount;
    layout_ = EditLayout{{0}, {characters}, characters};
  }
  layoutWrites_ = writes;
  layoutWrap_ = wrapAt;
  layoutFont_ = font;
  return layout_;
}

Value TextBox::call(std::string_view name, Args args) {
  if (!equalsNoCase(name, "SendMessage")) return Control::call(name, args);
  if (args.size() != 3) raise(model_err::WrongArguments, "Wrong number of arguments: SendMessage");
  int message = args[0].toLong();
  std::int32_t wParam = args[1].toLong();
  const EditLayout& lines = layout();
  auto caretOr = [&](std::int32_t position) {
    return position >= 0 ? position : PropertyObject::get("SelStart").toLong();
  };
  switch (message) {
    case msg::EM_GETLINECOUNT: return Value(lines.lineCount());
    case msg::EM_LINEINDEX:
      return Value(lines.lineIndex(wParam >= 0 ? wParam : lines.lineFromCharacter(caretOr(-1))));
    case msg::EM_LINEFROMCHAR: return Value(lines.lineFromCharacter(caretOr(wParam)));
    case msg::EM_LINELENGTH: return Value(lines.lineLength(lines.lineFromCharacter(caretOr(wParam))));
    default: return Value(0);  // messages an edit window leaves to the default handling
  }
}

// --- MaskEdBox --------------------------------------------------------------

MaskEdBox::MaskEdBox() {
  declareExtender();
  // The prompt comes before the text: a form file gives Text with the
  // prompt in its empty places, and loading takes the properties in this
  // order, whatever the file's.
  declare({"Mask", ValueType::String, ""});
  declare({"PromptChar", ValueType::String, "_"});
  declare({"PromptInclude", ValueType::Boolean, true});
  declare({"AllowPrompt", ValueType::Boolean, false});
  declare({"Text", ValueType::String, ""});
  declare(PropertyDef{"FormattedText", ValueType::String, ""}.readOnlyAtRunTime());
  declare(PropertyDef{"ClipText", ValueType::String, ""}.readOnlyAtRunTime());
  declare({"AutoTab", ValueType::Boolean, false});
  declare(PropertyDef{"MaxLength", ValueType::Integer, 64}.between(1, 64));
  declare(PropertyDef{"BorderStyle", ValueType::Integer, 1}.between(0, 1));
  declare(PropertyDef{"Appearance", ValueType::Integer, 1}.between(0, 1));
  declare({"BackColor", ValueType::Long, WindowBackground});
  declare({"ForeColor", ValueType::Long, WindowForeground});
  declare({"Enabled", ValueType::Boolean, true});
  declare({"HideSelection", ValueType::Boolean, true});
  declare(PropertyDef{"SelStart", ValueType::Long, 0}.between(0, 2147483647));
  declare(PropertyDef{"SelLength", ValueType::Long, 0}.between(0, 2147483647));
  declare({"ToolTipText", ValueType::String, ""});
  giveWindow();
  giveFont();
}

Value MaskEdBox::get(std::string_view name, Args index) const {
  if (!mask_.isEmpty()) {
    if (equalsNoCase(name, "Text")) {
      bool withPrompts = PropertyObject::get("PromptInclude").toBool();
      return Value(mask_.text(withPrompts ? PropertyObject::get("PromptChar").toString()[0] : ' '));
    }
    if (equalsNoCase(name, "FormattedText")) return Value(mask_.formattedText());
    if (equalsNoCase(name, "ClipText")) return Value(mask_.clipText());
  } else if (equalsNoCase(name, "FormattedText") || equalsNoCase(name, "ClipText")) {
    return PropertyObject::get("Text");
  }
  return Control::get(name, index);
}

void MaskEdBox::set(std::string_view name, const Value& value, Args index) {
  if (equalsNoCase(name, "PromptChar") && value.toString().size() != 1) {
    raise(err::InvalidPropertyValue, "Invalid property value: PromptChar");
  }
  if (equalsNoCase(name, "Mask")) {
    // The characters entered so far move into the new mask when they fit it.
    std::string entered = mask_.isEmpty() ? PropertyObject::get("Text").toString() : mask_.clipText();
    EditMask mask(value.toString());
    if (!resume([&] { mask.assign(entered, '_'); })) mask.assign("", '_');
    mask_ = std::move(mask);
    Control::set(name, value, index);
    if (!mask_.isEmpty()) store("MaxLength", Value(static_cast<std::int16_t>(std::min(mask_.length(), 64))));
    return;
  }
  if (equalsNoCase(name, "Text") && !mask_.isEmpty()) {
    mask_.assign(value.toString(), PropertyObject::get("PromptChar").toString()[0]);
    return;
  }
  Control::set(name, value, index);
}

}  // namespace host
