#pragma once
// Gauxel: the proportional form resizer. This class holds the control's public
// properties, reachable by name as the host reaches them, their defaults for
// a newly placed control, and their persistence in the form's property bag.
//
// What the control does with them at run time (adapting the form to the
// screen, polling the form's size, the scaling pass that a change of Zoom
// runs, and the events Zoom, Adapt and Resize) is not part of this class yet:
// assigning Zoom stores the value and reports the change, nothing more.
#include <cstdint>
#include <string>
#include <string_view>

#include "host/model/UserControl.h"

// The public properties with the defaults of a newly loaded control.
struct GauxelProperties {
  bool Enabled = true;
  bool Resize = false;
  double Factor = 1;
  double FactorH = 1;
  std::int16_t Zoom = 100;
  std::int32_t SetScale = 12000;  // screen width in pixels of the design machine
  std::int32_t HScale = 800;      // screen height in pixels of the design machine
};

// The form's design geometry in twips, persisted under private keys.
struct GauxelDesign {
  std::int32_t WidthForm = 7000;
  std::int32_t HeightForm = 6000;
  std::int32_t LeftForm = 700;
  std::int32_t TopForm = 600;
  std::int32_t ScaleW = 7000;
  std::int32_t ScaleH = 6000;
  friend bool operator==(const GauxelDesign&, const GauxelDesign&) = default;
};

class Gauxel : public host::UserControl {
 public:
  Gauxel();

  [[nodiscard]] std::string typeName() const override { return "Gauxel"; }
  // Every assignment of a public property stores the value and reports the
  // change. Factor refuses design time with error 394.
  void set(std::string_view name, const host::Value& value, host::Args index = {}) override;
  host::Value call(std::string_view name, host::Args args = {}) override;

  // A newly placed control: refuses a second resizer on the form, then takes
  // the form's colour, the design screen and the form's design geometry.
  void InitProperties() override;
  void ReadProperties(host::PropertyBag& bag) override;
  void WriteProperties(host::PropertyBag& bag) override;
  // At design time the control keeps its fixed face size.
  void Resize() override;

  [[nodiscard]] GauxelProperties props() const;
  [[nodiscard]] const GauxelDesign& design() const { return design_; }

  // The message shown when a second resizer is placed on a form.
  static constexpr std::string_view AlreadyOnFormMessage = "Adaptor Already Exist in The Form";
  // The face size at design time, in twips.
  static constexpr int DesignWidth = 465;
  static constexpr int DesignHeight = 405;

 private:
  void About();
  void recordFormGeometry();
  GauxelDesign design_;
  bool sizing_ = false;
};
