# SPDX-License-Identifier: GPL-3.0-or-later
# Installation layout, desktop integration (menu entry, icons, metainfo, manual pages, shell completions) and
# the Debian package.
# The top-level file includes this at its very end, so every program target exists by now.
block(SCOPE_FOR VARIABLES)
include(GNUInstallDirs)
set(source ${CMAKE_CURRENT_LIST_DIR})
set(binary ${CMAKE_BINARY_DIR}/packaging)

set(BRANTLEWICK_APP_ID org.example.Brantlewick)
set(BRANTLEWICK_ICON_SIZES 16 22 24 32 48 64 128 256)

# The executables and the files they look up beside themselves (the Samples folder, pointer images, the
# skin) share one private folder, so "beside the program" holds after installation exactly as in the build
# tree; bin only links into it. Qt's applicationDirPath() resolves /proc/self/exe, so a program started
# through the link still finds its companions.
set(BRANTLEWICK_INSTALL_PROGRAMDIR "lib/brantlewick" CACHE STRING
    "Folder of the executables and their companion files, relative to the installation prefix")

set(programs brantlewick-cli)
if(TARGET brantlewick)
    list(APPEND programs brantlewick)
else()
    message(STATUS "No window program in this build: installing brantlewick-cli without the menu entry")
endif()

# Application icon: the SVG is drawn by hand, the PNG sizes are rendered from it.
set(iconSource ${source}/icons/${BRANTLEWICK_APP_ID}.svg)
find_program(BRANTLEWICK_RSVG_CONVERT rsvg-convert)
set(renderedIcons)
if(BRANTLEWICK_RSVG_CONVERT)
    foreach(size IN LISTS BRANTLEWICK_ICON_SIZES)
        set(folder ${binary}/icons/${size}x${size})
        add_custom_command(OUTPUT ${folder}/${BRANTLEWICK_APP_ID}.png
                           COMMAND ${CMAKE_COMMAND} -E make_directory ${folder}
                           COMMAND ${BRANTLEWICK_RSVG_CONVERT} --width=${size} --height=${size}
                                   --output=${folder}/${BRANTLEWICK_APP_ID}.png ${iconSource}
                           DEPENDS ${iconSource} VERBATIM)
        list(APPEND renderedIcons ${folder}/${BRANTLEWICK_APP_ID}.png)
    endforeach()
else()
    message(WARNING "rsvg-convert (Debian package librsvg2-bin) not found: the PNG icons are not rendered and "
                    "only the SVG icon is installed")
endif()

# Manual pages, compressed as Debian installs them.
find_program(BRANTLEWICK_GZIP gzip)
set(manualPages)
foreach(program IN LISTS programs)
    set(page ${binary}/man/${program}.1)
    configure_file(${source}/${program}.1.in ${page} @ONLY)
    if(BRANTLEWICK_GZIP)
        add_custom_command(OUTPUT ${page}.gz COMMAND ${BRANTLEWICK_GZIP} -9 -n -f -k ${page} DEPENDS ${page}
                           VERBATIM)
        set(page ${page}.gz)
    endif()
    list(APPEND manualPages ${page})
endforeach()
# The package's documentation as Debian wants it: the machine-readable copyright file and the Debian
# changelog, compressed the way dpkg compresses (no name or time stamp inside).
set(debianChangelog ${binary}/doc/changelog.Debian)
configure_file(${source}/changelog.Debian.in ${debianChangelog} @ONLY)
set(debianDocs ${source}/copyright)
if(BRANTLEWICK_GZIP)
    add_custom_command(OUTPUT ${debianChangelog}.gz COMMAND ${BRANTLEWICK_GZIP} -9 -n -f -k ${debianChangelog}
                       DEPENDS ${debianChangelog} VERBATIM)
    list(APPEND debianDocs ${debianChangelog}.gz)
else()
    list(APPEND debianDocs ${debianChangelog})
endif()
add_custom_target(brantlewick_desktop_files ALL DEPENDS ${renderedIcons} ${manualPages} ${debianDocs})

# The links in bin are relative, so that the tree works under any prefix (CPack installs under /usr).
if(IS_ABSOLUTE "${BRANTLEWICK_INSTALL_PROGRAMDIR}")
    set(programDirFull "${BRANTLEWICK_INSTALL_PROGRAMDIR}")
else()
    set(programDirFull "${CMAKE_INSTALL_PREFIX}/${BRANTLEWICK_INSTALL_PROGRAMDIR}")
endif()
file(RELATIVE_PATH binToProgramDir "${CMAKE_INSTALL_FULL_BINDIR}" "${programDirFull}")
file(MAKE_DIRECTORY ${binary}/bin)
foreach(program IN LISTS programs)
    install(TARGETS ${program} RUNTIME DESTINATION ${BRANTLEWICK_INSTALL_PROGRAMDIR})
    file(CREATE_LINK ${binToProgramDir}/${program} ${binary}/bin/${program} SYMBOLIC)
    install(FILES ${binary}/bin/${program} DESTINATION ${CMAKE_INSTALL_BINDIR})
endforeach()
install(FILES ${manualPages} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
# The shell completions of brantlewick-cli, made from its option table, where each shell looks for them below
# the data folder (bash-completion, zsh's vendor-completions, fish's vendor_completions.d).
foreach(completion IN LISTS BRANTLEWICK_COMPLETIONS)
    get_filename_component(folder ${completion} DIRECTORY)
    install(FILES ${BRANTLEWICK_COMPLETIONS_DIR}/${completion} DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/${folder})
endforeach()
install(FILES ${debianDocs} DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/doc/brantlewick)
install(FILES ${source}/lintian-overrides DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/lintian/overrides
        RENAME brantlewick)

# Whatever the build puts beside the programs goes beside them when installed: the samples always, the
# pointer images and the skin when the build provides them.
install(DIRECTORY ${PROJECT_SOURCE_DIR}/samples/Samples DESTINATION ${BRANTLEWICK_INSTALL_PROGRAMDIR})
install(FILES ${BRANTLEWICK_PROGRAM_DIR}/HAND-M.CUR ${BRANTLEWICK_PROGRAM_DIR}/drag.ico
        DESTINATION ${BRANTLEWICK_INSTALL_PROGRAMDIR} OPTIONAL)
install(DIRECTORY ${BRANTLEWICK_PROGRAM_DIR}/x DESTINATION ${BRANTLEWICK_INSTALL_PROGRAMDIR} OPTIONAL)

# The menu entry, its icon and the metainfo belong to the window program alone.
if(TARGET brantlewick)
    install(FILES ${source}/${BRANTLEWICK_APP_ID}.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
    install(FILES ${source}/${BRANTLEWICK_APP_ID}.metainfo.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
    install(FILES ${iconSource} DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
    foreach(icon IN LISTS renderedIcons)
        get_filename_component(sizeFolder ${icon} DIRECTORY)
        get_filename_component(sizeFolder ${sizeFolder} NAME)
        install(FILES ${icon} DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${sizeFolder}/apps)
    endforeach()
    set(packageContents "the window program brantlewick, the command-line converter brantlewick-cli")
else()
    set(packageContents "the command-line converter brantlewick-cli")
endif()

# The Debian package: `cpack -G DEB` in the build tree.
set(CPACK_PACKAGE_NAME brantlewick)
set(CPACK_PACKAGE_VENDOR "The Brantlewick developers")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "add line breaks after sentence endings in plain-text files")
set(CPACK_PACKAGE_CONTACT "Brantlewick Maintainers <maintainers@brantlewick.example>")
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_RELEASE 1)
set(CPACK_DEBIAN_PACKAGE_SECTION text)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
# Dependencies come from the libraries the executables actually link (dpkg-shlibdeps), not from a list.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
# Free of double quotes, which CPack mangles in the control file, and under 80 columns.
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION
    "Brantlewick reformats plain-text files in bulk: after every sentence ending
(full stop, exclamation mark and question mark by default, or endings of
several characters such as an ellipsis) it inserts a chosen number of line
breaks and drops the one space that followed. The input files are never
changed; every result is written as a new file, beside its original or into
a folder of your choice.

${packageContents}
and a few sample texts.")
include(CPack)
endblock()
