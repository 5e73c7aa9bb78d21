#pragma once
// host::Font: a font description as the host language's font object has it.
#include <cstdint>
#include <string>

namespace host {

// Name, Size (points), Bold, Italic, Underline, Strikethrough, Weight, Charset.
// Setting the size grants the nearest size a 96-dpi screen can show (a whole
// number of pixels: 9.9 points becomes 9.75), and size() returns the granted
// size. Bold and Weight follow each other as in the host (Bold <=> Weight >= 600).
class Font {
 public:
  Font() = default;  // "MS Sans Serif", 8.25 points, regular
  Font(std::string name, double size);

  [[nodiscard]] const std::string& name() const { return name_; }
  void setName(std::string name) { name_ = std::move(name); }
  [[nodiscard]] double size() const { return size_; }
  void setSize(double points);  // grants the nearest whole-pixel size; never below 1 pixel
  [[nodiscard]] bool bold() const { return weight_ >= 600; }
  void setBold(bool bold) { weight_ = bold ? 700 : 400; }
  [[nodiscard]] bool italic() const { return italic_; }
  void setItalic(bool v) { italic_ = v; }
  [[nodiscard]] bool underline() const { return underline_; }
  void setUnderline(bool v) { underline_ = v; }
  [[nodiscard]] bool strikethrough() const { return strikethrough_; }
  void setStrikethrough(bool v) { strikethrough_ = v; }
  [[nodiscard]] int weight() const { return weight_; }
  void setWeight(int weight) { weight_ = weight; }
  [[nodiscard]] int charset() const { return charset_; }
  void setCharset(int charset) { charset_ = charset; }

  // Pixel height of the em at the given resolution (96 for screens and previews).
  [[nodiscard]] double pixelSize(double dotsPerInch) const { return size_ * dotsPerInch / 72.0; }

  // The installed family that draws this font: Arial and MS Sans Serif map to
  // Liberation Sans, Times New Roman to Liberation Serif, Courier New to
  // Liberation Mono; other names are passed on as they are.
  [[nodiscard]] std::string installedFamily() const;

  friend bool operator==(const Font&, const Font&) = default;

 private:
  std::string name_ = "MS Sans Serif";
  double size_ = 8.25;
  int weight_ = 400;
  bool italic_ = false;
  bool underline_ = false;
  bool strikethrough_ = false;
  int charset_ = 0;
};

// The size a 96-dpi screen grants for a requested point size.
[[nodiscard]] double grantedFontSize(double points);

}  // namespace host
