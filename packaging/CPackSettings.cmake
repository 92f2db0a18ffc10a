# The Debian package: `cpack -G DEB` in the build folder. Its library dependencies are found by
# dpkg-shlibdeps (package dpkg-dev) from the installed programs; the platform plugins that show
# a window are not linked, nor is Qt's French catalogue that the standard dialogs read, so they
# are named here.
set(CPACK_PACKAGE_NAME torva-pc)
set(CPACK_PACKAGE_VENDOR "OSTRALEC")
set(CPACK_PACKAGE_CONTACT "TORVA-PC <torva-pc@ostralec.invalid>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Configurateur pour TORVA-UP")
set(CPACK_PACKAGE_DESCRIPTION
  "TORVA-PC receives the configuration of a TORVA fire alarm control panel (ECS) over a serial\n\
port, edits it, sends it back with every item read back, keeps it in .dat files and shows the\n\
panel's diagnostic. torva-cli does the same from the command line, without a display.\n\
torva-ecs-sim emulates a panel on a pseudo-terminal or a serial device.")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_GENERATOR DEB)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION electronics)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-qpa-plugins, qt6-translations-l10n")
set(CPACK_STRIP_FILES ON)
