# The simulated board plays work programs: its test builds them with the
# program's own encoders and compares the run with the program's estimate.
if(TARGET link_tst_boardsim AND TARGET data)
    target_link_libraries(link_tst_boardsim PRIVATE data)
endif()
