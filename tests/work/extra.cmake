# The screens' tests switch language with the compiled translations and
# drive the simulated board.
foreach(_t work_tst_startsettings work_tst_startscreens)
    if(TARGET ${_t} AND TARGET translations)
        add_dependencies(${_t} translations)
    endif()
    if(TARGET ${_t} AND TARGET frostpanel-boardsim)
        add_dependencies(${_t} frostpanel-boardsim)
    endif()
endforeach()
