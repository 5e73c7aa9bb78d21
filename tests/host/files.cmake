# Form files and the component registry. The control libraries are loaded at
# run time from the build's bin folder, so the suite only depends on them.
vellora_add_test_suite(host_files_tests
  SOURCES files/FormFileTest.cpp files/GridFormFileTest.cpp files/ListViewFormFileTest.cpp
    files/ComponentsTest.cpp
  LIBRARIES vellorahost vellora_test_main)
foreach(library Gauxelctl Velloractl)
  if(TARGET ${library})
    add_dependencies(host_files_tests ${library})
  endif()
endforeach()

