#pragma once
// vellora::Resizer: the resizer control as a Qt widget. Place it on a form
// (`new vellora::Resizer(form)`); it is invisible at run time and keeps the
// form's layout proportional: when the form is resized (with `resize` on) or
// opened on a screen of another size, every widget the form's author placed
// by hand is moved and sized by the form's ratios, and its font scaled;
// widgets that a Qt layout places are left to their layout and only their
// fonts are scaled. Table columns and header sections scale with their
// tables (a column the user widened by hand keeps its width); a widget whose
// dynamic property "tag" is "nosize" keeps its size. Going back to the
// design size restores every widget exactly.
//
// The design geometry (the form's size and place and the screen it was
// designed on) is recorded the first time the form is shown, unless the
// form's .ui file holds it (Qt Designer saves it with the other properties).
#include <QWidget>
#include <memory>

namespace vellora {

class Resizer : public QWidget {
  Q_OBJECT
  Q_PROPERTY(bool resize READ isResizing WRITE setResizing)    // follow the form's size
  Q_PROPERTY(int zoom READ zoom WRITE setZoom)                 // percent; every change scales the form once
  Q_PROPERTY(double factor READ factor WRITE setFactor)        // horizontal ratio in force
  Q_PROPERTY(double factorH READ factorH WRITE setFactorH)     // vertical ratio in force
  Q_PROPERTY(double minRatio READ minRatio)                    // the smaller ratio, which fonts follow
  Q_PROPERTY(int setScale READ setScale WRITE setSetScale)     // design screen width, pixels
  Q_PROPERTY(int hScale READ hScale WRITE setHScale)           // design screen height, pixels
  Q_PROPERTY(int designWidth READ designWidth WRITE setDesignWidth)      // the form's design geometry, twips
  Q_PROPERTY(int designHeight READ designHeight WRITE setDesignHeight)
  Q_PROPERTY(int designLeft READ designLeft WRITE setDesignLeft)
  Q_PROPERTY(int designTop READ designTop WRITE setDesignTop)
  Q_PROPERTY(int designScaleWidth READ designScaleWidth WRITE setDesignScaleWidth)
  Q_PROPERTY(int designScaleHeight READ designScaleHeight WRITE setDesignScaleHeight)

 public:
  explicit Resizer(QWidget* parent = nullptr);
  ~Resizer() override;

  [[nodiscard]] bool isResizing() const;
  void setResizing(bool on);
  [[nodiscard]] int zoom() const;
  void setZoom(int percent);
  [[nodiscard]] double factor() const;
  void setFactor(double value);
  [[nodiscard]] double factorH() const;
  void setFactorH(double value);
  [[nodiscard]] double minRatio() const;
  [[nodiscard]] int setScale() const;
  void setSetScale(int pixels);
  [[nodiscard]] int hScale() const;
  void setHScale(int pixels);
  [[nodiscard]] int designWidth() const;
  void setDesignWidth(int twips);
  [[nodiscard]] int designHeight() const;
  void setDesignHeight(int twips);
  [[nodiscard]] int designLeft() const;
  void setDesignLeft(int twips);
  [[nodiscard]] int designTop() const;
  void setDesignTop(int twips);
  [[nodiscard]] int designScaleWidth() const;
  void setDesignScaleWidth(int twips);
  [[nodiscard]] int designScaleHeight() const;
  void setDesignScaleHeight(int twips);

  // The resizer at work on its form: shown at run time, it adapts the form
  // to the screen and follows its resize events. False in Qt Designer.
  [[nodiscard]] bool isRunning() const;
  // Qt Designer shows the control's face instead of hiding it.
  void setDesignMode(bool designing);

  [[nodiscard]] QSize sizeHint() const override;

 signals:
  // At the end of every scaling pass.
  void zoomed();
  // Once the form has been adapted to its screen, when it is first shown.
  void adapted();
  // After each resize of the form that scaled it.
  void resized();

 protected:
  void showEvent(QShowEvent* event) override;
  void paintEvent(QPaintEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  class Private;
  std::unique_ptr<Private> d_;
};

}  // namespace vellora
