# One object library per source folder of the print control; Velloractl is
# assembled from them. Each folder's CMakeLists.txt lists its own sources.
function(vellora_object_library name)
  add_library(${name} OBJECT ${ARGN})
  target_include_directories(${name} PUBLIC ${PROJECT_SOURCE_DIR})
  target_link_libraries(${name} PUBLIC vellorahost)
endfunction()

# Registers one GoogleTest executable built from the given sources. Tests run
# with Qt's offscreen platform and a private data folder for the component
# registry, so they never touch the user's own. A suite that prints on the
# test scheduler's queues (SPOOLER) never runs beside another such suite:
# each reads back what reached a queue and would see the other's jobs.
function(vellora_add_test_suite name)
  cmake_parse_arguments(ARG "SPOOLER" "" "SOURCES;LIBRARIES" ${ARGN})
  set(lock "")
  if(ARG_SPOOLER)
    set(lock RESOURCE_LOCK test-spooler)
  endif()
  add_executable(${name} ${ARG_SOURCES})
  target_link_libraries(${name} PRIVATE ${ARG_LIBRARIES} GTest::gtest GTest::gmock)
  target_include_directories(${name} PRIVATE ${PROJECT_SOURCE_DIR} ${PROJECT_SOURCE_DIR}/tests)
  target_compile_definitions(${name} PRIVATE
    VELLORA_SOURCE_DIR="${PROJECT_SOURCE_DIR}"
    VELLORA_BINARY_DIR="${CMAKE_BINARY_DIR}")
  gtest_discover_tests(${name}
    DISCOVERY_MODE PRE_TEST
    PROPERTIES ENVIRONMENT "QT_QPA_PLATFORM=offscreen;XDG_DATA_HOME=${CMAKE_BINARY_DIR}/test-data;VELLORA_SOURCE_DIR=${PROJECT_SOURCE_DIR};VELLORA_BIN_DIR=${CMAKE_BINARY_DIR}/bin"
    ${lock})
endfunction()
