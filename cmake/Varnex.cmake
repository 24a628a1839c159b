# One helper per kind of target; each folder's CMakeLists only lists files.

set(VARNEX_WARNINGS -Wall -Wextra -Wpedantic -Wno-missing-field-initializers)
if(VARNEX_WERROR)
  list(APPEND VARNEX_WARNINGS -Werror)
endif()

# Writes the project version into a dedicated ELF section of the target so that
# the version can be read back from the file without loading it.
function(varnex_stamp_version target)
  set(src ${CMAKE_BINARY_DIR}/version/${target}_version.c)
  if(NOT EXISTS ${src})
    file(WRITE ${src}
"/* Generated: version stamp of ${target}. */
__attribute__((section(\".varnex_version\"), used, aligned(8)))
static const unsigned short varnex_file_version[4] = {
  ${PROJECT_VERSION_MAJOR}, ${PROJECT_VERSION_MINOR}, ${PROJECT_VERSION_PATCH}, ${PROJECT_VERSION_TWEAK} };
")
  endif()
  target_sources(${target} PRIVATE ${src})
endfunction()

function(varnex_common_settings target)
  target_compile_options(${target} PRIVATE $<$<COMPILE_LANGUAGE:CXX>:${VARNEX_WARNINGS}>)
  varnex_stamp_version(${target})
endfunction()

# A shared library of the platform (runtime, engine, frame): lib<name>.so.
function(varnex_add_library name)
  cmake_parse_arguments(ARG "" "" "SOURCES;LIBS;PUBLIC_LIBS" ${ARGN})
  add_library(${name} SHARED ${ARG_SOURCES})
  varnex_common_settings(${name})
  target_link_libraries(${name} PUBLIC ${ARG_PUBLIC_LIBS} PRIVATE ${ARG_LIBS})
  target_link_options(${name} PRIVATE -Wl,--no-undefined)
endfunction()

# An outside library of the suite (pick lists, loading window ...): <name>.so,
# loaded by name or linked by name from the modules.
function(varnex_add_outside_library name)
  cmake_parse_arguments(ARG "" "" "SOURCES;LIBS" ${ARGN})
  add_library(${name} SHARED ${ARG_SOURCES})
  set_target_properties(${name} PROPERTIES PREFIX "" OUTPUT_NAME ${name})
  varnex_common_settings(${name})
  target_link_libraries(${name} PRIVATE varnexrtl ${ARG_LIBS})
  target_link_options(${name} PRIVATE -Wl,--no-undefined)
endfunction()

# A module library: <name>.so exporting ShowDllForm.
function(varnex_add_module name)
  cmake_parse_arguments(ARG "" "" "SOURCES;LIBS" ${ARGN})
  add_library(${name} MODULE ${ARG_SOURCES})
  set_target_properties(${name} PROPERTIES PREFIX "")
  varnex_common_settings(${name})
  target_link_libraries(${name} PRIVATE varnexrtl ${ARG_LIBS})
  # The pick lists are reached through the module's own handle, not by direct
  # calls: keep them as real dependencies, so a missing one stops the load.
  target_link_options(${name} PRIVATE -Wl,--no-undefined -Wl,--no-as-needed)
endfunction()

# A GoogleTest program, one CTest entry per test case. Tests live in testbin/
# and find the deliverables in the program folder.
#
# SERVER: the program also runs a second time on the server engine
# (VARNEX_ENGINE=postgresql, tests named "pg.<name>.", label "postgresql");
# scripts/test starts the private server, and without one these are skipped.
function(varnex_add_test name)
  cmake_parse_arguments(ARG "SERVER" "" "SOURCES;LIBS;LABELS" ${ARGN})
  if(NOT VARNEX_BUILD_TESTS)
    return()
  endif()
  add_executable(${name} ${ARG_SOURCES} ${PROJECT_SOURCE_DIR}/common/tests/support/test_main.cpp)
  target_compile_options(${name} PRIVATE ${VARNEX_WARNINGS})
  target_include_directories(${name} PRIVATE ${PROJECT_SOURCE_DIR}/common/tests/support)
  target_link_libraries(${name} PRIVATE ${ARG_LIBS} varnexrtl GTest::gtest GTest::gmock Qt6::Test Qt6::Widgets)
  target_compile_definitions(${name} PRIVATE
    VARNEX_TEST_BIN_DIR="${VARNEX_TEST_BIN_DIR}"
    VARNEX_BIN_DIR="${VARNEX_BIN_DIR}"
    VARNEX_SOURCE_DIR="${PROJECT_SOURCE_DIR}")
  set_target_properties(${name} PROPERTIES
    RUNTIME_OUTPUT_DIRECTORY ${VARNEX_TEST_BIN_DIR}
    INSTALL_RPATH "$ORIGIN;${VARNEX_BIN_DIR}")
  gtest_discover_tests(${name}
    DISCOVERY_TIMEOUT 60
    PROPERTIES ENVIRONMENT "QT_QPA_PLATFORM=offscreen" LABELS "${ARG_LABELS}"
    TEST_PREFIX "${name}.")
  if(ARG_SERVER)
    target_sources(${name} PRIVATE ${PROJECT_SOURCE_DIR}/data/tests/pg_test_environment.cpp)
    target_link_libraries(${name} PRIVATE PostgreSQL::PostgreSQL)
    gtest_discover_tests(${name}
      DISCOVERY_TIMEOUT 60
      TEST_PREFIX "pg.${name}."
      PROPERTIES ENVIRONMENT "VARNEX_ENGINE=postgresql" LABELS "postgresql")
  endif()
endfunction()

# A library built only for tests (fixtures), placed beside the test programs.
function(varnex_add_test_library name)
  cmake_parse_arguments(ARG "" "" "SOURCES;LIBS" ${ARGN})
  if(NOT VARNEX_BUILD_TESTS)
    return()
  endif()
  add_library(${name} MODULE ${ARG_SOURCES})
  set_target_properties(${name} PROPERTIES PREFIX ""
    LIBRARY_OUTPUT_DIRECTORY ${VARNEX_TEST_BIN_DIR}
    INSTALL_RPATH "$ORIGIN;${VARNEX_BIN_DIR}")
  target_compile_options(${name} PRIVATE ${VARNEX_WARNINGS})
  target_link_libraries(${name} PRIVATE varnexrtl ${ARG_LIBS})
  target_link_options(${name} PRIVATE -Wl,--no-undefined)
endfunction()

# The floors of the runtime library, bottom up. A part sees the include folders
# of its own floor and of those below, never above, so an upward include does
# not build:
#   base    common/include                      no engine, no UI runtime
#   engine  + data/include                      storage engine and catalogue
#   ui      + ui/include                        controls, data-aware widgets, translation
set(VARNEX_FLOOR_base ${PROJECT_SOURCE_DIR}/common/include)
set(VARNEX_FLOOR_engine ${VARNEX_FLOOR_base} ${PROJECT_SOURCE_DIR}/data/include)
set(VARNEX_FLOOR_ui ${VARNEX_FLOOR_engine} ${PROJECT_SOURCE_DIR}/ui/include)
set(VARNEX_FLOOR_QT_base Qt6::Core Qt6::Gui Qt6::Widgets Qt6::PrintSupport)
set(VARNEX_FLOOR_QT_engine Qt6::Core)
set(VARNEX_FLOOR_QT_ui Qt6::Core Qt6::Gui Qt6::Widgets Qt6::PrintSupport)

# A part of the runtime library kept in its own folder, on one floor (base,
# engine, ui): compiled as an object library in that folder, so that moc sees
# its headers, and linked into varnexrtl.
function(varnex_add_runtime_part name)
  cmake_parse_arguments(ARG "" "FLOOR" "SOURCES;LIBS" ${ARGN})
  if(NOT ARG_FLOOR MATCHES "^(base|engine|ui)$")
    message(FATAL_ERROR "varnex_add_runtime_part(${name}): FLOOR must be base, engine or ui")
  endif()
  add_library(${name} OBJECT ${ARG_SOURCES})
  set_target_properties(${name} PROPERTIES AUTOMOC ON POSITION_INDEPENDENT_CODE ON)
  target_compile_options(${name} PRIVATE $<$<COMPILE_LANGUAGE:CXX>:${VARNEX_WARNINGS}>)
  target_include_directories(${name} PRIVATE ${VARNEX_FLOOR_${ARG_FLOOR}} ${CMAKE_CURRENT_SOURCE_DIR})
  target_link_libraries(${name} PRIVATE ${VARNEX_FLOOR_QT_${ARG_FLOOR}} ${ARG_LIBS})
  target_sources(varnexrtl PRIVATE $<TARGET_OBJECTS:${name}>)
endfunction()
