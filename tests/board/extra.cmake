# The board's build: its installation (file list, unit, seeding of the home
# folder, and the armhf packages when tools/cross-build.sh made them), and the
# armhf program run under qemu against the simulated board. The latter is
# skipped without build-armhf/frostpanel, so a host-only checkout still passes.
set(FROSTPANEL_ARMHF_BUILD ${CMAKE_SOURCE_DIR}/build-armhf)
find_program(FROSTPANEL_BASH bash)
if(FROSTPANEL_BASH AND TARGET frostpanel)
    add_test(NAME board_install
             COMMAND ${FROSTPANEL_BASH} ${CMAKE_CURRENT_LIST_DIR}/check_install.sh
                     ${CMAKE_BINARY_DIR} ${CMAKE_SOURCE_DIR} ${FROSTPANEL_ARMHF_BUILD})
    set_tests_properties(board_install PROPERTIES TIMEOUT 120 ENVIRONMENT "CMAKE=${CMAKE_COMMAND}")
    if(TARGET frostpanel-boardsim AND TARGET frostpanel-remote AND TARGET frostpanel-demo-seed)
        add_test(NAME board_armhf_smoke
                 COMMAND ${FROSTPANEL_BASH} ${CMAKE_SOURCE_DIR}/tools/cross-smoke.sh
                         ${FROSTPANEL_ARMHF_BUILD} ${CMAKE_BINARY_DIR})
        set_tests_properties(board_armhf_smoke PROPERTIES
            SKIP_RETURN_CODE 77
            TIMEOUT 300
            # Alone: emulation is slow, and its start-up would time out beside
            # the other tests on a small machine.
            RUN_SERIAL TRUE)
    endif()
endif()
