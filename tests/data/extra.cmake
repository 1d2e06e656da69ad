# The conversion table generator, for the test that checks it still
# reproduces the tables, and the program the crash-safety test kills.
if(TARGET data_tst_presets AND TARGET frostpanel-conversion-tables)
    add_dependencies(data_tst_presets frostpanel-conversion-tables)
    set_property(TEST data_tst_presets APPEND PROPERTY ENVIRONMENT
        "FROSTPANEL_CONVERSION_TABLES=$<TARGET_FILE:frostpanel-conversion-tables>")
endif()
if(TARGET data_tst_crashsafety)
    add_executable(data_crash_saver ${CMAKE_CURRENT_SOURCE_DIR}/data/crash_saver.cpp)
    set_target_properties(data_crash_saver PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/tests)
    target_link_libraries(data_crash_saver PRIVATE data Qt5::Core)
    add_dependencies(data_tst_crashsafety data_crash_saver)
    set_property(TEST data_tst_crashsafety APPEND PROPERTY ENVIRONMENT
        "FROSTPANEL_CRASH_SAVER=$<TARGET_FILE:data_crash_saver>")
endif()
