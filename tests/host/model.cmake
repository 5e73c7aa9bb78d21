vellora_add_test_suite(host_model_tests
  SOURCES
    model/PropertyObjectTest.cpp
    model/PropertyBagTest.cpp
    model/EditLayoutTest.cpp
    model/MaskEdBoxTest.cpp
    model/FormTest.cpp
    model/ControlFamiliesTest.cpp
    model/ListControlsTest.cpp
    model/PictureControlsTest.cpp
    model/RichTextBoxTest.cpp
    model/HtmlTablesTest.cpp
    model/ChartTest.cpp
    model/GridControlsTest.cpp
    model/DataGridControlsTest.cpp
    model/TabControlTest.cpp
    model/ListViewTest.cpp
  LIBRARIES vellorahost vellora_test_main Qt6::Sql)
