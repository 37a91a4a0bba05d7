# Installation (cmake --install) and the Debian package (cpack -G DEB): the two
# programs, their manual pages, the desktop entry, the icon in the hicolor
# theme and the AppStream metadata. A Windows build installs the programs and
# carries its version information as a resource of each program.
include(GNUInstallDirs)

set(_pkg ${PROJECT_SOURCE_DIR}/packaging)
set(_out ${CMAKE_BINARY_DIR}/packaging)
file(MAKE_DIRECTORY ${_out})

install(TARGETS shelfwright-cli RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
if(TARGET shelfwright)
  install(TARGETS shelfwright RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
endif()

if(WIN32)
  # The version resource that GetFileVersionInfo reads from the program.
  configure_file(${_pkg}/version.rc.in ${_out}/shelfwright-cli.rc @ONLY)
  target_sources(shelfwright-cli PRIVATE ${_out}/shelfwright-cli.rc)
  # GetFileVersionInfo, read by the test of the program's version resource.
  foreach(test test_platform test_platform_cli)
    if(TARGET ${test})
      target_link_libraries(${test} PRIVATE version)
    endif()
  endforeach()
  return()
endif()

# ---- Desktop integration ----------------------------------------------------
install(FILES ${_pkg}/shelfwright.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${_pkg}/shelfwright.svg DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
configure_file(${_pkg}/org.shelfwright.Shelfwright.metainfo.xml.in ${_out}/org.shelfwright.Shelfwright.metainfo.xml
               @ONLY)
install(FILES ${_out}/org.shelfwright.Shelfwright.metainfo.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)

# The PNG sizes of the icon are rendered from the SVG.
find_program(SHELFWRIGHT_RSVG_CONVERT rsvg-convert)
if(SHELFWRIGHT_RSVG_CONVERT)
  set(_pngs)
  foreach(size 16 22 24 32 48 64 128 256)
    set(_png ${_out}/icons/${size}x${size}/shelfwright.png)
    add_custom_command(OUTPUT ${_png}
      COMMAND ${CMAKE_COMMAND} -E make_directory ${_out}/icons/${size}x${size}
      COMMAND ${SHELFWRIGHT_RSVG_CONVERT} -w ${size} -h ${size} -o ${_png} ${_pkg}/shelfwright.svg
      DEPENDS ${_pkg}/shelfwright.svg VERBATIM)
    list(APPEND _pngs ${_png})
    install(FILES ${_png} DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps)
  endforeach()
  add_custom_target(shelfwright_icons ALL DEPENDS ${_pngs})
else()
  message(STATUS "rsvg-convert not found: the PNG icons are not rendered (install librsvg2-bin)")
endif()

# ---- Manual pages, generated from --help ----------------------------------
find_program(SHELFWRIGHT_HELP2MAN help2man)
find_program(SHELFWRIGHT_GZIP gzip)
if(SHELFWRIGHT_HELP2MAN AND SHELFWRIGHT_GZIP)
  set(_manTargets shelfwright-cli)
  if(TARGET shelfwright)
    list(APPEND _manTargets shelfwright)
  endif()
  set(_manPages)
  foreach(program ${_manTargets})
    if(program STREQUAL "shelfwright")
      set(_about "keep the translation libraries of Windows applications (window program)")
    else()
      set(_about "extract the translatable texts of Windows applications into language files")
    endif()
    set(_man ${_out}/man/${program}.1)
    add_custom_command(OUTPUT ${_man}.gz
      COMMAND ${CMAKE_COMMAND} -E make_directory ${_out}/man
      COMMAND ${CMAKE_COMMAND} -E env --unset=DISPLAY --unset=WAYLAND_DISPLAY
              ${SHELFWRIGHT_HELP2MAN} --no-info --no-discard-stderr --section=1 --name=${_about}
              --version-string=${PROJECT_VERSION} --include=${_pkg}/man-common.h2m
              --output=${_man} $<TARGET_FILE:${program}>
      COMMAND ${SHELFWRIGHT_GZIP} -9nf ${_man}
      DEPENDS ${program} ${_pkg}/man-common.h2m VERBATIM)
    list(APPEND _manPages ${_man}.gz)
    install(FILES ${_man}.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
  endforeach()
  add_custom_target(shelfwright_manpages ALL DEPENDS ${_manPages})
else()
  message(STATUS "help2man or gzip not found: the manual pages are not generated")
endif()

# ---- Debian documentation: copyright and changelog --------------------------
set(_docDir ${CMAKE_INSTALL_DATAROOTDIR}/doc/shelfwright)
if(SHELFWRIGHT_GZIP)
  add_custom_command(OUTPUT ${_out}/changelog.Debian.gz
    COMMAND ${SHELFWRIGHT_GZIP} -9nc ${_pkg}/changelog > ${_out}/changelog.Debian.gz
    DEPENDS ${_pkg}/changelog)
  add_custom_target(shelfwright_changelog ALL DEPENDS ${_out}/changelog.Debian.gz)
  install(FILES ${_out}/changelog.Debian.gz DESTINATION ${_docDir})
endif()
install(FILES ${_pkg}/copyright DESTINATION ${_docDir})

# ---- Checks of the packaged files -------------------------------------------
if(SHELFWRIGHT_BUILD_TESTS)
  find_program(SHELFWRIGHT_DESKTOP_FILE_VALIDATE desktop-file-validate)
  find_program(SHELFWRIGHT_APPSTREAMCLI appstreamcli)
  if(SHELFWRIGHT_DESKTOP_FILE_VALIDATE)
    add_test(NAME packaging.desktop_entry_is_valid
             COMMAND ${SHELFWRIGHT_DESKTOP_FILE_VALIDATE} ${_pkg}/shelfwright.desktop)
    set_tests_properties(packaging.desktop_entry_is_valid PROPERTIES FAIL_REGULAR_EXPRESSION "error|warning")
  endif()
  if(SHELFWRIGHT_APPSTREAMCLI)
    add_test(NAME packaging.appstream_metadata_is_valid
             COMMAND ${SHELFWRIGHT_APPSTREAMCLI} validate --no-net ${_out}/org.shelfwright.Shelfwright.metainfo.xml)
  endif()
  if(TARGET shelfwright)
    # help2man and package builds run where no display is.
    add_test(NAME packaging.window_program_help_without_display
             COMMAND ${CMAKE_COMMAND} -E env --unset=DISPLAY --unset=WAYLAND_DISPLAY --unset=QT_QPA_PLATFORM
                     $<TARGET_FILE:shelfwright> --help)
    set_tests_properties(packaging.window_program_help_without_display PROPERTIES
                         PASS_REGULAR_EXPRESSION "Usage: shelfwright \\[options\\].*--settings FILE")
    add_test(NAME packaging.window_program_version_without_display
             COMMAND ${CMAKE_COMMAND} -E env --unset=DISPLAY --unset=WAYLAND_DISPLAY --unset=QT_QPA_PLATFORM
                     $<TARGET_FILE:shelfwright> --version)
    set_tests_properties(packaging.window_program_version_without_display PROPERTIES
                         PASS_REGULAR_EXPRESSION "^Shelfwright ${PROJECT_VERSION}\n$")
  endif()
endif()

# ---- The Debian package -----------------------------------------------------
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME shelfwright)
set(CPACK_PACKAGE_VENDOR "The Shelfwright developers")
set(CPACK_PACKAGE_CONTACT "Shelfwright developers <developers@shelfwright.invalid>")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "translation libraries of Windows applications")
# CPack puts the summary on the Description line and indents the text below.
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION
    "Shelfwright is for developers who translate Windows applications written\n\
in Object Pascal or C++Builder. It reads a library's compiled resource\n\
files, form files, units and resource scripts in every language folder and\n\
keeps one language file per language up to date.\n\
\n\
The package holds the window program shelfwright and the command line\n\
program shelfwright-cli.")
set(CPACK_DEBIAN_PACKAGE_SECTION devel)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_RELEASE 1)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
set(CPACK_STRIP_FILES ON)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_SOURCE_GENERATOR "")
include(CPack)
