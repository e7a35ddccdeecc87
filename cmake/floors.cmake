# The project's floors and the rule that holds them apart: a library calls
# only libraries of its own floor or below, and each format's declaration
# (vst2_abi.h, clap_abi.h) is included only by its own face, the host tools,
# the tests and the benchmarks. Breaking either fails the configuration.
#
#   1 core        the emulated instrument
#   2 instrument  the instrument shell, format-free
#   3 editor      the panel, above the shell
#   4 faces       the plug-in formats and programs that present the instrument
#   5 tools       host tools

# Gives a target its floor.
function(t815_floor target floor)
    set_property(TARGET ${target} PROPERTY T815_FLOOR ${floor})
    set_property(GLOBAL APPEND PROPERTY T815_FLOORED_TARGETS ${target})
endfunction()

function(t815_check_floors)
    get_property(targets GLOBAL PROPERTY T815_FLOORED_TARGETS)
    foreach(target IN LISTS targets)
        get_target_property(floor ${target} T815_FLOOR)
        get_target_property(links ${target} LINK_LIBRARIES)
        get_target_property(interface_links ${target} INTERFACE_LINK_LIBRARIES)
        foreach(link IN LISTS links interface_links)
            if(TARGET ${link})
                get_target_property(link_floor ${link} T815_FLOOR)
                if(link_floor AND link_floor GREATER floor)
                    message(FATAL_ERROR "${target} (floor ${floor}) links ${link} (floor ${link_floor}): "
                                        "a floor calls only floors below it")
                endif()
            endif()
        endforeach()
    endforeach()

    file(GLOB_RECURSE sources RELATIVE ${PROJECT_SOURCE_DIR}
         ${PROJECT_SOURCE_DIR}/*.h ${PROJECT_SOURCE_DIR}/*.cpp)
    foreach(source IN LISTS sources)
        if(source MATCHES "^(vst2|tools|tests|bench|build|out)/")
            continue()
        endif()
        file(STRINGS ${PROJECT_SOURCE_DIR}/${source} includes REGEX "#include \"vst2_abi.h\"")
        if(includes)
            message(FATAL_ERROR "${source} includes vst2_abi.h: only the VST 2.4 face, the host "
                                "tools, the tests and the benchmarks may")
        endif()
        file(STRINGS ${PROJECT_SOURCE_DIR}/${source} includes REGEX "#include \"clap_abi.h\"")
        if(includes AND NOT source MATCHES "^clap/")
            message(FATAL_ERROR "${source} includes clap_abi.h: only the CLAP face, the host "
                                "tools, the tests and the benchmarks may")
        endif()
    endforeach()
endfunction()
