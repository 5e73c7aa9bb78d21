#pragma once
// Form files: a form and everything on it saved as JSON.
//
//   {"Form": {"Name": "Form1", "Caption": "Orders", "Width": 9000, ...,
//             "Controls": [{"Type": "Label", "Name": "Label1", "Caption": "Customer",
//                           "Font": {"Name": "Arial", "Size": 10, "Bold": true}},
//                          {"Type": "Frame", "Name": "Frame1", "Controls": [...]},
//                          {"Type": "Vellora", "Name": "Vellora1", "Properties": {"Zoom": 80}}]}}
//
// Keys are matched without regard to case. A control has its "Type" and
// "Name", its properties by name, its "Font" as an object, its children under
// "Controls" (only a container may have them) and its indexed data as arrays
// ("List": [...], "TextMatrix": [[row], [row]]). A component control (the
// print control, the resizer) keeps its settings under "Properties": the keys
// of its property bag. Colours are numbers (the host's 32-bit value, negative
// for system colours) or "#RRGGBB". A relative path (a "Picture" file) is
// relative to the form file.
//
// Saving writes Type and Name and only what differs from a newly made control
// of the same type, so loading and saving again gives an equivalent file.
#include <filesystem>
#include <memory>
#include <stdexcept>
#include <string>
#include <string_view>

#include "host/model/Control.h"

namespace host {

// A form file that cannot be loaded or saved. It names the file, the place in
// the file (a path like Form.Controls[2].Controls[0]; empty for the file as a
// whole) and the key at fault (empty when no key is).
class FormFileError : public std::runtime_error {
 public:
  FormFileError(std::string file, std::string place, std::string key, std::string problem);
  [[nodiscard]] const std::string& file() const noexcept { return file_; }
  [[nodiscard]] const std::string& place() const noexcept { return place_; }
  [[nodiscard]] const std::string& key() const noexcept { return key_; }
  [[nodiscard]] const std::string& problem() const noexcept { return problem_; }

 private:
  std::string file_;
  std::string place_;
  std::string key_;
  std::string problem_;
};

// Loads a form file. Controls of types that are not built in are made through
// the component registry. Raises FormFileError for a missing or malformed
// file; nothing half-loaded is ever returned.
[[nodiscard]] std::shared_ptr<Form> loadFormFile(const std::filesystem::path& file);
// Saves a form; the file is replaced only once the whole form is written.
void saveFormFile(const Form& form, const std::filesystem::path& file);

// The same for form text held in memory. Relative paths are resolved against
// `baseFolder`; `sourceName` names the text in error messages.
[[nodiscard]] std::shared_ptr<Form> loadFormText(std::string_view json,
                                                 const std::filesystem::path& baseFolder = {},
                                                 std::string_view sourceName = "form text");
[[nodiscard]] std::string saveFormText(const Form& form, const std::filesystem::path& baseFolder = {});

}  // namespace host
