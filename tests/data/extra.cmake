# The conversion table generator, for the test that checks it still
# reproduces the tables.
if(TARGET data_tst_presets AND TARGET frostpanel-conversion-tables)
    add_dependencies(data_tst_presets frostpanel-conversion-tables)
    set_property(TEST data_tst_presets APPEND PROPERTY ENVIRONMENT
        "FROSTPANEL_CONVERSION_TABLES=$<TARGET_FILE:frostpanel-conversion-tables>")
endif()
