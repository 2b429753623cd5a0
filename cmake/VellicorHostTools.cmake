# The tools that run during the build (they draw and pack the themes and repair Help.chm's context map)
# must run on the build machine. A cross build makes them with the host's compiler and host Qt in a
# build folder of its own and knows them by the same target names, as imported programs; the folders that
# define them natively skip them then.
include(ExternalProject)

set(VELLICOR_HOST_TOOLS vellicor_themegen vellicor_skinpack ChmContextFix)
set(host_tools_dir ${CMAKE_BINARY_DIR}/host-tools)
set(host_tool_files)
foreach(tool IN LISTS VELLICOR_HOST_TOOLS)
    list(APPEND host_tool_files ${host_tools_dir}/bin/${tool})
endforeach()

ExternalProject_Add(vellicor_host_tools
    SOURCE_DIR ${PROJECT_SOURCE_DIR}
    BINARY_DIR ${host_tools_dir}
    CMAKE_ARGS
        -DCMAKE_BUILD_TYPE=Release
        -DVELLICOR_TESTS=OFF
        -DCMAKE_RUNTIME_OUTPUT_DIRECTORY=${host_tools_dir}/bin
    BUILD_COMMAND ${CMAKE_COMMAND} --build <BINARY_DIR> --target ${VELLICOR_HOST_TOOLS}
    INSTALL_COMMAND ""
    # Ninja then rebuilds a tool whose sources changed, and what it made.
    BUILD_ALWAYS ON
    BUILD_BYPRODUCTS ${host_tool_files}
    USES_TERMINAL_BUILD ON)

foreach(tool IN LISTS VELLICOR_HOST_TOOLS)
    add_executable(${tool} IMPORTED GLOBAL)
    set_target_properties(${tool} PROPERTIES IMPORTED_LOCATION ${host_tools_dir}/bin/${tool})
endforeach()
