# The plug-in's version resource, the install rules for the plug-in and the
# documents, and the Debian package of the native Linux build (`cpack` in
# build/linux, run by scripts/package.sh). The tools get theirs through
# t815_add_tool_metadata. The Windows zip is made by scripts/package.sh from
# the win32 and win64 installs.

t815_add_version_resource(t815 "${T815_PRODUCT_NAME} VST 2.4 instrument")
t815_add_version_resource(t815_clap "${T815_PRODUCT_NAME} CLAP instrument")

if(WIN32)
    # The import library is of no use to a host; it stays out of the install.
    install(TARGETS t815 t815_clap
            RUNTIME DESTINATION ${T815_PLUGIN_DESTINATION}
            ARCHIVE DESTINATION lib COMPONENT development EXCLUDE_FROM_ALL)
    install(FILES ${PROJECT_SOURCE_DIR}/README.md DESTINATION . RENAME README.txt)
    # The panel picture ships once it is in the repository; scripts/package.sh
    # and the package test expect it from then on.
    if(EXISTS ${PROJECT_SOURCE_DIR}/docs/t815-panel.png)
        install(FILES ${PROJECT_SOURCE_DIR}/docs/t815-panel.png DESTINATION .)
    endif()
    return()
endif()

install(TARGETS t815 LIBRARY DESTINATION ${T815_PLUGIN_DESTINATION})
# CLAP hosts look in <prefix>/lib/clap.
install(TARGETS t815_clap LIBRARY DESTINATION lib/clap)
if(CMAKE_CROSSCOMPILING)
    return()
endif()

# Who answers for the package: the Debian control file and changelog.
set(T815_MAINTAINER "T-815 maintainers <t815-maintainers@example.org>")
set(doc_dir share/doc/${PROJECT_NAME})
set(changelog ${PROJECT_BINARY_DIR}/packaging/changelog)
configure_file(${PROJECT_SOURCE_DIR}/packaging/debian/changelog.in ${changelog}.txt @ONLY)
add_custom_command(
    OUTPUT ${changelog}.gz
    COMMAND ${CMAKE_COMMAND} -E copy ${changelog}.txt ${changelog}
    COMMAND gzip -9nf ${changelog}
    DEPENDS ${changelog}.txt
    COMMENT "Debian changelog, compressed"
    VERBATIM)
add_custom_target(t815_debian_changelog ALL DEPENDS ${changelog}.gz)
# t815-play in the desktop's menus.
if(TARGET t815-play)
    install(FILES ${PROJECT_SOURCE_DIR}/packaging/t815-play.desktop DESTINATION share/applications)
endif()
install(FILES ${PROJECT_SOURCE_DIR}/packaging/debian/copyright ${changelog}.gz
              ${PROJECT_SOURCE_DIR}/README.md
        DESTINATION ${doc_dir})

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME ${PROJECT_NAME})
set(CPACK_PACKAGE_VENDOR "${T815_VENDOR}")
set(CPACK_PACKAGE_CONTACT "${T815_MAINTAINER}")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "${T815_PRODUCT_NAME} preset synthesizer as VST 2.4 and CLAP instrument")
set(CPACK_PACKAGE_DESCRIPTION [[
A bit-exact emulation of a ROM-based digital preset synthesizer of the
1980s: 32 factory programs, four-key polyphony with two oscillators per
key, eight ROM waveforms and a resonant low-pass filter. The VST 2.4
plug-in installs in /usr/lib/vst and the CLAP plug-in in /usr/lib/clap,
where Linux hosts look for instruments.

Also contains t815-play, the instrument as a program of its own: a JACK
client with the panel in a window, played by MIDI or the computer
keyboard; t815-render, a command-line VST 2.4 and CLAP host that plays
MIDI files through an instrument into WAV files, and t815-validate, which checks
any VST 2.4 or CLAP instrument the way demanding hosts use it.]])
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_PACKAGE_DIRECTORY ${PROJECT_BINARY_DIR}/packages)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION sound)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
# Depends is computed from the binaries by dpkg-shlibdeps.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# t815-play plays through a JACK server.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "jackd2")
# CPack would add ldconfig calls for anything under usr/lib; the plug-in is
# loaded by hosts, not by the dynamic linker, so the package has no
# maintainer scripts. Naming the two scripts here, without such files,
# keeps CPack from generating them.
set(CPACK_DEBIAN_PACKAGE_CONTROL_EXTRA
    ${PROJECT_BINARY_DIR}/packaging/none/postinst ${PROJECT_BINARY_DIR}/packaging/none/postrm)
include(CPack)
