// The Qt Designer plugin: it loads, makes both controls, and a .ui file
// written with them keeps their properties through QUiLoader.
#include <QBuffer>
#include <QDir>
#include <QPluginLoader>
#include <QUiLoader>
#include <QtDesigner/QFormBuilder>
#include <QtUiPlugin/QDesignerCustomWidgetCollectionInterface>
#include <gtest/gtest.h>

#include "vellora/PrintControl.h"
#include "vellora/Resizer.h"

namespace {

QString pluginFile() {
  const QDir folder(VELLORA_DESIGNER_PLUGINS);
  const QStringList found = folder.entryList({"*vellora_designer*"}, QDir::Files);
  return found.isEmpty() ? QString() : folder.filePath(found.front());
}

TEST(DesignerPlugin, LoadsAndMakesBothControls) {
  QPluginLoader loader(pluginFile());
  ASSERT_TRUE(loader.load()) << loader.errorString().toStdString();
  auto* collection = qobject_cast<QDesignerCustomWidgetCollectionInterface*>(loader.instance());
  ASSERT_NE(collection, nullptr);
  QStringList names;
  for (QDesignerCustomWidgetInterface* widget : collection->customWidgets()) {
    names << widget->name();
    EXPECT_FALSE(widget->icon().isNull()) << widget->name().toStdString();
    EXPECT_TRUE(widget->domXml().contains(widget->name()));
    QWidget parent;
    QWidget* made = widget->createWidget(&parent);
    ASSERT_NE(made, nullptr);
    EXPECT_EQ(QString(made->metaObject()->className()), widget->name());
  }
  EXPECT_EQ(names, QStringList({"vellora::PrintControl", "vellora::Resizer"}));
}

TEST(DesignerPlugin, AUiFormKeepsTheControlsPropertiesThroughQUiLoader) {
  const QByteArray ui = R"(<?xml version="1.0" encoding="UTF-8"?>
<ui version="4.0">
 <class>Orders</class>
 <widget class="QWidget" name="Orders">
  <property name="geometry"><rect><x>0</x><y>0</y><width>400</width><height>300</height></rect></property>
  <widget class="vellora::PrintControl" name="printControl">
   <property name="topTitle"><string>Orders of the day</string></property>
   <property name="toPage"><number>0</number></property>
   <property name="gridToFit"><number>2</number></property>
   <property name="leftMargin"><double>0.75</double></property>
  </widget>
  <widget class="vellora::Resizer" name="resizer">
   <property name="resize"><bool>true</bool></property>
   <property name="designWidth"><number>6000</number></property>
  </widget>
 </widget>
</ui>
)";
  QUiLoader loader;
  loader.clearPluginPaths();
  loader.addPluginPath(VELLORA_DESIGNER_PLUGINS);
  QBuffer buffer;
  buffer.setData(ui);
  std::unique_ptr<QWidget> form(loader.load(&buffer));
  ASSERT_TRUE(form) << loader.errorString().toStdString();
  auto* control = form->findChild<vellora::PrintControl*>("printControl");
  ASSERT_NE(control, nullptr);
  EXPECT_EQ(control->topTitle(), "Orders of the day");
  EXPECT_EQ(control->toPage(), 0);
  EXPECT_EQ(control->gridToFit(), 2);
  EXPECT_DOUBLE_EQ(control->leftMargin(), 0.75);
  auto* resizer = form->findChild<vellora::Resizer*>("resizer");
  ASSERT_NE(resizer, nullptr);
  EXPECT_TRUE(resizer->isResizing());
  EXPECT_EQ(resizer->designWidth(), 6000);
}

TEST(DesignerPlugin, PropertiesSavedIntoAUiFileComeBackWhenItIsLoaded) {
  QWidget form;
  form.setObjectName("Invoices");
  auto* control = new vellora::PrintControl(&form);
  control->setObjectName("printControl");
  control->setTopTitle("Invoices");
  control->setFootTitle("Sheet :");
  control->setCopies(3);
  control->setOrientation(1);
  auto* resizer = new vellora::Resizer(&form);
  resizer->setObjectName("resizer");
  resizer->setResizing(true);

  QFormBuilder builder;
  builder.clearPluginPaths();
  builder.addPluginPath(VELLORA_DESIGNER_PLUGINS);
  QBuffer saved;
  saved.open(QIODevice::WriteOnly);
  builder.save(&saved, &form);
  saved.close();

  QUiLoader loader;
  loader.clearPluginPaths();
  loader.addPluginPath(VELLORA_DESIGNER_PLUGINS);
  saved.open(QIODevice::ReadOnly);
  std::unique_ptr<QWidget> loaded(loader.load(&saved));
  ASSERT_TRUE(loaded) << loader.errorString().toStdString();
  auto* again = loaded->findChild<vellora::PrintControl*>("printControl");
  ASSERT_NE(again, nullptr) << saved.data().toStdString();
  EXPECT_EQ(again->topTitle(), "Invoices");
  EXPECT_EQ(again->footTitle(), "Sheet :");
  EXPECT_DOUBLE_EQ(again->copies(), 3);
  EXPECT_EQ(again->orientation(), 1);
  auto* resizerAgain = loaded->findChild<vellora::Resizer*>("resizer");
  ASSERT_NE(resizerAgain, nullptr);
  EXPECT_TRUE(resizerAgain->isResizing());
}

}  // namespace
