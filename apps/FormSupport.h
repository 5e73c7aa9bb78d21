#pragma once
// What the vellora commands share: the control libraries this program runs
// with, loading a form file, and the form's print control and resizer.
#include <filesystem>
#include <memory>

namespace host {
class Form;
}
class Gauxel;
class Vellora;

namespace app {

// Whether the program runs with a display (X11 or Wayland) to show windows on.
[[nodiscard]] bool displayAvailable();

// A form that a print or preview job runs on, with its print control: an
// emulated form from a JSON form file, or a live widget form from a .ui file.
// The job's own code (options, outputs, report) never tells them apart.
// Ending it ends the form's controls as unloading the form would.
class JobForm {
 public:
  JobForm() = default;
  JobForm(const JobForm&) = delete;
  JobForm& operator=(const JobForm&) = delete;
  virtual ~JobForm() = default;

  [[nodiscard]] virtual Vellora& control() = 0;
  // LVPrint and Preview, on the form as it stands when the job starts.
  virtual bool print() = 0;
  virtual bool preview() = 0;
};

// The control libraries beside this program serve the forms it loads.
void registerOwnComponents(const std::filesystem::path& folder);

// The form in a form file; nullptr when it cannot be loaded, after saying why
// on standard error.
[[nodiscard]] std::shared_ptr<host::Form> loadFormOrSayWhy(const std::filesystem::path& file);

// The form's print control, or a new one with default settings when it has
// none. Nothing when its print control is not one this program can drive.
[[nodiscard]] std::shared_ptr<Vellora> printControlOf(host::Form& form);

// The form's resizer (the first control of type "Gauxel"); nullptr when it
// has none, or one from a library other than the one this program runs with.
[[nodiscard]] std::shared_ptr<Gauxel> resizerOf(const host::Form& form);

}  // namespace app
