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

# A libFuzzer target for the form loader, where the compiler has libFuzzer.
if(CMAKE_CXX_COMPILER_ID MATCHES "Clang")
  add_executable(form_file_fuzz files/FormFileFuzz.cpp)
  target_compile_options(form_file_fuzz PRIVATE -fsanitize=fuzzer)
  target_link_options(form_file_fuzz PRIVATE -fsanitize=fuzzer)
  target_link_libraries(form_file_fuzz PRIVATE vellorahost)
  target_include_directories(form_file_fuzz PRIVATE ${PROJECT_SOURCE_DIR})
endif()
