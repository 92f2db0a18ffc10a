# Installs the build into a scratch DESTDIR, checks what a desktop needs is where it looks for it,
# validates the desktop entry and builds the Debian package.
# cmake -DBUILD_DIR=... -DWORK_DIR=... -P InstallCheck.cmake
cmake_minimum_required(VERSION 3.25)
foreach(var BUILD_DIR WORK_DIR)
  if(NOT ${var})
    message(FATAL_ERROR "${var} is not set")
  endif()
endforeach()

function(run)
  execute_process(COMMAND ${ARGN} RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE err)
  if(NOT rc EQUAL 0)
    message(FATAL_ERROR "${ARGN} failed (${rc}):\n${out}\n${err}")
  endif()
  set(run_output "${out}${err}" PARENT_SCOPE)
endfunction()

function(fail what)
  message(SEND_ERROR "${what}")
  set(failed TRUE PARENT_SCOPE)
endfunction()

file(REMOVE_RECURSE ${WORK_DIR})
set(root ${WORK_DIR}/root)
run(${CMAKE_COMMAND} -E env DESTDIR=${root} ${CMAKE_COMMAND} --install ${BUILD_DIR} --prefix /usr)

# The programs.
foreach(program torva-pc torva-cli torva-report torva-ecs-sim)
  if(NOT EXISTS ${root}/usr/bin/${program})
    fail("usr/bin/${program} not installed")
  endif()
endforeach()
run(${root}/usr/bin/torva-ecs-sim --help)
if(NOT run_output MATCHES "--device" OR NOT run_output MATCHES "wrong-echo")
  fail("torva-ecs-sim --help does not describe --device and the faults")
endif()

# torva-cli runs where there is no display at all, and links no Qt Widgets nor Qt Gui.
run(${CMAKE_COMMAND} -E env --unset=DISPLAY --unset=WAYLAND_DISPLAY --unset=QT_QPA_PLATFORM
    ${root}/usr/bin/torva-cli --help)
foreach(expected "receive --port PORT -o FICHIER.dat" "diag --port PORT" "Codes de sortie" "130")
  string(FIND "${run_output}" "${expected}" at)
  if(at EQUAL -1)
    fail("torva-cli --help without a display lacks ${expected}:\n${run_output}")
  endif()
endforeach()
run(ldd ${root}/usr/bin/torva-cli)
if(run_output MATCHES "libQt6(Widgets|Gui)")
  fail("torva-cli links a display library:\n${run_output}")
endif()

# torva-report (Qt Gui) starts where there is no display at all, on Qt's offscreen platform.
run(${CMAKE_COMMAND} -E env --unset=DISPLAY --unset=WAYLAND_DISPLAY --unset=QT_QPA_PLATFORM
    ${root}/usr/bin/torva-report --help)
if(NOT run_output MATCHES "Usage : torva-report DOSSIER_DU_JOURNAL ENTREE -o FICHIER.pdf")
  fail("torva-report --help without a display:\n${run_output}")
endif()

# The desktop entry, as the menu reads it.
set(entry ${root}/usr/share/applications/torva-pc.desktop)
if(NOT EXISTS ${entry})
  message(FATAL_ERROR "usr/share/applications/torva-pc.desktop not installed")
endif()
run(desktop-file-validate ${entry})
if(NOT run_output STREQUAL "")
  fail("desktop-file-validate:\n${run_output}")
endif()
file(STRINGS ${entry} lines ENCODING UTF-8)
foreach(expected "Name=TORVA-PC" "Comment=Configurateur pour TORVA-UP" "Exec=torva-pc %f"
                 "Icon=torva-pc" "Type=Application")
  if(NOT expected IN_LIST lines)
    fail("the desktop entry lacks the line ${expected}")
  endif()
endforeach()
file(READ ${entry} text)
if(NOT text MATCHES "\nCategories=([^\n]*;)?(Utility|Settings);")
  fail("the desktop entry is not in the Utility or Settings category")
endif()

# The icon the entry names: scalable, and each PNG of the size its folder says.
set(icons ${root}/usr/share/icons/hicolor)
file(READ ${icons}/scalable/apps/torva-pc.svg svg)
if(NOT svg MATCHES "<svg")
  fail("the scalable icon is not an SVG")
endif()
foreach(size 16 32 48 64 128 256)
  set(png ${icons}/${size}x${size}/apps/torva-pc.png)
  if(NOT EXISTS ${png})
    fail("${size}x${size} icon not installed")
    continue()
  endif()
  # Bytes 16 to 23 of a PNG: width and height, big-endian.
  file(READ ${png} header OFFSET 16 LIMIT 8 HEX)
  string(SUBSTRING "${header}" 0 8 width)
  string(SUBSTRING "${header}" 8 8 height)
  math(EXPR width "0x${width}")
  math(EXPR height "0x${height}")
  if(NOT width EQUAL size OR NOT height EQUAL size)
    fail("the ${size}x${size} icon is ${width}x${height}")
  endif()
endforeach()

# The Debian package, with its Qt dependencies declared, Qt's French texts among them.
run(cpack -G DEB -B ${WORK_DIR}/package --config ${BUILD_DIR}/CPackConfig.cmake)
file(GLOB debs ${WORK_DIR}/package/torva-pc_*.deb)
list(LENGTH debs count)
if(NOT count EQUAL 1)
  message(FATAL_ERROR "expected one package, found: ${debs}")
endif()
run(dpkg-deb --field ${debs} Package Depends Maintainer Description)
foreach(expected "Package: torva-pc" "libqt6widgets6" "libqt6serialport6" "libqt6gui6"
                 "qt6-qpa-plugins" "qt6-translations-l10n" "Maintainer: " "Configurateur pour TORVA-UP")
  string(FIND "${run_output}" "${expected}" at)
  if(at EQUAL -1)
    fail("the package's control lacks ${expected}:\n${run_output}")
  endif()
endforeach()
run(dpkg-deb --contents ${debs})
foreach(expected ./usr/bin/torva-pc ./usr/bin/torva-cli ./usr/bin/torva-report ./usr/bin/torva-ecs-sim
                 ./usr/share/applications/torva-pc.desktop
                 ./usr/share/icons/hicolor/scalable/apps/torva-pc.svg
                 ./usr/share/icons/hicolor/48x48/apps/torva-pc.png)
  string(FIND "${run_output}" "${expected}" at)
  if(at EQUAL -1)
    fail("the package lacks ${expected}")
  endif()
endforeach()

if(failed)
  message(FATAL_ERROR "install check failed")
endif()
message(STATUS "install tree, desktop entry and package checked: ${debs}")
