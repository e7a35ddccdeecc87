# What a user sees of each shipped binary besides its code: the product's
# name, vendor and version, one Windows version resource per binary, where
# `cmake --install` puts it, and for the Linux tools a man page made from
# their --help. The version itself is the one in project().
#
#   t815_add_version_resource(<target> <description>)
#       Windows builds: links a VERSIONINFO resource into the DLL or program.
#   t815_add_tool_metadata(<target> <description>)
#       Everything a shipped command-line tool needs: the generated
#       t815_version.h (kProjectVersion, for --version), the version resource,
#       the install rule and the man page.

set(T815_PRODUCT_NAME "Veltrano T-815")
# The vendor as the plug-in reports it to hosts (kPluginVendorName); the
# package test checks that the two agree.
set(T815_VENDOR "Gravlon / VST Port")

# The Linux plug-in goes in <prefix>/lib/vst: with the prefix /usr (the
# Debian package) that is /usr/lib/vst, where Linux hosts look. A Windows
# install is laid out as the Windows zip is: one folder per bitness.
if(WIN32)
    enable_language(RC)
    if(CMAKE_SIZEOF_VOID_P EQUAL 8)
        set(T815_PLUGIN_DESTINATION win64)
    else()
        set(T815_PLUGIN_DESTINATION win32)
    endif()
    set(T815_TOOL_DESTINATION ${T815_PLUGIN_DESTINATION})
else()
    set(T815_PLUGIN_DESTINATION lib/vst)
    set(T815_TOOL_DESTINATION bin)
endif()

configure_file(${CMAKE_CURRENT_LIST_DIR}/t815_version.h.in
               ${PROJECT_BINARY_DIR}/generated/t815_version.h @ONLY)
add_library(t815_version INTERFACE)
target_include_directories(t815_version INTERFACE ${PROJECT_BINARY_DIR}/generated)

function(t815_add_version_resource target description)
    if(NOT WIN32)
        return()
    endif()
    get_target_property(type ${target} TYPE)
    if(type STREQUAL "EXECUTABLE")
        set(T815_RC_FILETYPE VFT_APP)
    else()
        set(T815_RC_FILETYPE VFT_DLL)
    endif()
    set(T815_RC_DESCRIPTION "${description}")
    set(T815_RC_FILENAME "$<TARGET_FILE_NAME:${target}>")
    set(T815_RC_INTERNAL_NAME "$<TARGET_FILE_BASE_NAME:${target}>")
    set(tweak 0)
    if(PROJECT_VERSION_TWEAK)
        set(tweak ${PROJECT_VERSION_TWEAK})
    endif()
    set(parts ${PROJECT_VERSION_MAJOR} ${PROJECT_VERSION_MINOR} ${PROJECT_VERSION_PATCH} ${tweak})
    list(JOIN parts "," T815_VERSION_COMMAS)
    list(JOIN parts "." T815_VERSION_DOTS)
    # Variables first, then the file names, which only the generator knows.
    set(rc ${CMAKE_CURRENT_BINARY_DIR}/${target}_version_info.rc)
    configure_file(${PROJECT_SOURCE_DIR}/cmake/version_info.rc.in ${rc}.in @ONLY)
    file(GENERATE OUTPUT ${rc} INPUT ${rc}.in)
    set_source_files_properties(${rc} PROPERTIES GENERATED TRUE)
    target_sources(${target} PRIVATE ${rc})
endfunction()

function(t815_add_tool_metadata target description)
    target_link_libraries(${target} PRIVATE t815_version)
    t815_add_version_resource(${target} "${description}")
    install(TARGETS ${target} RUNTIME DESTINATION ${T815_TOOL_DESTINATION})
    if(WIN32 OR CMAKE_CROSSCOMPILING)
        return()
    endif()
    # Debian wants a man page per program, compressed with gzip -9n.
    find_program(HELP2MAN help2man REQUIRED)
    set(page ${CMAKE_CURRENT_BINARY_DIR}/${target}.1)
    add_custom_command(
        OUTPUT ${page}.gz
        COMMAND ${HELP2MAN} --no-info --name=${description} --output=${page}
                $<TARGET_FILE:${target}>
        COMMAND gzip -9nf ${page}
        DEPENDS ${target}
        COMMENT "Man page of ${target}, from its --help"
        VERBATIM)
    add_custom_target(${target}_man_page ALL DEPENDS ${page}.gz)
    install(FILES ${page}.gz DESTINATION share/man/man1)
endfunction()
