# The product's layers, bottom to top. A library may use its own layer and
# the ones below it, never one above: the link and the data code must build
# and test without the screens, and the screens without the shell. Checked at
# configure time, for the CMake links and for the includes of every source.

set(FROSTPANEL_LAYER_platform 0)
set(FROSTPANEL_LAYER_link 1)
set(FROSTPANEL_LAYER_data 2)
set(FROSTPANEL_LAYER_remote 3)
set(FROSTPANEL_LAYER_app 4)
set(FROSTPANEL_LAYER_work 5)
set(FROSTPANEL_LAYER_cleaning 5)
set(FROSTPANEL_LAYER_errors 5)
set(FROSTPANEL_LAYER_settings 5)
set(FROSTPANEL_LAYER_shell 6)

# Fails the configuration when one of `libs` links, or one of its sources
# includes, a library of a higher layer.
function(frostpanel_check_layers libs)
    set(_faults)
    foreach(lib ${libs})
        set(_own ${FROSTPANEL_LAYER_${lib}})
        get_target_property(_deps ${lib} LINK_LIBRARIES)
        get_target_property(_ideps ${lib} INTERFACE_LINK_LIBRARIES)
        set(_all ${_deps} ${_ideps})
        list(REMOVE_DUPLICATES _all)
        foreach(dep ${_all})
            if(DEFINED FROSTPANEL_LAYER_${dep} AND FROSTPANEL_LAYER_${dep} GREATER _own)
                list(APPEND _faults "library ${lib} links ${dep}")
            endif()
        endforeach()

        file(GLOB_RECURSE _files ${CMAKE_SOURCE_DIR}/${lib}/*.cpp ${CMAKE_SOURCE_DIR}/${lib}/*.h)
        foreach(f ${_files})
            file(STRINGS ${f} _includes REGEX "^[ \t]*#[ \t]*include[ \t]*\"[a-z]+/")
            foreach(inc ${_includes})
                string(REGEX REPLACE "^[ \t]*#[ \t]*include[ \t]*\"([a-z]+)/.*" "\\1" _top "${inc}")
                if(DEFINED FROSTPANEL_LAYER_${_top} AND FROSTPANEL_LAYER_${_top} GREATER _own)
                    file(RELATIVE_PATH _rel ${CMAKE_SOURCE_DIR} ${f})
                    list(APPEND _faults "${_rel} includes ${_top}/")
                endif()
            endforeach()
        endforeach()
    endforeach()
    if(_faults)
        list(JOIN _faults "\n  " _text)
        message(FATAL_ERROR "A layer uses a higher one:\n  ${_text}")
    endif()
endfunction()
