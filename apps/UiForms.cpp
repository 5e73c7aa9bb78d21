#include "apps/UiForms.h"

#include <QBuffer>
#include <QDir>
#include <QFileInfo>
#include <QSet>
#include <QUiLoader>
#include <QWidget>
#include <QXmlStreamReader>

#include <iostream>
#include <optional>
#include <string>
#include <vector>

#include "host/HostError.h"
#include "host/model/UserFile.h"
#include "printctl/Vellora.h"
#include "qtforms/LiveForm.h"
#include "qtforms/LivePrint.h"

namespace fs = std::filesystem;

namespace app {

namespace {

// The loader's plugin path takes the project's own Designer plugin (the
// print control and resizer widgets) where the build puts it and where an
// install beside this program does, besides Qt's designer plugin folder.
void addOwnPluginFolders(QUiLoader& loader, const fs::path& programDir) {
  for (const fs::path& folder : {programDir / ".." / "plugins" / "designer",
                                 programDir / ".." / "lib" / "qt6" / "plugins" / "designer"}) {
    std::error_code error;
    const fs::path found = fs::canonical(folder, error);
    if (!error && fs::is_directory(found, error)) loader.addPluginPath(QString::fromStdString(found.string()));
  }
}

// The classes the loader can make: Qt's own and those of every Designer
// plugin on its path.
struct KnownClasses {
  QSet<QString> widgets;
  QSet<QString> layouts;
};

KnownClasses knownClasses(const QUiLoader& loader) {
  const QStringList widgets = loader.availableWidgets();
  const QStringList layouts = loader.availableLayouts();
  KnownClasses known{QSet<QString>(widgets.begin(), widgets.end()), QSet<QString>(layouts.begin(), layouts.end())};
  // Designer's horizontal and vertical lines: the loader makes them as
  // frames, though it does not list them.
  known.widgets.insert(QStringLiteral("Line"));
  return known;
}

std::string placeIn(const fs::path& file, const QXmlStreamReader& reader) {
  return file.string() + ", line " + std::to_string(reader.lineNumber());
}

// What is wrong with the element the reader stands on, `depth` levels down
// (the root is 1).
std::optional<std::string> elementProblem(const QXmlStreamReader& reader, int depth, const KnownClasses& known) {
  const QString name = reader.name().toString();
  if (depth == 1) {
    if (name == u"ui") return std::nullopt;
    return "not a Qt Designer form: its root element is <" + name.toStdString() + ">, not <ui>";
  }
  const bool widget = name == u"widget";
  if (!widget && name != u"layout") return std::nullopt;
  const QString className = reader.attributes().value(QLatin1String("class")).toString();
  if (className.isEmpty()) return "a <" + name.toStdString() + "> without a class";
  if ((widget ? known.widgets : known.layouts).contains(className)) return std::nullopt;
  return std::string("unknown ") + (widget ? "widget" : "layout") + " class \"" + className.toStdString() +
         "\": neither Qt's UI loader nor a Designer plugin on its path makes it";
}

// A <widget> element still open where the reader stands.
struct OpenWidget {
  std::string className;
  std::string name;
  qint64 line = 0;
};

// Where in the form a fault lies: the innermost widget still open, so that
// the user finds it also when the fault is a missing end tag further down.
std::string insideOf(const std::vector<OpenWidget>& open) {
  if (open.empty()) return "";
  const OpenWidget& widget = open.back();
  return ", inside the " + widget.className + " \"" + widget.name + "\" begun on line " + std::to_string(widget.line);
}

// Why the .ui text cannot be loaded, as "FILE, line N: ..."; nothing when it can.
std::optional<std::string> uiFormProblem(QIODevice& source, const fs::path& file, const KnownClasses& known) {
  QXmlStreamReader reader(&source);
  std::vector<bool> elements;  // for each open element: whether it is a <widget>
  std::vector<OpenWidget> widgets;
  bool hasForm = false;
  while (!reader.atEnd()) {
    const QXmlStreamReader::TokenType token = reader.readNext();
    if (token == QXmlStreamReader::EndElement && !elements.empty()) {
      if (elements.back()) widgets.pop_back();
      elements.pop_back();
    }
    if (token != QXmlStreamReader::StartElement) continue;
    const int depth = static_cast<int>(elements.size()) + 1;
    if (auto problem = elementProblem(reader, depth, known)) return placeIn(file, reader) + ": " + *problem;
    const bool widget = reader.name() == u"widget";
    elements.push_back(widget);
    if (widget) {
      const QXmlStreamAttributes attributes = reader.attributes();
      widgets.push_back({attributes.value(QLatin1String("class")).toString().toStdString(),
                         attributes.value(QLatin1String("name")).toString().toStdString(), reader.lineNumber()});
    }
    hasForm = hasForm || (depth == 2 && widget);
  }
  if (reader.hasError()) {
    QString error = reader.errorString();
    if (error.endsWith(u'.')) error.chop(1);
    return placeIn(file, reader) + ", column " + std::to_string(reader.columnNumber()) +
           ": not well-formed: " + error.toStdString() + insideOf(widgets);
  }
  if (!hasForm) return file.string() + ": the form holds no top-level <widget>";
  return std::nullopt;
}

// The loaded widgets and the print control sited on them.
class UiJobForm final : public JobForm {
 public:
  explicit UiJobForm(std::unique_ptr<QWidget> form) : form_(std::move(form)), print_(livePrintOf(*form_)) {}
  // The control's windows (preview, progress) end with the form, as when an
  // emulated form is unloaded.
  ~UiJobForm() override { print_->control().Terminate(); }

  Vellora& control() override { return print_->control(); }
  bool print() override { return print_->print(); }
  bool preview() override { return print_->preview(); }

 private:
  std::unique_ptr<QWidget> form_;
  std::unique_ptr<qtforms::LivePrint> print_;
};

}  // namespace

std::unique_ptr<qtforms::LivePrint> livePrintOf(QWidget& form) {
  for (QWidget* widget : form.findChildren<QWidget*>()) {
    if (auto control = std::dynamic_pointer_cast<Vellora>(qtforms::engineControlOf(*widget)))
      return std::make_unique<qtforms::LivePrint>(form, control);
  }
  return std::make_unique<qtforms::LivePrint>(form);
}

std::unique_ptr<QWidget> loadUiForm(const fs::path& file, const fs::path& programDir) {
  QByteArray bytes;
  try {
    bytes = host::readUserFile(file);
  } catch (const host::UserFileError& error) {
    std::cerr << "vellora: the form file " << file.string() << ": " << error.what() << std::endl;
    return nullptr;
  }
  QBuffer source(&bytes);
  source.open(QIODevice::ReadOnly);
  QUiLoader loader;
  addOwnPluginFolders(loader, programDir);
  if (auto problem = uiFormProblem(source, file, knownClasses(loader))) {
    std::cerr << "vellora: " << *problem << std::endl;
    return nullptr;
  }
  source.seek(0);
  // Pictures and other files the form names are found beside it.
  loader.setWorkingDirectory(QFileInfo(QString::fromStdString(file.string())).absoluteDir());
  std::unique_ptr<QWidget> form(loader.load(&source));
  if (!form) std::cerr << "vellora: " << file.string() << ": " << loader.errorString().toStdString() << std::endl;
  return form;
}

std::unique_ptr<JobForm> openUiForm(const fs::path& file, const fs::path& programDir) {
  std::unique_ptr<QWidget> form = loadUiForm(file, programDir);
  if (!form) return nullptr;
  try {
    return std::make_unique<UiJobForm>(std::move(form));
  } catch (const host::HostError& error) {
    std::cerr << "vellora: " << file.string() << ": " << error.what() << std::endl;
    return nullptr;
  }
}

}  // namespace app
