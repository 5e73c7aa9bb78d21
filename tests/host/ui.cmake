vellora_add_test_suite(host_ui_tests
  SOURCES ui/HeadlessUiTest.cpp ui/WindowKitTest.cpp ui/PrintDialogTest.cpp
  LIBRARIES vellorahost vellora_test_main Qt6::Widgets Qt6::PrintSupport)
