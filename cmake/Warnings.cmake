# Warnings are errors in the project's own code.
function(jb_warnings target)
  target_compile_options(${target} PRIVATE -Wall -Wextra -Wpedantic -Werror
                         -Wno-error=deprecated-declarations)
  if(CMAKE_CXX_COMPILER_ID STREQUAL "GNU")
    # GCC 12 reports false -Wrestrict positives inside std::string at -O3.
    target_compile_options(${target} PRIVATE -Wno-restrict)
  endif()
endfunction()

# A core library: C++20 and the standard library only, never Qt.
function(jb_core_library name)
  add_library(${name} STATIC ${ARGN})
  target_include_directories(${name} PUBLIC ${PROJECT_SOURCE_DIR}/src)
  jb_warnings(${name})
  if(JB_FUZZ)
    # Coverage guidance for the fuzzers reaches into the libraries they call.
    target_compile_options(${name} PRIVATE -fsanitize=fuzzer-no-link,address,undefined)
  endif()
endfunction()

# An executable that belongs in the program folder. It says its version with --version.
function(jb_program name)
  add_executable(${name} ${ARGN})
  set_target_properties(${name} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${JB_PROGRAM_DIR})
  target_compile_definitions(${name} PRIVATE JB_VERSION="${PROJECT_VERSION}")
  jb_warnings(${name})
endfunction()

# A GoogleTest program registered with CTest. Tests find the staging program folder and the
# source tree through compile-time definitions (an environment variable of the same name wins),
# and run Qt on the offscreen platform. Each test carries the program's name as its CTest label
# (ctest -L word_index_test).
function(jb_test name)
  add_executable(${name} ${ARGN})
  target_include_directories(${name} PRIVATE ${PROJECT_SOURCE_DIR}/src ${PROJECT_SOURCE_DIR}/tests)
  target_link_libraries(${name} PRIVATE GTest::gtest GTest::gtest_main jb_testsupport)
  target_compile_definitions(${name} PRIVATE JB_PROGRAM_DIR_DEFAULT="${JB_PROGRAM_DIR}"
                                             JB_SOURCE_DIR_AT_BUILD="${PROJECT_SOURCE_DIR}")
  jb_warnings(${name})
  gtest_discover_tests(${name}
    PROPERTIES ENVIRONMENT QT_QPA_PLATFORM=offscreen LABELS ${name}
    DISCOVERY_TIMEOUT 60)
endfunction()

# A desktop library: Qt Widgets, with moc run on its headers.
function(jb_desktop_library name)
  add_library(${name} STATIC ${ARGN})
  target_include_directories(${name} PUBLIC ${PROJECT_SOURCE_DIR}/src)
  target_link_libraries(${name} PUBLIC Qt6::Widgets)
  set_target_properties(${name} PROPERTIES AUTOMOC ON)
  jb_warnings(${name})
endfunction()

# Adds each listed subfolder that has a CMakeLists.txt, so that a subsystem's folder can be
# filled in on its own.
function(jb_add_subfolders)
  foreach(d ${ARGN})
    if(EXISTS ${CMAKE_CURRENT_SOURCE_DIR}/${d}/CMakeLists.txt)
      add_subdirectory(${d})
    endif()
  endforeach()
endfunction()
