# Builds the Debian package of a built tree and checks it as a user would
# meet it, without touching the system's own packages: the package is
# installed with dpkg into a scratch root of its own (a dpkg database of its
# own beside), the installed program answers --version, decodes the example
# recording into its two pictures and prints passes from an element file,
# and removing the package leaves nothing of it behind.
#
# cmake -DBUILD_DIR=<build> -DWORK=<scratch folder> -DSOURCE_DIR=<tree> -P SoraeCheckPackage.cmake
foreach(var BUILD_DIR WORK SOURCE_DIR)
  if(NOT DEFINED ${var})
    message(FATAL_ERROR "${var} is not set")
  endif()
endforeach()

function(run)
  execute_process(COMMAND ${ARGN} RESULT_VARIABLE status OUTPUT_VARIABLE out ERROR_VARIABLE err)
  if(NOT status EQUAL 0)
    string(REPLACE ";" " " shown "${ARGN}")
    message(FATAL_ERROR "${shown}\nfailed (${status}):\n${out}${err}")
  endif()
  set(out "${out}" PARENT_SCOPE)
endfunction()

file(REMOVE_RECURSE "${WORK}")
file(MAKE_DIRECTORY "${WORK}/out")
run(cpack -G DEB --config "${BUILD_DIR}/CPackConfig.cmake" -B "${WORK}/out")
file(GLOB packages "${WORK}/out/sorae-apt_*.deb")
list(LENGTH packages count)
if(NOT count EQUAL 1)
  message(FATAL_ERROR "expected one sorae-apt_*.deb in ${WORK}/out, found: ${packages}")
endif()
set(deb "${packages}")

# What the package holds.
run(dpkg-deb --contents "${deb}")
foreach(f usr/bin/sorae-apt usr/share/sorae-apt/AllWorld.map usr/share/applications/sorae-apt.desktop
          usr/share/icons/hicolor/scalable/apps/sorae-apt.svg usr/share/man/man1/sorae-apt.1
          usr/share/doc/sorae-apt/copyright)
  string(FIND "${out}" "./${f}\n" at)
  if(at LESS 0)
    message(FATAL_ERROR "the package lacks ${f}:\n${out}")
  endif()
endforeach()
run(dpkg-deb --field "${deb}" Depends)
if(NOT out MATCHES "libqt6widgets6" OR NOT out MATCHES "libsndfile1")
  message(FATAL_ERROR "the package's dependencies miss the libraries: ${out}")
endif()

# A root of its own: only its dpkg database, which is all dpkg needs.
set(root "${WORK}/root")
file(MAKE_DIRECTORY "${root}/var/lib/dpkg/info" "${root}/var/lib/dpkg/updates")
file(TOUCH "${root}/var/lib/dpkg/status" "${root}/var/lib/dpkg/available")
set(dpkg dpkg --root=${root} --log=${WORK}/dpkg.log --force-not-root --force-depends --force-script-chrootless)
run(${dpkg} --install "${deb}")
run(dpkg-query --admindir=${root}/var/lib/dpkg --showformat=\${Status} --show sorae-apt)
if(NOT out STREQUAL "install ok installed")
  message(FATAL_ERROR "sorae-apt is not installed in the scratch root: ${out}")
endif()

set(program "${root}/usr/bin/sorae-apt")
run("${program}" --version)
if(NOT out STREQUAL "version 1.0.0 build 005\n")
  message(FATAL_ERROR "installed sorae-apt --version said '${out}'")
endif()

set(station "${WORK}/station")
file(MAKE_DIRECTORY "${station}")
run("${program}" decode "${BUILD_DIR}/data/example/example-pass.flac" --data-dir "${station}"
    --satellite NOAA-19 --frequency 137.1 --max-elevation 62.4 --time 202501151023 --direction N>S)
file(GLOB pictures "${station}/pics/*.jpg")
list(LENGTH pictures count)
if(NOT count EQUAL 2)
  message(FATAL_ERROR "the installed decode made ${count} pictures, not 2: ${pictures}\n${out}")
endif()

run("${program}" passes --data-dir "${station}" --elements "${SOURCE_DIR}/tests/data/noaa_2019-01-24.txt"
    --at "2019/01/24 00:00:00" --station 35.68,139.69 --satellites NOAA-15,NOAA-18,NOAA-19)
if(NOT out MATCHES "NOAA-1[589]")
  message(FATAL_ERROR "the installed passes printed no pass:\n${out}")
endif()

run(${dpkg} --purge sorae-apt)
file(GLOB_RECURSE left LIST_DIRECTORIES false RELATIVE "${root}" "${root}/*")
list(FILTER left EXCLUDE REGEX "^var/lib/dpkg/")
if(left)
  message(FATAL_ERROR "removing the package left files behind: ${left}")
endif()
file(REMOVE_RECURSE "${WORK}")
message(STATUS "the Debian package installs, runs and removes cleanly")
