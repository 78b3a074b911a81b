# Host build: platform-free code and its tests under ASan and UBSan; the Windows build as a
# sub-build whose ctest file is included in this one, so one ctest run covers all three layers.

set(VISTREL_SANITIZERS -fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=all)

set(gtest_force_shared_crt ON CACHE BOOL "" FORCE)
set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
add_compile_options(${VISTREL_SANITIZERS})
add_link_options(${VISTREL_SANITIZERS})
add_subdirectory(${VISTREL_GTEST_SOURCE_DIR} googletest EXCLUDE_FROM_ALL SYSTEM)

add_library(vistrel_portable STATIC ${VISTREL_PORTABLE_SOURCES})
target_include_directories(vistrel_portable PUBLIC src)
target_compile_options(vistrel_portable PRIVATE ${VISTREL_WARNINGS})

add_executable(native_tests ${VISTREL_PORTABLE_TESTS})
target_compile_options(native_tests PRIVATE ${VISTREL_WARNINGS})
target_link_libraries(native_tests PRIVATE vistrel_portable GTest::gtest_main)
include(GoogleTest)
gtest_discover_tests(native_tests TEST_PREFIX "native." DISCOVERY_TIMEOUT 30)

# A 20-second run of the XML reader's fuzzer on a scratch copy of the seed corpus; the build
# makes the fuzzer with clang ahead of it (tools/fuzz, into the build tree's fuzz/). Longer runs:
# tools/fuzz [seconds].
add_custom_target(xml_reader_fuzz ALL
    COMMAND ${CMAKE_COMMAND} -E env VISTREL_FUZZ_DIR=${CMAKE_BINARY_DIR}/fuzz
        VISTREL_FUZZ_BUILD_ONLY=1 ${PROJECT_SOURCE_DIR}/tools/fuzz
    WORKING_DIRECTORY ${PROJECT_SOURCE_DIR} COMMENT "Building the XML reader's fuzzer" VERBATIM)
add_test(NAME fuzz.xml_reader COMMAND ${PROJECT_SOURCE_DIR}/tools/fuzz 20)
set_tests_properties(fuzz.xml_reader PROPERTIES LABELS fuzz TIMEOUT 60
    ENVIRONMENT VISTREL_FUZZ_DIR=${CMAKE_BINARY_DIR}/fuzz)

# Dependencies run one way: program, commands, modes, shared helpers, base (tools/check-includes).
add_test(NAME layers.includes COMMAND ${PROJECT_SOURCE_DIR}/tools/check-includes)
set_tests_properties(layers.includes PROPERTIES TIMEOUT 30)

option(VISTREL_WINDOWS "Also cross-build the Windows program and its tests" ON)
if(VISTREL_WINDOWS)
    include(ExternalProject)
    set(VISTREL_WINDOWS_BINARY_DIR ${CMAKE_BINARY_DIR}/windows)
    set(VISTREL_DIST_DIR ${PROJECT_SOURCE_DIR}/dist CACHE PATH
        "Where the Windows build writes the programs; scratch builds point it elsewhere")
    ExternalProject_Add(windows
        SOURCE_DIR ${PROJECT_SOURCE_DIR}
        BINARY_DIR ${VISTREL_WINDOWS_BINARY_DIR}
        CMAKE_ARGS
            -DCMAKE_TOOLCHAIN_FILE=${PROJECT_SOURCE_DIR}/cmake/mingw-x86_64.cmake
            -DCMAKE_BUILD_TYPE=Release
            -DVISTREL_WERROR=${VISTREL_WERROR}
            -DVISTREL_GTEST_SOURCE_DIR=${VISTREL_GTEST_SOURCE_DIR}
            -DVISTREL_DIST_DIR=${VISTREL_DIST_DIR}
        BUILD_ALWAYS ON
        INSTALL_COMMAND ""
        USES_TERMINAL_BUILD ON)
    # ctest reads this file at run time and descends into the Windows build's tests.
    set(include_file ${CMAKE_BINARY_DIR}/windows-tests.cmake)
    file(WRITE ${include_file} "subdirs(\"${VISTREL_WINDOWS_BINARY_DIR}\")\n")
    set_property(DIRECTORY APPEND PROPERTY TEST_INCLUDE_FILES ${include_file})
endif()
