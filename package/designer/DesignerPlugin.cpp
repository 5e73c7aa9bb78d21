#include "package/designer/DesignerPlugin.h"

#include <QIcon>
#include <QPainter>
#include <QPixmap>

#include "vellora/PrintControl.h"
#include "vellora/Resizer.h"

namespace vellora {

namespace {

// The face a widget draws, as Designer's widget box shows it.
QIcon faceIcon(QWidget& widget) {
  widget.resize(widget.sizeHint());
  QPixmap face(widget.size());
  face.fill(Qt::transparent);
  widget.render(&face);
  return QIcon(face);
}

}  // namespace

ControlPlugin::ControlPlugin(Control control, QObject* parent) : QObject(parent), control_(control) {}

QString ControlPlugin::name() const {
  return control_ == Control::PrintControl ? QStringLiteral("vellora::PrintControl") : QStringLiteral("vellora::Resizer");
}

QString ControlPlugin::group() const { return QStringLiteral("Vellora"); }

QString ControlPlugin::toolTip() const {
  return control_ == Control::PrintControl ? QStringLiteral("Prints and previews the form page by page")
                                           : QStringLiteral("Keeps the form's layout proportional when it is resized");
}

QString ControlPlugin::whatsThis() const { return toolTip(); }

QString ControlPlugin::includeFile() const {
  return control_ == Control::PrintControl ? QStringLiteral("vellora/PrintControl.h") : QStringLiteral("vellora/Resizer.h");
}

QIcon ControlPlugin::icon() const {
  if (control_ == Control::PrintControl) {
    PrintControl face;
    return faceIcon(face);
  }
  Resizer face;
  face.setDesignMode(true);
  return faceIcon(face);
}

void ControlPlugin::initialize(QDesignerFormEditorInterface* core) {
  inDesigner_ = core != nullptr;
  initialized_ = true;
}

QWidget* ControlPlugin::createWidget(QWidget* parent) {
  if (control_ == Control::PrintControl) return new PrintControl(parent);
  auto* resizer = new Resizer(parent);
  // In Designer the resizer shows its face and leaves the form alone; a form
  // loaded at run time (QUiLoader) gets the resizer at work.
  resizer->setDesignMode(inDesigner_);
  return resizer;
}

QString ControlPlugin::domXml() const {
  const QString className = name();
  const QString objectName = control_ == Control::PrintControl ? QStringLiteral("printControl") : QStringLiteral("resizer");
  return QStringLiteral("<ui language=\"c++\"><widget class=\"%1\" name=\"%2\"/></ui>").arg(className, objectName);
}

DesignerPlugin::DesignerPlugin(QObject* parent) : QObject(parent) {
  widgets_.append(new ControlPlugin(ControlPlugin::Control::PrintControl, this));
  widgets_.append(new ControlPlugin(ControlPlugin::Control::Resizer, this));
}

}  // namespace vellora
