# Cross build for 64-bit Windows: the program, the Windows-layer tests and the end-to-end tests.
enable_language(RC)

set(VISTREL_DIST_DIR ${PROJECT_SOURCE_DIR}/dist CACHE PATH
    "Where the program is written; helpers and scratch builds point it elsewhere")
set(VISTREL_WIN_LIBS user32 gdi32 gdiplus comctl32 comdlg32 shell32 advapi32 ole32 winmm
    version msimg32 psapi imm32 kernel32)
# Windows 7 headers: newer entry points are bound at run time, never imported.
set(VISTREL_WIN_DEFINITIONS UNICODE _UNICODE NOMINMAX _WIN32_WINNT=0x0601 WINVER=0x0601)

add_link_options(-static -static-libgcc -static-libstdc++)
# Reproducible programs: the same commit links the same bytes in any build folder, so the
# 64-bit program that the 32-bit one carries is byte for byte the one beside it, whichever build
# wrote dist/ last. No link time in the PE header, no source or build path in the code.
add_link_options(-Wl,--no-insert-timestamp)
add_compile_options(-ffile-prefix-map=${PROJECT_SOURCE_DIR}/=
                    -ffile-prefix-map=${CMAKE_BINARY_DIR}/=)

# The version, set once by project(VERSION) in CMakeLists.txt, for the version resource and the
# code (src/res/product.h includes this header).
set(VISTREL_GENERATED_DIR ${CMAKE_BINARY_DIR}/generated)
foreach(part MAJOR MINOR PATCH TWEAK)
    set(VISTREL_VERSION_${part} ${PROJECT_VERSION_${part}})
    if(VISTREL_VERSION_${part} STREQUAL "")
        set(VISTREL_VERSION_${part} 0)
    endif()
endforeach()
file(CONFIGURE OUTPUT ${VISTREL_GENERATED_DIR}/vistrel_version.h CONTENT [[
/* Written by CMake from project(VERSION) in CMakeLists.txt: change the version there. */
#pragma once
#define VISTREL_VERSION_MAJOR @VISTREL_VERSION_MAJOR@
#define VISTREL_VERSION_MINOR @VISTREL_VERSION_MINOR@
#define VISTREL_VERSION_PATCH @VISTREL_VERSION_PATCH@
#define VISTREL_VERSION_BUILD @VISTREL_VERSION_TWEAK@
#define VISTREL_VERSION_TEXT "@VISTREL_VERSION_MAJOR@.@VISTREL_VERSION_MINOR@.@VISTREL_VERSION_PATCH@.@VISTREL_VERSION_TWEAK@"
]] @ONLY)

add_library(vistrel_core STATIC ${VISTREL_PORTABLE_SOURCES} ${VISTREL_WINDOWS_SOURCES})
target_include_directories(vistrel_core PUBLIC src ${VISTREL_GENERATED_DIR})
target_compile_definitions(vistrel_core PUBLIC ${VISTREL_WIN_DEFINITIONS})
target_compile_options(vistrel_core PRIVATE ${VISTREL_WARNINGS})
target_link_libraries(vistrel_core PUBLIC ${VISTREL_WIN_LIBS})

# The resources are one object that the program and the Windows tests link alike, so tests see
# the real dialog templates and the built-in language document. windres does not report what the
# script includes: every file under src/res counts as a dependency.
add_library(vistrel_resources OBJECT ${VISTREL_RESOURCE_SOURCES})
target_compile_definitions(vistrel_resources PRIVATE ${VISTREL_WIN_DEFINITIONS})
target_include_directories(vistrel_resources PRIVATE ${VISTREL_GENERATED_DIR})
file(GLOB_RECURSE VISTREL_RESOURCE_FILES CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/src/res/*)
set_property(SOURCE ${VISTREL_RESOURCE_SOURCES} APPEND PROPERTY OBJECT_DEPENDS
    ${VISTREL_RESOURCE_FILES})

# Adds to `target` a resource script that carries `file` as BINRES 103, the 64-bit build that
# the 32-bit program runs (src/shell/relaunch.h).
function(vistrel_carry target file)
    set(script ${CMAKE_CURRENT_BINARY_DIR}/${target}_carried.rc)
    file(GENERATE OUTPUT ${script} CONTENT "103 BINRES \"${file}\"\n")
    target_sources(${target} PRIVATE ${script})
    set_property(SOURCE ${script} APPEND PROPERTY OBJECT_DEPENDS ${file})
endfunction()

# A program written anew makes the SHA-256 list beside it stale: it goes until the list is
# written again once both programs are built (release_sums below).
function(vistrel_outdate_sums target)
    add_custom_command(TARGET ${target} POST_BUILD
        COMMAND ${CMAKE_COMMAND} -E rm -f ${VISTREL_DIST_DIR}/SHA256SUMS VERBATIM)
endfunction()

# The 32-bit build (cmake/mingw-i686.cmake) is the program plus the relaunch, carrying the
# 64-bit program that the 64-bit build wrote before. Only the program: the tests run 64-bit.
if(CMAKE_SYSTEM_PROCESSOR STREQUAL "i686")
    # Follows VISTREL_DIST_DIR on every configure: a cached copy would keep carrying the
    # program of an earlier output folder.
    set(VISTREL_CARRIED_BUILD ${VISTREL_DIST_DIR}/Vistrel64.exe)
    target_compile_definitions(vistrel_core PUBLIC VISTREL_CARRIER)
    add_executable(Vistrel WIN32 ${VISTREL_ENTRY_SOURCES} $<TARGET_OBJECTS:vistrel_resources>)
    vistrel_carry(Vistrel ${VISTREL_CARRIED_BUILD})
    target_compile_options(Vistrel PRIVATE ${VISTREL_WARNINGS})
    target_link_options(Vistrel PRIVATE -municode -s)
    target_link_libraries(Vistrel PRIVATE vistrel_core)
    set_target_properties(Vistrel PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${VISTREL_DIST_DIR})
    vistrel_outdate_sums(Vistrel)
    return()
endif()

add_executable(Vistrel64 WIN32 ${VISTREL_ENTRY_SOURCES} $<TARGET_OBJECTS:vistrel_resources>)
target_compile_options(Vistrel64 PRIVATE ${VISTREL_WARNINGS})
target_link_options(Vistrel64 PRIVATE -municode -s)
target_link_libraries(Vistrel64 PRIVATE vistrel_core)
set_target_properties(Vistrel64 PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${VISTREL_DIST_DIR})
vistrel_outdate_sums(Vistrel64)

# The 32-bit program, built once this one is written: its own configuration of this project
# with the i686 toolchain.
option(VISTREL_BUILD_CARRIER "Also build the 32-bit program carrying this one (Vistrel.exe)"
    ON)
if(VISTREL_BUILD_CARRIER)
    include(ExternalProject)
    set(VISTREL_CARRIER_BINARY_DIR ${CMAKE_BINARY_DIR}/carrier CACHE PATH
        "Build folder of the 32-bit program")
    ExternalProject_Add(carrier
        SOURCE_DIR ${PROJECT_SOURCE_DIR}
        BINARY_DIR ${VISTREL_CARRIER_BINARY_DIR}
        CMAKE_ARGS
            -DCMAKE_TOOLCHAIN_FILE=${PROJECT_SOURCE_DIR}/cmake/mingw-i686.cmake
            -DCMAKE_BUILD_TYPE=${CMAKE_BUILD_TYPE}
            -DVISTREL_WERROR=${VISTREL_WERROR}
            -DVISTREL_DIST_DIR=${VISTREL_DIST_DIR}
        BUILD_ALWAYS ON
        INSTALL_COMMAND ""
        DEPENDS Vistrel64
        USES_TERMINAL_BUILD ON)
endif()

# The release: dist/SHA256SUMS lists the programs of this build (sha256sum -c reads it), written
# after both are built and checked. Without the carrier only Vistrel64.exe is listed: a
# Vistrel.exe left from an earlier build may carry another 64-bit program.
set(VISTREL_RELEASE_FILES Vistrel64.exe)
if(VISTREL_BUILD_CARRIER)
    set(VISTREL_RELEASE_FILES Vistrel.exe,Vistrel64.exe)
endif()
# The check (cmake/release_check.cmake) fails the build when a program holds a link time or a
# build path, when its manifest does not declare per-monitor DPI awareness, or when Vistrel.exe
# does not carry the Vistrel64.exe beside it.
add_custom_target(release_sums ALL
    COMMAND ${CMAKE_COMMAND} -DDIR=${VISTREL_DIST_DIR} -DFILES=${VISTREL_RELEASE_FILES}
        -DPATHS=${PROJECT_SOURCE_DIR}/,${CMAKE_BINARY_DIR}/
        -P ${PROJECT_SOURCE_DIR}/cmake/release_check.cmake
    COMMENT "Checking the release and writing ${VISTREL_DIST_DIR}/SHA256SUMS" VERBATIM)
add_dependencies(release_sums Vistrel64)
if(VISTREL_BUILD_CARRIER)
    add_dependencies(release_sums carrier)
endif()

# Everything below is tests and benchmarks, built on GoogleTest's sources. Where they are missing
# (a build on Windows itself, say) the programs above are the whole build.
if(NOT EXISTS ${VISTREL_GTEST_SOURCE_DIR}/CMakeLists.txt)
    message(STATUS "No GoogleTest sources in ${VISTREL_GTEST_SOURCE_DIR}: programs only, no tests")
    return()
endif()

# GoogleTest from Debian's sources, cross-built without pthreads.
set(gtest_disable_pthreads ON CACHE BOOL "" FORCE)
set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
add_subdirectory(${VISTREL_GTEST_SOURCE_DIR} googletest EXCLUDE_FROM_ALL SYSTEM)

# Every Windows test runs through tests/support/wine-run: a fresh copy of the run's prefix, an X
# display of its own with a Wine virtual desktop, and a clean shutdown afterwards.
set(VISTREL_WINE_TEMPLATE ${CMAKE_BINARY_DIR}/wine/template)
set(VISTREL_WINE_RUN ${PROJECT_SOURCE_DIR}/tests/support/wine-run)
set(CMAKE_CROSSCOMPILING_EMULATOR ${VISTREL_WINE_RUN} ${VISTREL_WINE_TEMPLATE})

add_test(NAME wine.prefix
    COMMAND ${PROJECT_SOURCE_DIR}/tests/support/wine-prefix ${VISTREL_WINE_TEMPLATE})
set_tests_properties(wine.prefix PROPERTIES FIXTURES_SETUP wine TIMEOUT 120)

add_library(vistrel_test_support STATIC ${VISTREL_WINDOWS_TEST_SUPPORT_SOURCES})
target_include_directories(vistrel_test_support PUBLIC tests)
target_link_libraries(vistrel_test_support PUBLIC vistrel_core gtest)

# Each entry is name:source:timeout[:each]. The timeout is a few times what the program takes on
# an idle 2-core machine, so it holds beside a second run; "each" registers one ctest entry per
# TEST in the source (a program whose tests together would run past half a minute).
# VISTREL_TESTS_OF_<name> lists the entries of a program, for the properties set below.
include(GoogleTest)
function(vistrel_add_wine_tests layer)
    foreach(entry IN LISTS ARGN)
        string(REPLACE ":" ";" parts ${entry})
        list(GET parts 0 name)
        list(GET parts 1 source)
        list(GET parts 2 timeout)
        list(LENGTH parts fields)
        add_executable(${name} ${source} $<TARGET_OBJECTS:vistrel_resources>)
        target_compile_options(${name} PRIVATE ${VISTREL_WARNINGS})
        target_link_libraries(${name} PRIVATE vistrel_test_support gtest_main)
        if(fields GREATER 3)
            gtest_add_tests(TARGET ${name} SOURCES ${source} TEST_PREFIX ${layer}.${name}.
                TEST_LIST tests)
        else()
            set(tests ${layer}.${name})
            add_test(NAME ${tests} COMMAND ${name})
        endif()
        set_tests_properties(${tests} PROPERTIES FIXTURES_REQUIRED wine TIMEOUT ${timeout}
            LABELS ${layer})
        set(VISTREL_TESTS_OF_${name} ${tests} PARENT_SCOPE)
    endforeach()
endfunction()

vistrel_add_wine_tests(windows ${VISTREL_WINDOWS_TEST_PROGRAMS})

add_library(vistrel_e2e_driver STATIC ${VISTREL_E2E_SUPPORT_SOURCES})
target_link_libraries(vistrel_e2e_driver PUBLIC vistrel_test_support)
vistrel_add_wine_tests(e2e ${VISTREL_E2E_TEST_PROGRAMS})
# The test of several monitors runs on the primary one (X offset 1280, 200) and a smaller one left
# of and above it (tests/support/wine-run).
set_property(TEST ${VISTREL_TESTS_OF_monitors_e2e} APPEND PROPERTY ENVIRONMENT
    "VISTREL_MONITORS=1920x1080+1280+200,1280x1024+0+0")
# Tests that show Chinese texts get a CJK font in their copy of the prefix (tests/support/wine-run).
set_property(TEST windows.advanced_draw_wintest windows.advanced_break_wintest
    ${VISTREL_TESTS_OF_language_e2e}
    APPEND PROPERTY ENVIRONMENT VISTREL_CJK_FONT_LINK=1)
foreach(entry IN LISTS VISTREL_E2E_TEST_PROGRAMS)
    string(REPLACE ":" ";" parts ${entry})
    list(GET parts 0 name)
    target_link_libraries(${name} PRIVATE vistrel_e2e_driver)
    add_dependencies(${name} Vistrel64)
    # The program under test, as Wine sees it (drive Z: is the Unix root).
    set_property(TEST ${VISTREL_TESTS_OF_${name}} APPEND PROPERTY ENVIRONMENT "VISTREL_EXE=${VISTREL_DIST_DIR}/Vistrel64.exe")
endforeach()

# The zoom, drawing, typing and saving again on a display of 150 % (144 DPI): the program works
# in the monitor's pixels, so the capture, the pen and the text come out as at 96 DPI.
foreach(name IN ITEMS zoom_e2e type_save_e2e)
    add_test(NAME e2e.${name}.dpi144 COMMAND ${name})
    get_test_property(${VISTREL_TESTS_OF_${name}} TIMEOUT timeout)
    set_tests_properties(e2e.${name}.dpi144 PROPERTIES FIXTURES_REQUIRED wine TIMEOUT ${timeout}
        LABELS e2e ENVIRONMENT "VISTREL_DPI=144;VISTREL_EXE=${VISTREL_DIST_DIR}/Vistrel64.exe")
endforeach()

# The tour (tools/run plays it without a display): a sample slide and every mode driven from
# outside, one PNG per step; as a test it checks the pixels of each step and keeps the PNGs in
# the build tree's tour/.
add_executable(tour ${VISTREL_TOUR_SOURCES})
target_compile_options(tour PRIVATE ${VISTREL_WARNINGS})
target_link_libraries(tour PRIVATE vistrel_e2e_driver)
add_dependencies(tour Vistrel64)
add_test(NAME e2e.tour COMMAND tour ${CMAKE_CURRENT_BINARY_DIR}/tour)
set_tests_properties(e2e.tour PROPERTIES FIXTURES_REQUIRED wine TIMEOUT 120 LABELS e2e
    ENVIRONMENT "VISTREL_EXE=${VISTREL_DIST_DIR}/Vistrel64.exe")

# Benchmarks: built with the program, run by tools/bench, never by the tests.
add_executable(zoom_bench bench/zoom_bench.cpp)
target_compile_options(zoom_bench PRIVATE ${VISTREL_WARNINGS})
target_link_libraries(zoom_bench PRIVATE vistrel_core)
# The program's cost while it waits (tools/bench): it starts dist/Vistrel64.exe and reads it
# from outside, with the stand-in magnification library for live zoom.
add_executable(idle_bench bench/idle_bench.cpp)
target_compile_definitions(idle_bench PRIVATE ${VISTREL_WIN_DEFINITIONS})
target_compile_options(idle_bench PRIVATE ${VISTREL_WARNINGS})
target_link_libraries(idle_bench PRIVATE user32 psapi)
add_dependencies(idle_bench Vistrel64 magnification_standin)
# The soak (tools/soak): thousands of zooms, draw sessions and breaks, a hundred options dialogs.
add_executable(soak bench/soak.cpp tests/support/mode_cycles.cpp
    $<TARGET_OBJECTS:vistrel_resources>)
target_compile_options(soak PRIVATE ${VISTREL_WARNINGS})
target_include_directories(soak PRIVATE tests)
target_link_libraries(soak PRIVATE vistrel_core)

# A stand-in magnification.dll for the live-zoom tests (Wine has none): the end-to-end test
# copies it into its prefix's system directory. Never written beside the program.
add_library(magnification_standin SHARED
    tests/support/magnification_standin/magnification_standin.cpp)
target_compile_definitions(magnification_standin PRIVATE ${VISTREL_WIN_DEFINITIONS})
target_compile_options(magnification_standin PRIVATE ${VISTREL_WARNINGS})
set_target_properties(magnification_standin PROPERTIES OUTPUT_NAME magnification PREFIX ""
    RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/magnification_standin)
if(TARGET livezoom_e2e)
    add_dependencies(livezoom_e2e magnification_standin)
endif()

# The relaunch: the Windows test carries a stand-in child; the end-to-end test carries the
# program as the 32-bit one does, and checks what the 32-bit build carries.
add_executable(child_stub WIN32 tests/shell/child_stub.cpp)
target_compile_options(child_stub PRIVATE ${VISTREL_WARNINGS})
target_link_options(child_stub PRIVATE -municode)
target_link_libraries(child_stub PRIVATE vistrel_core)
vistrel_carry(relaunch_wintest ${CMAKE_CURRENT_BINARY_DIR}/child_stub.exe)
add_dependencies(relaunch_wintest child_stub)
target_link_libraries(relaunch_wintest PRIVATE vistrel_e2e_driver)
vistrel_carry(carrier_e2e ${VISTREL_DIST_DIR}/Vistrel64.exe)
# Both run the relaunch from a folder that refuses writes (tests/support/wine-run).
set_property(TEST windows.relaunch_wintest ${VISTREL_TESTS_OF_carrier_e2e}
    APPEND PROPERTY ENVIRONMENT VISTREL_LOCKABLE=1)
if(VISTREL_BUILD_CARRIER)
    add_dependencies(carrier_e2e carrier)
endif()
