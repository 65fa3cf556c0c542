# Installation: `cmake --install build --prefix DIR` and the Debian package.
#
# Programs, run-time modules and the project's libraries all go into one
# folder, lib/corvane/ (RPATH $ORIGIN): the programs find their modules and
# the other programs beside the running executable, wherever the prefix is.
# bin/ holds relative symbolic links to the programs. A program is installed
# with one line in its CMakeLists.txt:
#
#   corvane_install_program(<target> [MAN <page>] [DESKTOP <desktop id>] [ICON <icon name>])
#
# MAN names data/man/<page>.1 (the target's own name when only MAN is given),
# DESKTOP installs data/desktop/<id>.desktop, ICON the PNGs and the SVG of
# data/icons/ (drawn by tools/make-icons.py).

include(GNUInstallDirs)

set(CORVANE_INSTALL_PKGDIR "${CMAKE_INSTALL_LIBDIR}/corvane")
set(CORVANE_DATA_DIR "${PROJECT_SOURCE_DIR}/data")
set(CORVANE_ICON_SIZES 16 22 24 32 48 64 128 256)
file(RELATIVE_PATH CORVANE_BIN_TO_PKGDIR "/prefix/${CMAKE_INSTALL_BINDIR}" "/prefix/${CORVANE_INSTALL_PKGDIR}")

function(corvane_install_icon name)
  foreach(size IN LISTS CORVANE_ICON_SIZES)
    install(FILES "${CORVANE_DATA_DIR}/icons/${size}x${size}/${name}.png"
      DESTINATION "${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps")
  endforeach()
  install(FILES "${CORVANE_DATA_DIR}/icons/scalable/${name}.svg"
    DESTINATION "${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps")
endfunction()

function(corvane_install_program target)
  cmake_parse_arguments(PARSE_ARGV 1 arg "" "MAN;DESKTOP;ICON" "")
  install(TARGETS ${target} RUNTIME DESTINATION "${CORVANE_INSTALL_PKGDIR}")

  set(link "${PROJECT_BINARY_DIR}/install-links/${target}")
  file(MAKE_DIRECTORY "${PROJECT_BINARY_DIR}/install-links")
  file(CREATE_LINK "${CORVANE_BIN_TO_PKGDIR}/${target}" "${link}" SYMBOLIC)
  install(FILES "${link}" DESTINATION "${CMAKE_INSTALL_BINDIR}")

  if(arg_MAN)
    set(CORVANE_VERSION "${PROJECT_VERSION}")
    configure_file("${CORVANE_DATA_DIR}/man/${arg_MAN}.1" "${PROJECT_BINARY_DIR}/man/${arg_MAN}.1" @ONLY)
    install(FILES "${PROJECT_BINARY_DIR}/man/${arg_MAN}.1" DESTINATION "${CMAKE_INSTALL_MANDIR}/man1")
  endif()
  if(arg_DESKTOP)
    install(FILES "${CORVANE_DATA_DIR}/desktop/${arg_DESKTOP}.desktop"
      DESTINATION "${CMAKE_INSTALL_DATADIR}/applications")
  endif()
  if(arg_ICON)
    corvane_install_icon(${arg_ICON})
  endif()
endfunction()

# A shared library or run-time module of the project.
function(corvane_install_library target)
  install(TARGETS ${target} LIBRARY DESTINATION "${CORVANE_INSTALL_PKGDIR}")
endfunction()

# AppStream metadata of the product (installed once, here).
configure_file("${CORVANE_DATA_DIR}/desktop/io.github.corvane.Corvane.metainfo.xml.in"
  "${PROJECT_BINARY_DIR}/io.github.corvane.Corvane.metainfo.xml" @ONLY)
install(FILES "${PROJECT_BINARY_DIR}/io.github.corvane.Corvane.metainfo.xml"
  DESTINATION "${CMAKE_INSTALL_DATADIR}/metainfo")

# The Debian package: cpack -G DEB in the build folder.
set(CPACK_PACKAGE_NAME corvane)
set(CPACK_PACKAGE_VENDOR "Corvane")
set(CPACK_PACKAGE_CONTACT "Corvane developers <corvane@localhost>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "track where web sites rank in search engines")
set(CPACK_PACKAGE_DESCRIPTION "Corvane follows the positions of web sites in search engines: the
mining program Harvester asks the engines for the terms of each project and stores
every position found; Corvane shows them as a dashboard, charts, tables, queries,
exports and printed reports.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION net)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# The project's own libraries live in lib/corvane/; dpkg-shlibdeps finds them there.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS_PRIVATE_DIRS "${PROJECT_BINARY_DIR}/bin")
set(CPACK_DEBIAN_COMPRESSION_TYPE gzip)
set(CPACK_GENERATOR DEB)
include(CPack)
