# SPDX-License-Identifier: GPL-3.0-or-later
# One helper registers every test executable with CTest, with the environment the tests need.
#
#   brantlewick_add_test(NAME SOURCES file... LIBS target... [QT] [TIMEOUT seconds])
#
# QT marks tests that create widgets: they get the window test main and run on the offscreen platform.
# TIMEOUT (default 300) is for each test, on a machine five times slower than a quiet one.
function(brantlewick_add_test name)
    cmake_parse_arguments(ARG "QT" "TIMEOUT" "SOURCES;LIBS" ${ARGN})
    if(NOT ARG_TIMEOUT)
        set(ARG_TIMEOUT 300)
    endif()
    add_executable(${name} ${ARG_SOURCES})
    set_target_properties(${name} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/tests)
    target_link_libraries(${name} PRIVATE ${ARG_LIBS} Brantlewick::warnings GTest::gmock)
    if(ARG_QT)
        target_link_libraries(${name} PRIVATE Brantlewick::qt_test_main)
    else()
        target_link_libraries(${name} PRIVATE GTest::gtest_main)
    endif()
    target_compile_definitions(${name} PRIVATE
        BRANTLEWICK_PROGRAM_DIR="${BRANTLEWICK_PROGRAM_DIR}"
        BRANTLEWICK_SOURCE_DIR="${PROJECT_SOURCE_DIR}")
    gtest_discover_tests(${name}
        DISCOVERY_MODE PRE_TEST
        DISCOVERY_TIMEOUT 60
        PROPERTIES ENVIRONMENT "QT_QPA_PLATFORM=offscreen;LC_ALL=C.UTF-8" TIMEOUT ${ARG_TIMEOUT})
endfunction()
