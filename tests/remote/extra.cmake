# The remote protocol's fuzz target, built with clang in its own folder and run
# for about 30 seconds on the seed corpus (tools/fuzz-remote.sh).
find_program(FROSTPANEL_CLANGXX clang++)
if(FROSTPANEL_CLANGXX)
    add_test(NAME remote_fuzz
             COMMAND ${CMAKE_SOURCE_DIR}/tools/fuzz-remote.sh ${CMAKE_BINARY_DIR}/fuzz-remote 30)
    set_tests_properties(remote_fuzz PROPERTIES TIMEOUT 1200)
endif()

# The tool tests run the built frostpanel-remote.
if(TARGET frostpanel-remote)
    foreach(_tool_test remote_tst_client remote_tst_import)
        if(TARGET ${_tool_test})
            add_dependencies(${_tool_test} frostpanel-remote)
        endif()
    endforeach()
endif()
