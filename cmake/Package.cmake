# Package.cmake: `make package` (cpack -G DEB in the build directory) makes
# build/package/cropstack_<version>_<arch>.deb from the install rules: the
# game and its data in /usr/lib/cropstack, the launcher in /usr/bin, the
# desktop entry and the icons in /usr/share.
#
# The libraries the game links (SDL2, SDL2_mixer, libpng, FFmpeg's, GL) are
# found by dpkg-shlibdeps, so `apt install ./cropstack_*.deb` pulls the
# packages that provide them; the GL driver is loaded at run time and so is
# named by hand.
include_guard(GLOBAL)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME cropstack)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "3D block-pushing puzzle game")
set(CPACK_PACKAGE_DESCRIPTION
    "Push blocks into holes, turn revolving doors and lead every character to\n\
the flag, alone or with a second player on a board of their own.")
set(CPACK_PACKAGE_CONTACT "Cropstack developers <cropstack@localhost>")
set(CPACK_PACKAGE_DIRECTORY ${CMAKE_BINARY_DIR}/package)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION games)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# SDL opens libGL and libEGL itself; Mesa's drivers draw when no vendor
# driver is installed.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "libgl1, libegl1, libgl1-mesa-dri")

include(CPack)
