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

# What Debian asks of every package beside the programs: the copyright file,
# the changelog and a manual page for each program. Policy wants the latter
# two compressed with gzip -9; -n keeps the name and time out, so the package
# depends on its sources only. A version without a Debian revision is a
# native package, whose changelog lintian expects as changelog.gz.
find_program(TELVO_AWK NAMES awk mawk gawk REQUIRED)
find_program(TELVO_GZIP gzip REQUIRED)
set(TELVO_DEBIAN_DIR ${PROJECT_SOURCE_DIR}/data/debian)
set(TELVO_DOC_DIR ${CMAKE_INSTALL_DATADIR}/doc/telvo)
set(TELVO_CHANGELOG ${PROJECT_BINARY_DIR}/changelog.gz)
add_custom_command(OUTPUT ${TELVO_CHANGELOG}
  COMMAND ${CMAKE_COMMAND} -E copy ${TELVO_DEBIAN_DIR}/changelog ${PROJECT_BINARY_DIR}/changelog
  COMMAND ${TELVO_GZIP} -9nf ${PROJECT_BINARY_DIR}/changelog
  DEPENDS ${TELVO_DEBIAN_DIR}/changelog
  COMMENT "Compressing the changelog")
install(FILES ${TELVO_DEBIAN_DIR}/copyright ${TELVO_CHANGELOG} DESTINATION ${TELVO_DOC_DIR})

# The manual pages carry the date of the changelog's latest entry, so they
# change only with a release.
file(STRINGS ${TELVO_DEBIAN_DIR}/changelog TELVO_RELEASE_LINE REGEX "^ -- " LIMIT_COUNT 1)
if(NOT TELVO_RELEASE_LINE MATCHES ", ([0-9]+) ([A-Z][a-z][a-z]) ([0-9][0-9][0-9][0-9]) ")
  message(FATAL_ERROR "data/debian/changelog: no date in the latest entry's trailer line")
endif()
set(TELVO_RELEASE_YEAR ${CMAKE_MATCH_3})
set(TELVO_RELEASE_DAY ${CMAKE_MATCH_1})
set(months Jan Feb Mar Apr May Jun Jul Aug Sep Oct Nov Dec)
list(FIND months ${CMAKE_MATCH_2} TELVO_RELEASE_MONTH)
math(EXPR TELVO_RELEASE_MONTH "${TELVO_RELEASE_MONTH} + 1")
string(REGEX REPLACE "^([0-9])$" "0\\1" TELVO_RELEASE_MONTH ${TELVO_RELEASE_MONTH})
string(REGEX REPLACE "^([0-9])$" "0\\1" TELVO_RELEASE_DAY ${TELVO_RELEASE_DAY})
set(TELVO_RELEASE_DATE ${TELVO_RELEASE_YEAR}-${TELVO_RELEASE_MONTH}-${TELVO_RELEASE_DAY})

set(TELVO_MAN_PAGES)
foreach(page telvo.1 telvo-popup.1 telvo-log.1)
  set(source ${PROJECT_SOURCE_DIR}/data/man/${page}.md)
  set(output ${PROJECT_BINARY_DIR}/man/${page}.gz)
  add_custom_command(OUTPUT ${output}
    COMMAND ${CMAKE_COMMAND} -DSOURCE=${source} -DOUTPUT=${output}
      -DVERSION=${PROJECT_VERSION} -DDATE=${TELVO_RELEASE_DATE}
      -DAWK=${TELVO_AWK} -DGZIP=${TELVO_GZIP} -P ${PROJECT_SOURCE_DIR}/cmake/man_page.cmake
    DEPENDS ${source} ${PROJECT_SOURCE_DIR}/cmake/man_page.cmake
      ${PROJECT_SOURCE_DIR}/cmake/markdown_to_man.awk
    COMMENT "Writing the manual page ${page}")
  list(APPEND TELVO_MAN_PAGES ${output})
endforeach()
file(MAKE_DIRECTORY ${PROJECT_BINARY_DIR}/man)
add_custom_target(telvo_package_docs ALL DEPENDS ${TELVO_CHANGELOG} ${TELVO_MAN_PAGES})
install(FILES ${TELVO_MAN_PAGES} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME telvo)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
# The maintainers as a role, at an address that receives mail.
set(CPACK_PACKAGE_CONTACT "Telvo Maintainers <maintainers@telvo.org>")
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
command-line tool, which lists, posts, marks, exports and purges the calls
of a phone log, reports damaged regions of a log, and tells whether a
shared folder's mount can lose calls. A record torn by a writer that was
killed in mid-append is set aside into a file beside the log by the next
writer.")
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
