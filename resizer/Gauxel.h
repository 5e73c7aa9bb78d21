#pragma once
// Gauxel: the proportional form resizer. It records the form's design
// geometry and the design machine's screen in its property bag; at run time it
// puts the form back at its design place (or adapts it to another screen),
// polls the form's client area while Resize is True, and has every control on
// the form scaled from its recorded geometry whenever the size changes or Zoom
// is assigned.
//
// The working core (the layout records, the scaling pass, the adaptation to
// the screen) lives in ProportionalResize.cpp.
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "host/model/UserControl.h"

namespace host {
class Timer;
}

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

// The container's handlers of the control's events (none takes arguments).
struct GauxelEvents {
  std::function<void()> Zoom;    // at the end of every scaling pass
  std::function<void()> Adapt;   // once the control has been shown
  std::function<void()> Resize;  // after each poll that found a new size
};

// One captured control. For a line W, H, L, T hold X1, Y1, X2, Y2.
// The record does not own its control: the form does, and the form owns the
// resizer, whose own record would otherwise keep the form's controls alive.
struct LayoutRecord {
  std::weak_ptr<host::Object> Ctl;
  double FontSize = 0;
  std::int32_t W = 0;
  std::int32_t H = 0;
  std::int32_t L = 0;
  std::int32_t T = 0;
  std::int32_t GridIndex = -1;  // into the saved column widths; -1 for none
  double Extra = 0;
};

// The ratios of the pass in force and of the one before.
struct GauxelRatios {
  double RatioW = 0;
  double RatioH = 0;
  double PrevRatio = 1;
  double MinRatio = 1;
};

class Gauxel : public host::UserControl {
 public:
  Gauxel();
  ~Gauxel() override;
  Gauxel(const Gauxel&) = delete;
  Gauxel& operator=(const Gauxel&) = delete;

  [[nodiscard]] std::string typeName() const override { return "Gauxel"; }
  // Every assignment of a public property stores the value and reports the
  // change. Factor refuses design time with error 394; Resize starts or stops
  // the poll at once once the control is Ready; a Zoom that differs from the
  // value standing runs exactly one scaling pass.
  void set(std::string_view name, const host::Value& value, host::Args index = {}) override;
  // DesignZoom (read-only): the Zoom that puts every control back at its
  // design scale, for the print control's walk.
  [[nodiscard]] host::Value get(std::string_view name, host::Args index = {}) const override;
  host::Value call(std::string_view name, host::Args args = {}) override;
  using host::Object::call;
  using host::Object::get;
  using host::Object::set;

  // A newly placed control: refuses a second resizer on the form, then takes
  // the form's colour, the design screen and the form's design geometry.
  void InitProperties() override;
  void ReadProperties(host::PropertyBag& bag) override;
  void WriteProperties(host::PropertyBag& bag) override;
  // At design time the control keeps its fixed face size.
  void Resize() override;
  // Shown at run time: the screen check (the form back at its design place,
  // or adapted to another screen), the Adapt event, and the poll started when
  // Resize is True.
  void Show() override;
  void Terminate() override;

  // One tick of the poll timer (Timer1): when the form's client size has
  // changed, one scaling pass at the new ratios and the Resize event.
  void Timer1_Timer();

  [[nodiscard]] GauxelProperties props() const;
  [[nodiscard]] const GauxelDesign& design() const { return design_; }
  [[nodiscard]] GauxelEvents& events() { return events_; }
  [[nodiscard]] const GauxelRatios& ratios() const { return ratios_; }
  [[nodiscard]] bool ready() const { return ready_; }
  [[nodiscard]] bool busy() const { return busy_; }
  [[nodiscard]] bool pollRunning() const;
  // The control's own window stays disabled once a pass has run (the face
  // takes no input at run time); the public Enabled property is apart from it.
  [[nodiscard]] bool faceEnabled() const { return faceEnabled_; }
  [[nodiscard]] const std::vector<LayoutRecord>& records() const { return records_; }
  [[nodiscard]] const std::vector<std::vector<std::int16_t>>& savedColumnWidths() const { return columnWidths_; }

  // The working core (ProportionalResize.cpp).
  void CaptureLayout();
  void ScalePass();
  void AdaptToScreen();
  // The factor that takes a column's current width back to its base when the
  // user has changed it by hand since the last pass; 0 when the base stands.
  [[nodiscard]] double ColumnFactor(double saved, double current) const;

  // The message shown when a second resizer is placed on a form.
  static constexpr std::string_view AlreadyOnFormMessage = "Adaptor Already Exist in The Form";
  // The face size at design time, in twips.
  static constexpr int DesignWidth = 465;
  static constexpr int DesignHeight = 405;
  // The poll's interval: a fifth of a second follows a user dragging the
  // form's border closely, and a tick that sees no change costs two reads.
  static constexpr int PollInterval = 200;
  // How far a tabbed container parks the controls of its hidden tabs, and the
  // lefts below which a control counts as parked (at capture, in a pass).
  static constexpr std::int32_t TabHiddenOffset = 75000;
  static constexpr std::int32_t ParkedAtCapture = -30000;
  static constexpr std::int32_t ParkedInPass = -40000;

 private:
  void About();
  void recordFormGeometry();
  [[nodiscard]] GauxelDesign standingFormGeometry() const;
  [[nodiscard]] host::Value savedWhileRunning(std::string_view key) const;
  void setZoom(const host::Value& value);
  void setResize(const host::Value& value);
  host::Timer& timer1();
  void raiseEvent(const std::function<void()>& handler) const;
  // The scaling of one control (ProportionalResize.cpp).
  void captureControl(const host::ObjectRef& control);
  void scaleLine(const LayoutRecord& record, host::Object& line) const;
  void scaleControl(LayoutRecord& record, host::Object& ctl);
  void scaleColumn(std::int16_t& saved, const std::function<double()>& current,
                   const std::function<void(double)>& assign) const;

  // The ratios a poll's pass left, and the Zoom it left: a direct assignment
  // that gives Zoom that value back (as a print job does once it has printed
  // the form at its design scale) brings back the layout the user had sized,
  // not Zoom / 100 of the records.
  struct PollLayout {
    std::int16_t zoom = 0;
    GauxelRatios ratios;
  };
  [[nodiscard]] bool returnsToPollLayout() const;
  // One pass at these ratios as a poll runs it (the ratio standing becomes
  // PrevRatio; fonts at the smaller ratio), remembered as the layout the user
  // sized.
  void passAtRatios(double ratioW, double ratioH);
  [[nodiscard]] bool fontsAtSmallerRatio() const { return busy_ || returning_; }

  GauxelDesign design_;
  GauxelEvents events_;
  GauxelRatios ratios_;
  std::optional<PollLayout> pollLayout_;
  bool returning_ = false;
  std::vector<LayoutRecord> records_;
  std::vector<std::vector<std::int16_t>> columnWidths_;
  std::unique_ptr<host::Timer> timer1_;
  std::int32_t BaseW = 0;
  std::int32_t BaseH = 0;
  std::int32_t LastW = 0;
  std::int32_t LastH = 0;
  double StartFactor = 1;
  // The Factor the form's controls stood at when the form was loaded (or the
  // program set it before the layout was recorded): the records hold that
  // layout, whatever Factor the adaptation to another screen sets later.
  double layoutFactor_ = 1;
  double formTop_ = 0;   // the form's place at capture
  double formLeft_ = 0;
  bool ready_ = false;
  bool busy_ = false;
  bool faceEnabled_ = true;
  bool sizing_ = false;
};
