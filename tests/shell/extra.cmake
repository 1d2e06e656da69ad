# The program over Qt's VNC platform against the simulated board, watched and
# touched through tools/vnc.py: the welcome is seen and a tap takes effect.
find_package(Python3 COMPONENTS Interpreter)
if(Python3_Interpreter_FOUND AND TARGET frostpanel AND TARGET frostpanel-boardsim AND TARGET frostpanel-demo-seed)
    add_test(NAME shell_screen_over_vnc
             COMMAND ${Python3_EXECUTABLE} ${CMAKE_CURRENT_LIST_DIR}/screen_over_vnc.py
                     ${CMAKE_BINARY_DIR} ${CMAKE_SOURCE_DIR})
    set_tests_properties(shell_screen_over_vnc PROPERTIES
        ENVIRONMENT "${FROSTPANEL_TEST_ENV}"
        SKIP_RETURN_CODE 77
        TIMEOUT 60)
endif()

# The stop test runs the built program against the simulated board, with its
# machine data seeded and the remote tool doing the saves.
if(TARGET shell_tst_cleanstop)
    foreach(_program frostpanel frostpanel-boardsim frostpanel-demo-seed frostpanel-remote)
        if(TARGET ${_program})
            add_dependencies(shell_tst_cleanstop ${_program})
        endif()
    endforeach()
endif()
