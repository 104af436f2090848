# Installation and the Debian package.
#   cmake --install BUILD --prefix /usr/local     installs the programs and their files
#   cpack --config BUILD/CPackConfig.cmake        builds telvo_VERSION_ARCH.deb
# Only the three programs and what they need are installed: the tests,
# benchmarks, the screenshot renderer and the fuzz targets have no install rules.
include(GNUInstallDirs)

install(TARGETS telvo telvo-log RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
if(TARGET telvo-popup)
  install(TARGETS telvo-popup RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
endif()
add_subdirectory(${PROJECT_SOURCE_DIR}/data ${PROJECT_BINARY_DIR}/data)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME telvo)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT "Telvo developer <dev@telvo.local>")
set(CPACK_DEBIAN_PACKAGE_MAINTAINER ${CPACK_PACKAGE_CONTACT})
set(CPACK_DEBIAN_PACKAGE_SECTION comm)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION "telephone-message pad for an office workgroup
Whoever answers a call for a colleague fills in the pad (caller, number,
message, urgency) and delivers it: the call is appended to the colleague's
phone log in a shared folder, and the colleague's workstation is told.
There is no server; the workstations meet only in the shared files.
.
This package holds telvo, the message pad; telvo-popup, which announces
delivered calls on a workstation; and telvo-log, the administrator's
command-line tool for inspecting and repairing phone logs.")
# dpkg-shlibdeps finds the libraries the programs link. The plugins that Qt
# loads at run time it cannot see: on Debian the X11 platform plugin ships in
# libqt6gui6 and the CUPS printing plugin in libqt6printsupport6, which the
# programs link anyway, but the Wayland platform plugin comes apart, in
# qt6-wayland. Debian's Qt falls back to X11 (XWayland) without it, and it
# brings Qt Quick along, so it is recommended rather than required.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "qt6-wayland")
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
# The programs are built with debugging information; the package leaves it out.
set(CPACK_STRIP_FILES ON)
include(CPack)
