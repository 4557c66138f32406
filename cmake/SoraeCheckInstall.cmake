# Installs a built tree into a scratch prefix and checks that it is complete
# and that the installed program runs: every installed file in its place,
# the desktop entry naming the program and its icon in both languages, and
# `sorae-apt --version` answering with the version line.
#
# With -DPACKAGE_WORK=<scratch folder> the Debian package is then built,
# installed into a scratch root, run and removed (SoraeCheckPackage.cmake).
#
# cmake -DBUILD_DIR=<build> -DPREFIX=<scratch prefix> -DSOURCE_DIR=<tree> [-DPACKAGE_WORK=<dir>]
#       -P SoraeCheckInstall.cmake
foreach(var BUILD_DIR PREFIX SOURCE_DIR)
  if(NOT DEFINED ${var})
    message(FATAL_ERROR "${var} is not set")
  endif()
endforeach()

file(REMOVE_RECURSE "${PREFIX}")
execute_process(COMMAND "${CMAKE_COMMAND}" --install "${BUILD_DIR}" --prefix "${PREFIX}"
                RESULT_VARIABLE status OUTPUT_VARIABLE out ERROR_VARIABLE err)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "cmake --install failed (${status}):\n${out}${err}")
endif()

set(expected
    bin/sorae-apt
    share/man/man1/sorae-apt.1
    share/doc/sorae-apt/copyright
    share/sorae-apt/AllWorld.map
    share/applications/sorae-apt.desktop
    share/icons/hicolor/scalable/apps/sorae-apt.svg)
foreach(f IN LISTS expected)
  if(NOT EXISTS "${PREFIX}/${f}")
    message(FATAL_ERROR "not installed: ${f}")
  endif()
endforeach()

file(SHA256 "${SOURCE_DIR}/data/AllWorld.map" shipped)
file(SHA256 "${PREFIX}/share/sorae-apt/AllWorld.map" installed)
if(NOT shipped STREQUAL installed)
  message(FATAL_ERROR "installed AllWorld.map differs from data/AllWorld.map")
endif()

# Read as text, not as a CMake list: the entry's brackets ([Desktop Entry],
# Name[ja]) and semicolons would regroup list elements, and file(STRINGS)
# would drop the Japanese values. Every line is framed by line ends.
file(READ "${PREFIX}/share/applications/sorae-apt.desktop" entry)
string(REPLACE "\r\n" "\n" entry "\n${entry}\n")
foreach(line "[Desktop Entry]" "Type=Application" "Exec=sorae-apt" "Icon=sorae-apt")
  string(FIND "${entry}" "\n${line}\n" at)
  if(at LESS 0)
    message(FATAL_ERROR "sorae-apt.desktop lacks the line ${line}")
  endif()
endforeach()
foreach(key "Name=" "Name\\[ja\\]=" "GenericName=" "GenericName\\[ja\\]=")
  string(REGEX MATCH "\n${key}[^\n]" found "${entry}")
  if(NOT found)
    message(FATAL_ERROR "sorae-apt.desktop has no ${key} entry")
  endif()
endforeach()

execute_process(COMMAND "${PREFIX}/bin/sorae-apt" --version
                RESULT_VARIABLE status OUTPUT_VARIABLE out ERROR_VARIABLE err)
if(NOT status EQUAL 0 OR NOT out STREQUAL "version 1.0.0 build 005\n")
  message(FATAL_ERROR "installed sorae-apt --version gave status ${status}, output '${out}' ${err}")
endif()
message(STATUS "installed tree in ${PREFIX} is complete and runs")

if(DEFINED PACKAGE_WORK)
  set(WORK "${PACKAGE_WORK}")
  include("${CMAKE_CURRENT_LIST_DIR}/SoraeCheckPackage.cmake")
endif()
