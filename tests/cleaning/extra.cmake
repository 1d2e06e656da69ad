# The blade release test drives the simulated board.
if(TARGET cleaning_tst_releaseblade AND TARGET frostpanel-boardsim)
    add_dependencies(cleaning_tst_releaseblade frostpanel-boardsim)
endif()
