# The cleaning screens' tests drive the simulated board.
foreach(_t cleaning_tst_customcleaning cleaning_tst_cleaningmenu cleaning_tst_releaseblade)
    if(TARGET ${_t} AND TARGET frostpanel-boardsim)
        add_dependencies(${_t} frostpanel-boardsim)
    endif()
endforeach()
