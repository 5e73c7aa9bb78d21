// The form-file loader, on whole JSON forms of every family (the print
// control and the resizer too, through the component registry). Any byte
// string is either loaded as a form or refused with a FormFileError that
// names the file; a form that loaded must save, and what it saved must load
// again and save to the same text: a form the program wrote and cannot read
// back would be lost. The files a form may name (a picture, a grid's cells,
// a rich text, a database, a folder) lie beside it, so that their readers
// are reached too, and the form's picture and its charts are drawn.
#include <sqlite3.h>

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>
#include <string_view>

#include "FuzzSupport.h"
#include "host/model/Chart.h"
#include "host/model/Components.h"
#include "host/model/Control.h"
#include "host/model/FormFile.h"

namespace {

namespace fs = std::filesystem;

constexpr std::string_view SourceName = "fuzzed.json";

void write(const fs::path& file, std::string_view text) {
  std::ofstream out(file, std::ios::binary);
  out << text;
}

void makeDatabase(const fs::path& file) {
  sqlite3* database = nullptr;
  if (sqlite3_open(file.c_str(), &database) != SQLITE_OK) fuzz::finding("cannot make the fixture database");
  const char* sql =
      "CREATE TABLE orders(id INTEGER PRIMARY KEY, customer TEXT, total REAL);"
      "INSERT INTO orders(customer, total) VALUES ('Ada', 12.5), ('Grace', 7), ('Linus', NULL);"
      "CREATE VIEW big AS SELECT * FROM orders WHERE total > 10;";
  if (sqlite3_exec(database, sql, nullptr, nullptr, nullptr) != SQLITE_OK) fuzz::finding("cannot fill the database");
  sqlite3_close(database);
}

// The folder the fuzzed form lies in, with the files it may name.
fs::path formFolder() {
  const fs::path folder = fuzz::startHost() / "forms";
  fs::create_directories(folder / "files");
  fs::copy_file(fs::path(VELLORA_SOURCE_DIR) / "tests/forms/pictures/red.png", folder / "red.png",
                fs::copy_options::overwrite_existing);
  write(folder / "cells.csv", "Item,Count\r\n\"Bolts, steel\",12\r\nNuts,\"7\"\r\n");
  write(folder / "doc.rtf", "{\\rtf1\\ansi{\\fonttbl{\\f0 Arial;}}\\f0\\fs20 Terms: {\\b net} 30\\par}");
  write(folder / "page.html", "<h1>Notes</h1><p>First <b>bold</b></p><table><tr><td>a</td><td>b</td></tr></table>");
  write(folder / "notes.md", "# Notes\n\n* one\n* two\n");
  write(folder / "files" / "a.txt", "a");
  write(folder / "files" / "b.log", "b");
  makeDatabase(folder / "records.sqlite");
  // The print control and the resizer are made through the registry, from
  // the libraries beside this program.
  (void)host::ensureComponentsRegistered(fuzz::programFolder());
  return folder;
}

std::string saved(const host::Form& form, const fs::path& folder, std::string_view what) {
  try {
    return host::saveFormText(form, folder);
  } catch (const host::FormFileError& error) {
    fuzz::finding(what, error.what());
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static const fs::path folder = formFolder();
  fuzz::guarded([&] {
    std::shared_ptr<host::Form> form;
    try {
      form = host::loadFormText(fuzz::textOf(data, size), folder, SourceName);
    } catch (const host::FormFileError& refused) {
      if (refused.file() != SourceName) fuzz::finding("a refusal that does not name the file", refused.what());
      return;
    }
    // The picture of the form as the user sees it draws every control; a
    // chart is drawn as a print of it draws it.
    (void)form->snapshot();
    for (const host::ObjectRef& control : form->controls())
      if (const auto* chart = dynamic_cast<const host::MSChart*>(control.get())) (void)chart->chartPicture();
    const std::string text = saved(*form, folder, "a loaded form cannot be saved");
    form->unload();
    form.reset();
    std::shared_ptr<host::Form> again;
    try {
      again = host::loadFormText(text, folder, "saved.json");
    } catch (const host::FormFileError& refused) {
      fuzz::finding("the form file saved from a loaded form is refused", std::string(refused.what()) + "\n" + text);
    }
    const std::string textAgain = saved(*again, folder, "a reloaded form cannot be saved");
    again->unload();
    if (textAgain != text) fuzz::finding("saving a reloaded form gives another file", text + "\n---- then ----\n" + textAgain);
  });
  return 0;
}
