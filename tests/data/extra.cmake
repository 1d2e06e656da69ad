# Included by tests/CMakeLists.txt after the test executables exist.

# The conversion table generator, for the test that checks it still
# reproduces the tables.
if(TARGET data_tst_tables AND TARGET frostpanel-conversion-tables)
    add_dependencies(data_tst_tables frostpanel-conversion-tables)
    set_property(TEST data_tst_tables APPEND PROPERTY ENVIRONMENT
        "FROSTPANEL_CONVERSION_TABLES=$<TARGET_FILE:frostpanel-conversion-tables>")
endif()
