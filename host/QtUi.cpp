// The user interface on Qt: message boxes, the event loop, timers, the
// screen, the clipboard and the Qt window kit. Needs a QApplication.
#include <QApplication>
#include <QClipboard>
#include <QCoreApplication>
#include <QEventLoop>
#include <QFileDialog>
#include <QMessageBox>
#include <QScreen>
#include <QSettings>
#include <QTimer>

#include "host/PictureImpl.h"
#include "host/QtKit.h"
#include "host/QtPrintDialog.h"
#include "host/Ui.h"

namespace host {
namespace {

class QtTimer : public Timer {
 public:
  explicit QtTimer(std::function<void()> tick) {
    QObject::connect(&timer_, &QTimer::timeout, [tick = std::move(tick)] { tick(); });
  }
  void setInterval(int milliseconds) override { timer_.setInterval(milliseconds); }
  int interval() const override { return timer_.interval(); }
  void setEnabled(bool on) override {
    if (on) {
      timer_.start();
    } else {
      timer_.stop();
    }
  }
  bool enabled() const override { return timer_.isActive(); }

 private:
  QTimer timer_;
};

// The window a dialog is modal on: the top-level window that shows the owner
// form (it carries the form's hWnd), else the window the user works in.
QWidget* ownerWindow(std::int32_t ownerHandle) {
  if (ownerHandle != 0) {
    for (QWidget* window : QApplication::topLevelWidgets()) {
      if (window->isVisible() && window->property("hWnd").toInt() == ownerHandle) return window;
    }
  }
  return QApplication::activeWindow();
}

// The icon of a message box style (16 critical, 32 question, 48 exclamation, 64 information).
QMessageBox::Icon iconOf(int style) {
  switch (style & 0x70) {
    case mb::Critical: return QMessageBox::Critical;
    case mb::Question: return QMessageBox::Question;
    case mb::Exclamation: return QMessageBox::Warning;
    case mb::Information: return QMessageBox::Information;
    default: return QMessageBox::NoIcon;
  }
}

// The buttons of a message box style (its low three bits) and the classic
// result of each.
struct ButtonChoice {
  QMessageBox::StandardButton button;
  int result;
};
std::vector<ButtonChoice> buttonsOf(int style) {
  using B = QMessageBox;
  switch (style & 7) {
    case 1: return {{B::Ok, 1}, {B::Cancel, 2}};
    case 2: return {{B::Abort, 3}, {B::Retry, 4}, {B::Ignore, 5}};
    case 3: return {{B::Yes, 6}, {B::No, 7}, {B::Cancel, 2}};
    case 4: return {{B::Yes, 6}, {B::No, 7}};
    case 5: return {{B::Retry, 4}, {B::Cancel, 2}};
    default: return {{B::Ok, 1}};
  }
}

class QtUi : public Ui {
 public:
  explicit QtUi(std::optional<ScreenInfo> screen) : kit_(makeQtKit()), screenOverride_(screen) {}

  int msgBox(const std::string& text, int style, const std::string& title) override {
    record(text, style, title);
    // Over the window the user works in (the form a setting was refused on).
    QMessageBox box(iconOf(style),
                    title.empty() ? QCoreApplication::applicationName() : QString::fromStdString(title),
                    QString::fromStdString(text), QMessageBox::NoButton, QApplication::activeWindow());
    const std::vector<ButtonChoice> choices = buttonsOf(style);
    for (const ButtonChoice& choice : choices) box.addButton(choice.button);
    const auto pressed = static_cast<QMessageBox::StandardButton>(box.exec());
    for (const ButtonChoice& choice : choices) {
      if (choice.button == pressed) return choice.result;
    }
    return choices.back().result;  // closed without a button: the last (cancelling) one
  }

  void doEvents() override { QCoreApplication::processEvents(QEventLoop::AllEvents); }

  void runUntil(const std::function<bool()>& done) override {
    while (!done()) QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
  }

  std::unique_ptr<Timer> createTimer(std::function<void()> tick) override {
    return std::make_unique<QtTimer>(std::move(tick));
  }

  ScreenInfo screen() const override {
    if (screenOverride_) return *screenOverride_;
    ScreenInfo info;
    const QScreen* screen = QGuiApplication::primaryScreen();
    if (screen == nullptr) return info;
    info.pixels = {screen->geometry().width(), screen->geometry().height()};
    info.twipsPerPixelX = 1440.0 / screen->logicalDotsPerInchX();
    info.twipsPerPixelY = 1440.0 / screen->logicalDotsPerInchY();
    return info;
  }

  void setClipboardPicture(const Picture& picture) override {
    QGuiApplication::clipboard()->setImage(imageOf(picture));
  }
  Picture clipboardPicture() const override {
    const QImage image = QGuiApplication::clipboard()->image();
    return image.isNull() ? Picture() : pictureOf(image);
  }
  void clearClipboard() override { QGuiApplication::clipboard()->clear(); }

  WindowKit& kit() override { return *kit_; }

 protected:
  std::optional<PrintDialogChoice> showPrintDialog(const PrintDialogRequest& request) override {
    return runQtPrintDialog(request, ownerWindow(request.ownerHandle));
  }
  // The settings of the program ("Vellora" of "Vellora"), in the user's
  // configuration folder.
  std::optional<std::string> setting(const std::string& key) const override {
    const QString value = settings().value(QString::fromStdString(key)).toString();
    if (value.isEmpty()) return std::nullopt;
    return value.toStdString();
  }
  void setSetting(const std::string& key, const std::string& value) override {
    settings().setValue(QString::fromStdString(key), QString::fromStdString(value));
  }
  static QSettings settings() { return QSettings(QStringLiteral("Vellora"), QStringLiteral("Vellora")); }

  std::optional<std::filesystem::path> showSaveFileDialog(const std::string& title,
                                                          const std::filesystem::path& suggested) override {
    const QString chosen =
        QFileDialog::getSaveFileName(QApplication::activeWindow(), QString::fromStdString(title),
                                     QString::fromStdString(suggested.string()), QStringLiteral("PDF files (*.pdf)"));
    if (chosen.isEmpty()) return std::nullopt;
    return std::filesystem::path(chosen.toStdString());
  }

 public:
  bool hasDisplay() const override {
    const QString platform = QGuiApplication::platformName();
    return platform != "offscreen" && platform != "minimal";
  }

 private:
  std::unique_ptr<WindowKit> kit_;
  std::optional<ScreenInfo> screenOverride_;
};

}  // namespace

std::unique_ptr<Ui> makeQtUi(std::optional<ScreenInfo> screen) { return std::make_unique<QtUi>(screen); }

}  // namespace host
