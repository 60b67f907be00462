# The Debian package of the POSIX build, made by CPack from the install
# rules (scripts/package): the saver where XScreenSaver looks for its hacks,
# a link to it on the PATH, mosvik-pack, the settings file, the manual pages
# and the package's copyright and changelog, all under /usr. The manual
# pages and the changelog are installed compressed as Debian wants them
# (gzip -9n: no name, no time stamp, so the same sources give the same
# bytes); a plain `cmake --install` gets them compressed too, which man(1)
# reads alike. The dependencies are read from the shared libraries the
# programs link (dpkg-shlibdeps) rather than listed by hand; the price is
# that a package can only be made on the Debian release it is meant for.
if(WIN32 OR CMAKE_CROSSCOMPILING)
  return()
endif()

set(_pkg_src ${PROJECT_SOURCE_DIR}/packaging/debian)
set(_pkg_out ${CMAKE_BINARY_DIR}/packaging)
set(_doc_dir ${CMAKE_INSTALL_DATAROOTDIR}/doc/mosvik)

# mosvik_gzip(SOURCE OUTPUT): OUTPUT is SOURCE compressed at build time.
find_program(MOSVIK_GZIP gzip REQUIRED)
set(_compressed)
function(mosvik_gzip source output)
  add_custom_command(OUTPUT ${output}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${_pkg_out}
    COMMAND ${MOSVIK_GZIP} -9n -c ${source} > ${output}
    DEPENDS ${source}
    VERBATIM)
  set(_compressed ${_compressed} ${output} PARENT_SCOPE)
endfunction()
mosvik_gzip(${PROJECT_SOURCE_DIR}/man/mosvik.6 ${_pkg_out}/mosvik.6.gz)
mosvik_gzip(${PROJECT_SOURCE_DIR}/man/mosvik-pack.1 ${_pkg_out}/mosvik-pack.1.gz)
mosvik_gzip(${_pkg_src}/changelog ${_pkg_out}/changelog.gz)
add_custom_target(mosvik_package_docs ALL DEPENDS ${_compressed})

install(FILES ${_pkg_out}/mosvik.6.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man6)
install(FILES ${_pkg_out}/mosvik-pack.1.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
install(FILES ${_pkg_src}/copyright ${_pkg_out}/changelog.gz DESTINATION ${_doc_dir})

# A stripped install (CPack's, or `cmake --install --strip`) strips
# mosvik-pack the way Debian's tools do: the plain strip CMake runs keeps
# the compiler's .comment and the .note section. The installed saver is
# stripped before its picture is appended (src/backends/x11), never here:
# stripping it would cut the picture off.
install(CODE "
  if(CMAKE_INSTALL_DO_STRIP)
    execute_process(COMMAND \"${CMAKE_STRIP}\" --strip-unneeded --remove-section=.comment --remove-section=.note
                            \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_BINDIR}/mosvik-pack\"
                    COMMAND_ERROR_IS_FATAL ANY)
  endif()")

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME mosvik)
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "jigsaw screen saver that puts a picture together by itself")
set(CPACK_PACKAGE_DESCRIPTION [[
Mosvik cuts a picture into a fresh set of jigsaw pieces with curved,
interlocking edges, scatters them over the screen and brings them home one
by one; then it shows the whole picture and a closing message. It runs
under XScreenSaver, in a window of its own, or headless, recording the show
to PNG frames or an animated WebP. mosvik-pack makes a saver with your own
picture and message, and the saver can also show a folder of pictures, a
new one each cycle.]])
set(MOSVIK_PACKAGE_MAINTAINER "Mosvik developers <mosvik@korvel-software.example>"
    CACHE STRING "The Maintainer field of the Debian package")
set(CPACK_PACKAGE_CONTACT "${MOSVIK_PACKAGE_MAINTAINER}")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
    OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT) # mosvik_<version>_<arch>.deb
set(CPACK_DEBIAN_PACKAGE_SECTION x11)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "https://www.korvel-software.example/mosvik")
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# GTK and libheif are loaded when first needed (the settings dialog, the
# first HEIC or AVIF picture), so shlibdeps does not see them. The dialog is
# part of every saver; HEIC and AVIF need libheif, nothing else does.
set(CPACK_DEBIAN_PACKAGE_DEPENDS libgtk-3-0)
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS libheif1)
set(CPACK_DEBIAN_PACKAGE_SUGGESTS xscreensaver)

include(CPack)
