#pragma once
// The Qt Designer plugin: the print control and the resizer in Designer's
// widget box, with their icons and properties, saved into the .ui file.
#include <QObject>
#include <QtUiPlugin/QDesignerCustomWidgetCollectionInterface>
#include <QtUiPlugin/QDesignerCustomWidgetInterface>

namespace vellora {

// One control as Designer offers it.
class ControlPlugin : public QObject, public QDesignerCustomWidgetInterface {
  Q_OBJECT
  Q_INTERFACES(QDesignerCustomWidgetInterface)

 public:
  enum class Control { PrintControl, Resizer };
  ControlPlugin(Control control, QObject* parent);

  [[nodiscard]] QString name() const override;
  [[nodiscard]] QString group() const override;
  [[nodiscard]] QString toolTip() const override;
  [[nodiscard]] QString whatsThis() const override;
  [[nodiscard]] QString includeFile() const override;
  [[nodiscard]] QIcon icon() const override;
  [[nodiscard]] bool isContainer() const override { return false; }
  [[nodiscard]] bool isInitialized() const override { return initialized_; }
  void initialize(QDesignerFormEditorInterface* core) override;
  QWidget* createWidget(QWidget* parent) override;
  [[nodiscard]] QString domXml() const override;

 private:
  Control control_;
  bool initialized_ = false;
  bool inDesigner_ = false;
};

class DesignerPlugin : public QObject, public QDesignerCustomWidgetCollectionInterface {
  Q_OBJECT
  Q_PLUGIN_METADATA(IID "org.qt-project.Qt.QDesignerCustomWidgetCollectionInterface")
  Q_INTERFACES(QDesignerCustomWidgetCollectionInterface)

 public:
  explicit DesignerPlugin(QObject* parent = nullptr);
  [[nodiscard]] QList<QDesignerCustomWidgetInterface*> customWidgets() const override { return widgets_; }

 private:
  QList<QDesignerCustomWidgetInterface*> widgets_;
};

}  // namespace vellora
