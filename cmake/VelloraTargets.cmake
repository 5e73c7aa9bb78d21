# One object library per source folder of the print control; Velloractl is
# assembled from them. Each folder's CMakeLists.txt lists its own sources.
function(vellora_object_library name)
  add_library(${name} OBJECT ${ARGN})
  target_include_directories(${name} PUBLIC ${PROJECT_SOURCE_DIR})
  target_link_libraries(${name} PUBLIC vellorahost)
endfunction()

# Registers one GoogleTest executable built from the given sources. The test
# main gives every program Qt's offscreen platform and a private home and data
# folder, so tests never touch the user's own. No test that prints on the test
# scheduler's queues (a SPOOLER suite) runs beside another, in its own suite
# or another: each reads back what reached a queue and would see the other's
# jobs. The lock is the only property handed to the discovered tests: a
# property list holding a list value (an ENVIRONMENT of several variables)
# would be split into pairs wrongly and take the lock with it.
function(vellora_add_test_suite name)
  cmake_parse_arguments(ARG "SPOOLER" "" "SOURCES;LIBRARIES" ${ARGN})
  set(lock "")
  if(ARG_SPOOLER)
    set(lock PROPERTIES RESOURCE_LOCK test-spooler)
  endif()
  add_executable(${name} ${ARG_SOURCES})
  target_link_libraries(${name} PRIVATE ${ARG_LIBRARIES} GTest::gtest GTest::gmock)
  target_include_directories(${name} PRIVATE ${PROJECT_SOURCE_DIR} ${PROJECT_SOURCE_DIR}/tests)
  target_compile_definitions(${name} PRIVATE
    VELLORA_SOURCE_DIR="${PROJECT_SOURCE_DIR}"
    VELLORA_BINARY_DIR="${CMAKE_BINARY_DIR}")
  # The tests' own code is built for compiling fast: the work they check runs
  # in the optimised libraries, and half of a build's time is the tests'.
  if(NOT CMAKE_BUILD_TYPE STREQUAL "Debug")
    target_compile_options(${name} PRIVATE -O0 -g1)
  endif()
  gtest_discover_tests(${name}
    DISCOVERY_MODE PRE_TEST
    ${lock})
endfunction()

# Registers one fuzz target: an executable whose entry point is
# LLVMFuzzerTestOneInput, with its seed corpus in tests/fuzz/corpus/<name>.
# Built by Clang it links libFuzzer (./setup.sh fuzz runs the campaigns);
# otherwise it links a replay main that runs the entry point once over each
# file of the corpus. Either way CTest runs the corpus once, as a regression
# test of a few seconds (an input over 60 seconds fails it).
function(vellora_add_fuzz_target name)
  cmake_parse_arguments(ARG "" "" "SOURCES;LIBRARIES" ${ARGN})
  set(corpus ${PROJECT_SOURCE_DIR}/tests/fuzz/corpus/${name})
  add_executable(${name} ${ARG_SOURCES})
  target_link_libraries(${name} PRIVATE vellora_fuzz_support ${ARG_LIBRARIES})
  target_compile_definitions(${name} PRIVATE VELLORA_SOURCE_DIR="${PROJECT_SOURCE_DIR}")
  if(CMAKE_CXX_COMPILER_ID MATCHES "Clang")
    target_compile_options(${name} PRIVATE -fsanitize=fuzzer)
    target_link_options(${name} PRIVATE -fsanitize=fuzzer)
    add_test(NAME ${name} COMMAND ${name} -runs=0 -timeout=60 ${corpus})
  else()
    target_link_libraries(${name} PRIVATE vellora_fuzz_replay)
    add_test(NAME ${name} COMMAND ${name} -timeout=60 ${corpus})
  endif()
  # Leaks of the libraries underneath (fontconfig's, kept by Qt) are not ours.
  set_tests_properties(${name} PROPERTIES LABELS fuzz ENVIRONMENT
    "QT_QPA_PLATFORM=offscreen;LSAN_OPTIONS=suppressions=${PROJECT_SOURCE_DIR}/tests/fuzz/lsan.supp")
endfunction()
