// Picture boxes and image controls, and the handles their pictures go by.
#include <QPainter>
#include <algorithm>
#include <limits>
#include <map>

#include "host/HostError.h"
#include "host/Lang.h"
#include "host/PictureImpl.h"
#include "host/RasterDc.h"
#include "host/model/Families.h"
#include "host/model/Pictures.h"

namespace host {

namespace {

// Handles of the pictures that controls hold. An entry lives as long as a
// control holds its picture; an expired entry stands for no picture.
std::map<std::int32_t, std::weak_ptr<const Picture>>& pictureHandles() {
  static std::map<std::int32_t, std::weak_ptr<const Picture>> handles;
  return handles;
}

void forgetExpiredHandles() {
  auto& handles = pictureHandles();
  std::erase_if(handles, [](const auto& entry) { return entry.second.expired(); });
}

const Picture& noPicture() {
  static const Picture none;
  return none;
}

// Picture = value: a handle, 0 to clear, or the path of a file to load.
void assignPicture(PictureHolder& holder, const Value& value) {
  if (value.isString()) {
    std::string path = value.toString();
    if (path.empty()) {
      holder.hold(Picture());
    } else {
      holder.hold(Picture::load(path), path);
    }
    return;
  }
  if (value.isObject()) raise(err::TypeMismatch, "Type mismatch: Picture");
  holder.holdHandle(value.toLong());
}

int borderPixels(const PropertyObject& control) {
  if (control.get("BorderStyle").toInteger() == 0) return 0;
  return control.get("Appearance").toInteger() == 1 ? 2 : 1;
}

}  // namespace

// --- PictureHolder ----------------------------------------------------------

const Picture& PictureHolder::picture() const { return picture_ ? *picture_ : noPicture(); }

void PictureHolder::hold(const Picture& picture, std::filesystem::path source) {
  if (picture.isNull()) {
    picture_.reset();
    source_.clear();
    handle_ = 0;
    forgetExpiredHandles();
    return;
  }
  picture_ = std::make_shared<const Picture>(picture);
  source_ = std::move(source);
  handle_ = newHandle();
  forgetExpiredHandles();
  pictureHandles()[handle_] = picture_;
}

void PictureHolder::holdHandle(std::int32_t handle) {
  if (handle == 0) {
    hold(Picture());
    return;
  }
  if (handle == handle_) return;
  auto found = pictureHandles().find(handle);
  std::shared_ptr<const Picture> shared = found == pictureHandles().end() ? nullptr : found->second.lock();
  if (!shared) raise(err::InvalidPropertyValue, "Invalid property value: Picture");
  // The same picture under the same handle, as the host shares one picture object.
  picture_ = std::move(shared);
  source_.clear();
  handle_ = handle;
}

Picture pictureFromHandle(std::int32_t handle) {
  auto found = pictureHandles().find(handle);
  if (found == pictureHandles().end()) return Picture();
  auto shared = found->second.lock();
  return shared ? *shared : Picture();
}

// --- PictureBox -------------------------------------------------------------

namespace {

// The client area holding a picture of more stored pixels than host pixels,
// at the picture's resolution: the picture box hands it on as sharp as it is.
Picture displayedSharp(Size client, const Picture& picture, Rgb back) {
  const int ratio = picture.pixelRatio();
  QImage shown(client.width * ratio, client.height * ratio, QImage::Format_RGB32);
  shown.fill(QColor(back.red, back.green, back.blue));
  QImage source = imageOf(picture);
  source.setDevicePixelRatio(1);
  QPainter painter(&shown);
  painter.drawImage(QPoint(0, 0), source);
  painter.end();
  shown.setDevicePixelRatio(ratio);
  return pictureOf(std::move(shown));
}

}  // namespace

PictureBox::PictureBox() {
  holdsControls_ = true;
  declareExtender();
  declare({"Picture", ValueType::Long, 0});
  declare(PropertyDef{"Image", ValueType::Long, 0}.readOnlyAtRunTime());
  declare(PropertyDef{"hDC", ValueType::Long, hDC_}.readOnlyAtRunTime());
  declare({"AutoRedraw", ValueType::Boolean, false});
  declare({"AutoSize", ValueType::Boolean, false});
  declare(PropertyDef{"ScaleMode", ValueType::Integer, 1}.between(0, 7));
  declare({"ScaleWidth", ValueType::Single, 0});
  declare({"ScaleHeight", ValueType::Single, 0});
  declare({"ScaleLeft", ValueType::Single, 0});
  declare({"ScaleTop", ValueType::Single, 0});
  declare(PropertyDef{"BorderStyle", ValueType::Integer, 1}.between(0, 1));
  declare(PropertyDef{"Appearance", ValueType::Integer, 1}.between(0, 1));
  declare(PropertyDef{"Align", ValueType::Integer, 0}.between(0, 4));
  declare({"BackColor", ValueType::Long, ButtonFace});
  declare({"ForeColor", ValueType::Long, ButtonText});
  declare({"FillColor", ValueType::Long, 0});
  declare(PropertyDef{"FillStyle", ValueType::Integer, 1}.between(0, 7));
  declare(PropertyDef{"DrawWidth", ValueType::Integer, 1}.between(1, 32767));
  declare({"ClipControls", ValueType::Boolean, true});
  declare({"Enabled", ValueType::Boolean, true});
  declare({"RightToLeft", ValueType::Boolean, false});
  declare({"ToolTipText", ValueType::String, ""});
  store("Width", Value(1215));
  store("Height", Value(1215));
  giveWindow();
  giveFont();
}

double PictureBox::clientWidthTwips() const {
  return std::max(0.0, stored("Width").toDouble() - 2 * borderPixels(*this) * TwipsPerPixel);
}

double PictureBox::clientHeightTwips() const {
  return std::max(0.0, stored("Height").toDouble() - 2 * borderPixels(*this) * TwipsPerPixel);
}

Picture PictureBox::displayedImage() const {
  Size client{static_cast<int>(Int(clientWidthTwips() / TwipsPerPixel)),
              static_cast<int>(Int(clientHeightTwips() / TwipsPerPixel))};
  if (client.isEmpty()) return Picture();
  const Picture& held = picture_.picture();
  if (held.pixelRatio() > 1) return displayedSharp(client, held, colorFromHost(stored("BackColor").toLong()));
  auto surface = RasterDc::create(client, RasterFormat::Color);
  surface->fillRect(Rect::fromXywh(0, 0, client.width, client.height),
                    Brush::solid(colorFromHost(stored("BackColor").toLong())));
  const Picture& picture = picture_.picture();
  if (!picture.isNull()) {
    Rect whole = Rect::fromXywh(0, 0, picture.width(), picture.height());
    surface->stretchPicture(whole, picture, whole);
  }
  return surface->picture();
}

void PictureBox::holdPicture(const Picture& picture, std::filesystem::path source) {
  picture_.hold(picture, std::move(source));
  fitToPicture();
}

void PictureBox::fitToPicture() {
  const Picture& picture = picture_.picture();
  if (!stored("AutoSize").toBool() || picture.isNull()) return;
  int border = 2 * borderPixels(*this);
  store("Width", Value(static_cast<float>((picture.width() + border) * TwipsPerPixel)));
  store("Height", Value(static_cast<float>((picture.height() + border) * TwipsPerPixel)));
}

Value PictureBox::get(std::string_view name, Args index) const {
  if (equalsNoCase(name, "Picture")) return Value(picture_.handle());
  if (equalsNoCase(name, "Image")) {
    // The displayed image keeps its handle while what it shows stays the same.
    std::string key = std::to_string(picture_.handle()) + '|' + std::to_string(clientWidthTwips()) + '|' +
                      std::to_string(clientHeightTwips()) + '|' + std::to_string(stored("BackColor").toLong());
    if (key != imageKey_) {
      image_.hold(displayedImage());
      imageKey_ = std::move(key);
    }
    return Value(image_.handle());
  }
  if (ScaleSpace::isExtent(name)) {
    return scale_.extent(name, stored("ScaleMode").toInteger(), clientWidthTwips(), clientHeightTwips());
  }
  return Control::get(name, index);
}

void PictureBox::set(std::string_view name, const Value& value, Args index) {
  if (equalsNoCase(name, "Picture")) {
    assignPicture(picture_, value);
    fitToPicture();
    return;
  }
  if (ScaleSpace::isExtent(name)) {
    scale_.setExtent(*this, name, value);
    store("ScaleMode", Value(0));
    return;
  }
  if (equalsNoCase(name, "ScaleMode") && value.toLong() == 0) scale_.keepExtents(*this);
  Control::set(name, value, index);
  if (equalsNoCase(name, "AutoSize")) fitToPicture();
}

Value PictureBox::call(std::string_view name, Args args) {
  // Cls clears drawn output; a picture box here shows only its Picture and background.
  if (equalsNoCase(name, "Cls")) return {};
  return Control::call(name, args);
}

// --- Image ------------------------------------------------------------------

Image::Image() {
  declareExtender();
  declare({"Picture", ValueType::Long, 0});
  declare({"Stretch", ValueType::Boolean, false});
  declare(PropertyDef{"BorderStyle", ValueType::Integer, 0}.between(0, 1));
  declare(PropertyDef{"Appearance", ValueType::Integer, 1}.between(0, 1));
  declare({"Enabled", ValueType::Boolean, true});
  declare({"ToolTipText", ValueType::String, ""});
  store("Width", Value(975));
  store("Height", Value(975));
}

void Image::holdPicture(const Picture& picture, std::filesystem::path source) {
  picture_.hold(picture, std::move(source));
  fitToPicture();
}

void Image::fitToPicture() {
  // Without Stretch an image control takes the size of its picture.
  const Picture& picture = picture_.picture();
  if (stored("Stretch").toBool() || picture.isNull()) return;
  store("Width", Value(static_cast<float>(picture.width() * TwipsPerPixel)));
  store("Height", Value(static_cast<float>(picture.height() * TwipsPerPixel)));
}

Value Image::get(std::string_view name, Args index) const {
  if (equalsNoCase(name, "Picture")) return Value(picture_.handle());
  return Control::get(name, index);
}

void Image::set(std::string_view name, const Value& value, Args index) {
  if (equalsNoCase(name, "Picture")) {
    assignPicture(picture_, value);
    fitToPicture();
    return;
  }
  Control::set(name, value, index);
}

// --- helpers ----------------------------------------------------------------

namespace {

const PictureHolder* holderOf(const Object& control) {
  if (const auto* box = dynamic_cast<const PictureBox*>(&control)) return &box->holder();
  if (const auto* image = dynamic_cast<const Image*>(&control)) return &image->holder();
  return nullptr;
}

}  // namespace

Picture pictureOf(const Object& control) {
  const PictureHolder* holder = holderOf(control);
  return holder != nullptr ? holder->picture() : Picture();
}

Picture displayedImageOf(const Object& control) {
  if (const auto* box = dynamic_cast<const PictureBox*>(&control)) return box->displayedImage();
  return pictureOf(control);
}

void setPicture(Object& control, const Picture& picture, const std::filesystem::path& source) {
  if (auto* box = dynamic_cast<PictureBox*>(&control)) {
    box->holdPicture(picture, source);
  } else if (auto* image = dynamic_cast<Image*>(&control)) {
    image->holdPicture(picture, source);
  } else {
    raise(err::MemberNotFound, "Object doesn't support this property or method: Picture");
  }
}

Picture stretchedPicture(const Picture& picture, Size size) {
  if (picture.isNull() || size.isEmpty()) return Picture();
  if (picture.size() == size) return picture;
  const int ratio = picture.pixelRatio();
  // A size no image can have stretches to nothing (an image too large for
  // memory comes back null as well).
  if (size.width > std::numeric_limits<int>::max() / ratio || size.height > std::numeric_limits<int>::max() / ratio)
    return Picture();
  QImage stretched = imageOf(picture).scaled(size.width * ratio, size.height * ratio, Qt::IgnoreAspectRatio,
                                             Qt::FastTransformation);
  stretched.setDevicePixelRatio(ratio);
  return pictureOf(std::move(stretched));
}

std::filesystem::path pictureSourceOf(const Object& control) {
  const PictureHolder* holder = holderOf(control);
  return holder != nullptr ? holder->source() : std::filesystem::path();
}

}  // namespace host
