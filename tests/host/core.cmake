vellora_add_test_suite(host_core_tests
  SOURCES core/LangTest.cpp core/ValueTest.cpp
  LIBRARIES vellorahost vellora_test_main)
