# Release builds that give the same bytes from the same source, wherever the
# source and the build folder are: paths that the compiler would record
# (__FILE__, debug information) are written relative to them. The packages'
# time stamps come from SOURCE_DATE_EPOCH (scripts/source-date-epoch.sh).
# GCC tries the last map first, so the build folder, which may lie inside
# the source, is named last.
if(NOT MSVC)
  add_compile_options("$<$<CONFIG:Release>:-ffile-prefix-map=${PROJECT_SOURCE_DIR}/=>"
                      "$<$<CONFIG:Release>:-ffile-prefix-map=${PROJECT_BINARY_DIR}/=>")
endif()
# MinGW's linker writes the hour of the link into each PE header unless told
# not to.
if(MINGW)
  add_link_options(LINKER:--no-insert-timestamp)
endif()
# Qt's resource compiler records each file's modification time (the time of
# the checkout) from its format 2 on; format 1 records none, and the
# programs never ask a resource for its time.
set(CMAKE_AUTORCC_OPTIONS --format-version 1)
