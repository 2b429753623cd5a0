# vellicor_add_test(<name> SOURCES <files...> LIBS <targets...> [GUI] [ENVIRONMENT <VAR=value...>]
#                   [RESOURCE_LOCK <names...>] [WORKING_DIRECTORY <folder>])
# One GoogleTest executable; its cases are discovered when ctest runs, so the same rule works
# for cross-built tests that only run under an emulator.
include(GoogleTest)

if(CMAKE_CROSSCOMPILING AND NOT TARGET GTest::gtest)
    # Debian ships GoogleTest's sources for other toolchains.
    set(gtest_force_shared_crt ON CACHE BOOL "" FORCE)
    set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
    add_subdirectory(/usr/src/googletest ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)
    # GoogleTest 1.11 and later name their targets GTest::... themselves.
    foreach(library gtest gtest_main gmock)
        if(NOT TARGET GTest::${library})
            add_library(GTest::${library} ALIAS ${library})
        endif()
    endforeach()
else()
    find_package(GTest REQUIRED)
endif()

# Host paths that tests are given (the source tree, fixtures): a Windows program running under Wine
# sees the host's files on drive Z:, whatever its current directory.
set(VELLICOR_TEST_HOST_DRIVE "")
if(WIN32 AND CMAKE_HOST_UNIX)
    set(VELLICOR_TEST_HOST_DRIVE "Z:")
endif()

# vellicor_discovered_tests_properties(<list> LABEL <label> [ENVIRONMENT <VAR=value...>]
#                                     [RESOURCE_LOCK <names...>])
# Gives every test that a discovery found (its TEST_LIST <list>) these properties, once ctest has read the
# list. gtest_discover_tests's own PROPERTIES would flatten two ENVIRONMENT variables into separate
# arguments (CMake 3.25), losing every property after the first variable.
function(vellicor_discovered_tests_properties list)
    cmake_parse_arguments(ARG "" "LABEL" "ENVIRONMENT;RESOURCE_LOCK" ${ARGN})
    set(properties "LABELS [==[${ARG_LABEL}]==] ENVIRONMENT [==[${ARG_ENVIRONMENT}]==]")
    if(ARG_RESOURCE_LOCK)
        string(APPEND properties " RESOURCE_LOCK [==[${ARG_RESOURCE_LOCK}]==]")
    endif()
    set(script ${CMAKE_CURRENT_BINARY_DIR}/${list}_properties.cmake)
    file(WRITE ${script} "if(${list})\n    set_tests_properties(\${${list}} PROPERTIES ${properties})\nendif()\n")
    set_property(DIRECTORY APPEND PROPERTY TEST_INCLUDE_FILES ${script})
endfunction()

function(vellicor_add_test name)
    cmake_parse_arguments(ARG "GUI" "WORKING_DIRECTORY" "SOURCES;LIBS;ENVIRONMENT;RESOURCE_LOCK" ${ARGN})
    if(NOT ARG_WORKING_DIRECTORY)
        set(ARG_WORKING_DIRECTORY ${CMAKE_CURRENT_BINARY_DIR})
    endif()
    add_executable(${name} ${ARG_SOURCES})
    target_link_libraries(${name} PRIVATE vellicor_options vellicor_test_support ${ARG_LIBS})
    if(ARG_GUI)
        target_link_libraries(${name} PRIVATE vellicor_gui_test_main)
        if(WIN32 AND CMAKE_HOST_UNIX)
            # Under Wine Qt's offscreen platform hangs: real windows on the X display (Xvfb), one test
            # program at a time so that none takes another's focus.
            list(APPEND ARG_ENVIRONMENT QT_QPA_PLATFORM=windows)
            list(APPEND ARG_RESOURCE_LOCK display)
        else()
            list(APPEND ARG_ENVIRONMENT QT_QPA_PLATFORM=offscreen)
        endif()
    else()
        target_link_libraries(${name} PRIVATE GTest::gtest_main)
    endif()
    target_link_libraries(${name} PRIVATE GTest::gmock GTest::gtest)
    list(APPEND ARG_ENVIRONMENT VELLICOR_TEST_DATA=${VELLICOR_TEST_HOST_DRIVE}${CMAKE_SOURCE_DIR})
    gtest_discover_tests(${name}
        WORKING_DIRECTORY ${ARG_WORKING_DIRECTORY}
        DISCOVERY_MODE PRE_TEST
        DISCOVERY_TIMEOUT 60
        TEST_LIST ${name}_TESTS)
    vellicor_discovered_tests_properties(${name}_TESTS
        LABEL ${name}
        ENVIRONMENT ${ARG_ENVIRONMENT}
        RESOURCE_LOCK ${ARG_RESOURCE_LOCK})
endfunction()

# vellicor_add_wine_locale_tests(<test target> LOCALE <name> FILTER <gtest filter>)
# Runs the filtered cases of a cross-built test once more under Wine in another locale, which gives the
# program another ANSI code page (ja_JP: 932, double-byte). Only Wine takes the code page from the
# environment; elsewhere this adds nothing.
function(vellicor_add_wine_locale_tests target)
    cmake_parse_arguments(ARG "" "LOCALE;FILTER" "" ${ARGN})
    if(NOT (WIN32 AND CMAKE_HOST_UNIX AND CMAKE_CROSSCOMPILING_EMULATOR))
        return()
    endif()
    gtest_discover_tests(${target}
        TEST_FILTER "${ARG_FILTER}"
        TEST_SUFFIX "@${ARG_LOCALE}"
        DISCOVERY_MODE PRE_TEST
        DISCOVERY_TIMEOUT 60
        TEST_LIST ${target}_${ARG_LOCALE}_TESTS)
    vellicor_discovered_tests_properties(${target}_${ARG_LOCALE}_TESTS
        LABEL ${target}
        ENVIRONMENT LC_ALL=${ARG_LOCALE} VELLICOR_TEST_DATA=${VELLICOR_TEST_HOST_DRIVE}${CMAKE_SOURCE_DIR})
endfunction()
