# sources of the model group: forms, host controls and their properties
target_sources(vellorahost PRIVATE
  model/PropertyObject.cpp
  model/PropertyBag.cpp
  model/Control.cpp
  model/Form.cpp
  model/Snapshot.cpp
  model/EditLayout.cpp
  model/EditMask.cpp
  model/TextControls.cpp
  model/ListControls.cpp
  model/ListViewControl.cpp
  model/ButtonControls.cpp
  model/PictureControls.cpp
  model/Rtf.cpp
  model/RichTextControl.cpp
  model/HtmlTables.cpp
  model/ChartControl.cpp
  model/GridControls.cpp
  model/DataGridControls.cpp
  model/RecordSet.cpp
  model/TabControls.cpp
  model/Factory.cpp)
