# The Debian package of the POSIX build, made by CPack from the install
# rules (scripts/package): the saver where XScreenSaver looks for its hacks,
# a link to it on the PATH, mosvik-pack, the settings file and the manual
# pages, all under /usr. The dependencies are read from the shared libraries
# the programs link (dpkg-shlibdeps) rather than listed by hand; the price is
# that a package can only be made on the Debian release it is meant for.
if(WIN32 OR CMAKE_CROSSCOMPILING)
  return()
endif()

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME mosvik)
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "jigsaw screen saver that puts a picture together by itself")
set(CPACK_PACKAGE_DESCRIPTION [[
Mosvik cuts a picture into a fresh set of jigsaw pieces with curved,
interlocking edges, scatters them over the screen and brings them home one
by one; then it shows the whole picture and a closing message. It runs
under XScreenSaver, in a window of its own, or headless. mosvik-pack makes
a saver with your own picture and message.]])
set(MOSVIK_PACKAGE_MAINTAINER "Mosvik developers <mosvik@example.org>"
    CACHE STRING "The Maintainer field of the Debian package")
set(CPACK_PACKAGE_CONTACT "${MOSVIK_PACKAGE_MAINTAINER}")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
    OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT) # mosvik_<version>_<arch>.deb
set(CPACK_DEBIAN_PACKAGE_SECTION x11)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_SUGGESTS xscreensaver)

include(CPack)
