#pragma once
// What the live form tests share: reading a printed PDF page by page, and
// the state of every widget on a form, to compare before and after a job.
#include <QAbstractItemView>
#include <QAbstractScrollArea>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QScrollBar>
#include <QTextEdit>
#include <QWidget>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

namespace qtformstest {

// What a shell command prints on its standard output.
[[nodiscard]] inline std::string commandOutput(const std::string& command) {
  std::string output;
  std::unique_ptr<FILE, int (*)(FILE*)> pipe(popen(command.c_str(), "r"), pclose);
  if (!pipe) return output;
  char buffer[4096];
  for (std::size_t got; (got = fread(buffer, 1, sizeof buffer, pipe.get())) > 0;) output.append(buffer, got);
  return output;
}

// The text of one page of a PDF (1-based), in reading order.
[[nodiscard]] inline std::string pageText(const std::filesystem::path& pdf, int page) {
  const std::string number = std::to_string(page);
  return commandOutput("pdftotext -raw -f " + number + " -l " + number + " '" + pdf.string() + "' - 2>/dev/null");
}

[[nodiscard]] inline int pageCount(const std::filesystem::path& pdf) {
  const std::string info = commandOutput("pdfinfo '" + pdf.string() + "' 2>/dev/null");
  const std::size_t at = info.find("Pages:");
  return at == std::string::npos ? 0 : std::stoi(info.substr(at + 6));
}

// Everything of a widget a print job could disturb, as text.
[[nodiscard]] inline std::string widgetState(const QWidget& widget) {
  std::string state = widget.metaObject()->className();
  // A hidden part has no place the user sees (Qt lays such parts out when it likes).
  if (!widget.isVisible()) return state + " hidden";
  const QRect geometry = widget.geometry();
  state += " " + std::to_string(geometry.x()) + "," + std::to_string(geometry.y()) + " " +
           std::to_string(geometry.width()) + "x" + std::to_string(geometry.height());
  state += " font=" + widget.font().toString().toStdString();
  state += widget.isEnabled() ? " enabled" : " disabled";
  if (const auto* area = qobject_cast<const QAbstractScrollArea*>(&widget)) {
    state += " scroll=" + std::to_string(area->horizontalScrollBar()->value()) + "," +
             std::to_string(area->verticalScrollBar()->value());
  }
  if (const auto* view = qobject_cast<const QAbstractItemView*>(&widget)) {
    const QModelIndex current = view->currentIndex();
    state += " current=" + std::to_string(current.row()) + "," + std::to_string(current.column());
    if (view->selectionModel() != nullptr)
      state += " selected=" + std::to_string(view->selectionModel()->selectedIndexes().size());
    if (view->model() != nullptr) state += " rows=" + std::to_string(view->model()->rowCount());
  }
  if (const auto* edit = qobject_cast<const QLineEdit*>(&widget))
    state += " text=" + edit->text().toStdString() + " cursor=" + std::to_string(edit->cursorPosition());
  if (const auto* plain = qobject_cast<const QPlainTextEdit*>(&widget))
    state += " cursor=" + std::to_string(plain->textCursor().position());
  if (const auto* rich = qobject_cast<const QTextEdit*>(&widget))
    state += " cursor=" + std::to_string(rich->textCursor().position());
  if (const auto* header = qobject_cast<const QHeaderView*>(&widget)) {
    for (int section = 0; section < header->count(); ++section)
      state += " s" + std::to_string(header->sectionSize(section));
  }
  return state;
}

// The state of the form and of every widget on it, in tree order.
[[nodiscard]] inline std::vector<std::string> stateOf(const QWidget& form) {
  std::vector<std::string> states{widgetState(form)};
  for (const QWidget* child : form.findChildren<QWidget*>()) states.push_back(widgetState(*child));
  return states;
}

}  // namespace qtformstest
