# vellicor_add_test(<name> SOURCES <files...> LIBS <targets...> [GUI] [ENVIRONMENT <VAR=value...>]
#                   [RESOURCE_LOCK <names...>])
# One GoogleTest executable; its cases are discovered when ctest runs, so the same rule works
# for cross-built tests that only run under an emulator.
include(GoogleTest)

if(CMAKE_CROSSCOMPILING AND NOT TARGET GTest::gtest)
    # Debian ships GoogleTest's sources for other toolchains.
    set(gtest_force_shared_crt ON CACHE BOOL "" FORCE)
    set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
    add_subdirectory(/usr/src/googletest ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)
    add_library(GTest::gtest ALIAS gtest)
    add_library(GTest::gtest_main ALIAS gtest_main)
    add_library(GTest::gmock ALIAS gmock)
else()
    find_package(GTest REQUIRED)
endif()

function(vellicor_add_test name)
    cmake_parse_arguments(ARG "GUI" "" "SOURCES;LIBS;ENVIRONMENT;RESOURCE_LOCK" ${ARGN})
    add_executable(${name} ${ARG_SOURCES})
    target_link_libraries(${name} PRIVATE vellicor_options vellicor_test_support ${ARG_LIBS})
    if(ARG_GUI)
        target_link_libraries(${name} PRIVATE vellicor_gui_test_main)
        list(APPEND ARG_ENVIRONMENT QT_QPA_PLATFORM=offscreen)
    else()
        target_link_libraries(${name} PRIVATE GTest::gtest_main)
    endif()
    target_link_libraries(${name} PRIVATE GTest::gmock GTest::gtest)
    list(APPEND ARG_ENVIRONMENT VELLICOR_TEST_DATA=${CMAKE_SOURCE_DIR})
    # The property list is flattened on its way to the discovered tests: keep the variables one value.
    string(REPLACE ";" "\\;" environment "${ARG_ENVIRONMENT}")
    set(locks)
    if(ARG_RESOURCE_LOCK)
        string(REPLACE ";" "\\;" locks "${ARG_RESOURCE_LOCK}")
        set(locks RESOURCE_LOCK "${locks}")
    endif()
    gtest_discover_tests(${name}
        DISCOVERY_MODE PRE_TEST
        DISCOVERY_TIMEOUT 60
        PROPERTIES ENVIRONMENT "${environment}" LABELS "${name}" ${locks})
endfunction()
