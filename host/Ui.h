#pragma once
// host::Ui: the event loop and user-interface services of the host: message
// boxes, yielding to the message loop, timers, the screen, the clipboard, the
// application's help file, and the window kit. Two implementations: Qt (real
// windows) and headless (for tests and machines without a display).
#include <filesystem>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "host/Geometry.h"
#include "host/Picture.h"
#include "host/PrintDialog.h"

namespace host {

class WindowKit;

// Message box styles (the classic values; they add up).
namespace mb {
inline constexpr int OkOnly = 0;
inline constexpr int OkCancel = 1;
inline constexpr int YesNo = 4;
inline constexpr int Critical = 16;
inline constexpr int Question = 32;
inline constexpr int Exclamation = 48;
inline constexpr int Information = 64;
}  // namespace mb
// Message box results.
namespace mbresult {
inline constexpr int Ok = 1, Cancel = 2, Yes = 6, No = 7;
}

// A repeating timer; it fires only while the event loop runs (or, headless,
// when stepped).
class Timer {
 public:
  virtual ~Timer() = default;
  virtual void setInterval(int milliseconds) = 0;
  [[nodiscard]] virtual int interval() const = 0;
  virtual void setEnabled(bool enabled) = 0;
  [[nodiscard]] virtual bool enabled() const = 0;
};

struct ScreenInfo {
  Size pixels{1024, 768};
  double twipsPerPixelX = 15;
  double twipsPerPixelY = 15;
  [[nodiscard]] long widthTwips() const { return static_cast<long>(pixels.width * twipsPerPixelX); }
  [[nodiscard]] long heightTwips() const { return static_cast<long>(pixels.height * twipsPerPixelY); }
};

struct MessageRecord {
  std::string text;
  int style = 0;
  std::string title;
};

class Ui {
 public:
  virtual ~Ui() = default;

  // Shows a message box and returns the button pressed.
  virtual int msgBox(const std::string& text, int style = mb::OkOnly, const std::string& title = {}) = 0;
  // Yields to the message loop once: pending events (and queued actions) run.
  virtual void doEvents() = 0;
  // Runs the message loop until `done` returns true (a program waiting for its
  // preview window to close). Headless, it also returns once nothing is left
  // queued, since nothing else could ever make `done` true.
  virtual void runUntil(const std::function<bool()>& done) {
    while (!done()) doEvents();
  }
  // A new timer whose ticks call `tick`.
  [[nodiscard]] virtual std::unique_ptr<Timer> createTimer(std::function<void()> tick) = 0;
  [[nodiscard]] virtual ScreenInfo screen() const = 0;

  // The clipboard holds at most one picture.
  virtual void setClipboardPicture(const Picture& picture) = 0;
  [[nodiscard]] virtual Picture clipboardPicture() const = 0;
  virtual void clearClipboard() = 0;

  // The application's help file.
  virtual void setHelpFile(const std::string& path) { helpFile_ = path; }
  [[nodiscard]] const std::string& helpFile() const { return helpFile_; }

  // Every message box shown so far, in order (text, style, title).
  [[nodiscard]] const std::vector<MessageRecord>& messages() const { return messages_; }

  // The kit that makes this interface's windows and their child widgets.
  [[nodiscard]] virtual WindowKit& kit() = 0;
  // True when real windows can be shown (a display exists).
  [[nodiscard]] virtual bool hasDisplay() const = 0;

  // The print dialog, modal on the request's owner form; nothing when it was
  // cancelled. The script answers it when one is set (also with a display);
  // otherwise the real dialog is shown when there is a display, and without
  // one it is confirmed as it stands. It never waits without a display.
  [[nodiscard]] std::optional<PrintDialogChoice> printDialog(const PrintDialogRequest& request);
  void setPrintDialogScript(std::optional<PrintDialogScript> script) { printDialogScript_ = std::move(script); }
  // Every print dialog of the run, in order, with its outcome.
  [[nodiscard]] const std::vector<PrintDialogRecord>& printDialogs() const { return printDialogs_; }

  // The dialog that asks where to save a PDF, starting at `suggested`;
  // nothing when it was cancelled. The script answers it when one is set (an
  // empty path cancels); otherwise the real dialog is shown when there is a
  // display, and without one nobody could choose a place: it is cancelled.
  [[nodiscard]] std::optional<std::filesystem::path> saveFileDialog(const std::string& title,
                                                                    const std::filesystem::path& suggested);
  void setSaveFileScript(std::optional<std::filesystem::path> answer) { saveFileScript_ = std::move(answer); }

  // What the application keeps between runs (the preview window's place and
  // zoom), by key; nothing for a key never set or set empty. Headless, the
  // values last as long as the interface; on Qt they are the user's
  // settings of the program.
  [[nodiscard]] virtual std::optional<std::string> setting(const std::string& key) const;
  virtual void setSetting(const std::string& key, const std::string& value);

 protected:
  // Shows the real dialog and waits for the user (only with a display).
  [[nodiscard]] virtual std::optional<PrintDialogChoice> showPrintDialog(const PrintDialogRequest& request);
  [[nodiscard]] virtual std::optional<std::filesystem::path> showSaveFileDialog(
      const std::string& title, const std::filesystem::path& suggested);
  void record(const std::string& text, int style, const std::string& title) {
    messages_.push_back({text, style, title});
  }

 private:
  std::string helpFile_;
  std::vector<MessageRecord> messages_;
  std::optional<PrintDialogScript> printDialogScript_;
  std::vector<PrintDialogRecord> printDialogs_;
  std::optional<std::filesystem::path> saveFileScript_;
  std::map<std::string, std::string, std::less<>> settings_;
};

// The headless implementation: message boxes go to standard error, are kept,
// and are answered with `answer` (OK by default); doEvents runs the actions
// queued with `queue` (this is how a test presses Stop in the middle of a job);
// timers tick only when stepped.
class HeadlessUi : public Ui {
 public:
  HeadlessUi();
  ~HeadlessUi() override;
  int msgBox(const std::string& text, int style = mb::OkOnly, const std::string& title = {}) override;
  void doEvents() override;
  void runUntil(const std::function<bool()>& done) override;
  [[nodiscard]] std::unique_ptr<Timer> createTimer(std::function<void()> tick) override;
  [[nodiscard]] ScreenInfo screen() const override { return screen_; }
  void setScreen(const ScreenInfo& screen) { screen_ = screen; }
  void setClipboardPicture(const Picture& picture) override { clipboard_ = picture; }
  [[nodiscard]] Picture clipboardPicture() const override { return clipboard_; }
  void clearClipboard() override { clipboard_ = Picture(); }
  [[nodiscard]] WindowKit& kit() override;
  [[nodiscard]] bool hasDisplay() const override { return false; }

  // Queues an action for the next doEvents; `afterYields` lets n yields pass first.
  void queue(std::function<void()> action, int afterYields = 0);
  // Runs one tick of every enabled timer.
  void stepTimers();
  [[nodiscard]] int yields() const { return yields_; }
  void setAnswer(int button) { answer_ = button; }
  void setEchoToStandardError(bool echo) { echo_ = echo; }

 private:
  struct Queued;
  struct TimerImpl;
  std::vector<Queued> queued_;
  std::vector<TimerImpl*> timers_;
  ScreenInfo screen_;
  Picture clipboard_;
  std::unique_ptr<WindowKit> kit_;
  int yields_ = 0;
  int answer_ = mbresult::Ok;
  bool echo_ = true;
};

// The Qt implementation (needs a QApplication): QMessageBox,
// QCoreApplication::processEvents, QTimer, QClipboard, QScreen, Qt widgets.
// `screen`, when given, is reported in place of the primary screen (a form
// opened as if on another machine's screen).
[[nodiscard]] std::unique_ptr<Ui> makeQtUi(std::optional<ScreenInfo> screen = std::nullopt);

}  // namespace host
