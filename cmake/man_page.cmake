# Writes one gzipped manual page from its Markdown-like source:
#   cmake -DSOURCE=telvo.1.md -DOUTPUT=telvo.1.gz -DVERSION=1.4.5 -DDATE=2026-12-08
#         -DAWK=/usr/bin/awk -DGZIP=/bin/gzip -P man_page.cmake
# gzip -9n leaves no name or time in the file, so the package's bytes depend
# only on the sources; a page that fails to convert leaves no output behind.
string(REGEX REPLACE "\\.gz$" "" roff "${OUTPUT}")
file(REMOVE "${OUTPUT}" "${roff}")
execute_process(
  COMMAND "${AWK}" -v "version=${VERSION}" -v "date=${DATE}"
    -f "${CMAKE_CURRENT_LIST_DIR}/markdown_to_man.awk" "${SOURCE}"
  OUTPUT_FILE "${roff}" RESULT_VARIABLE converted)
if(NOT converted EQUAL 0)
  file(REMOVE "${roff}")
  message(FATAL_ERROR "cannot convert ${SOURCE} into a manual page")
endif()
execute_process(COMMAND "${GZIP}" -9nf "${roff}" RESULT_VARIABLE zipped)
if(NOT zipped EQUAL 0)
  file(REMOVE "${roff}" "${OUTPUT}")
  message(FATAL_ERROR "cannot compress ${roff}")
endif()
