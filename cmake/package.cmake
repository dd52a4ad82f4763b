# `cpack` (or the `package` target) makes palisandre_VERSION_ARCH.deb from the install
# rules, with its dependencies worked out from the binaries by dpkg-shlibdeps.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME palisandre)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "editor of the room maps of Creatures 3 metarooms")
set(CPACK_PACKAGE_CONTACT "Palisandre developers <palisandre@palisandre.example.org>")
set(CPACK_PACKAGE_HOMEPAGE_URL "https://palisandre.example.org/")
set(CPACK_RESOURCE_FILE_LICENSE ${PROJECT_SOURCE_DIR}/LICENSE)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION graphics)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# The synopsis is the summary above; CPack indents these lines and marks the empty one.
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION
"Palisandre opens a metaroom's background file (.blk), draws its rooms and doors over
the picture and saves them as the room definition script (.cos) the game runs.

The package also holds palisandre-tool, which converts, inspects, checks and draws
these files from the command line and makes the file manager's previews of them,
and the core library with its headers and CMake package (find_package(Palisandre));
building against it needs qt6-base-dev.")
# Building against the installed core needs Qt's CMake files and a compiler.
set(CPACK_DEBIAN_PACKAGE_SUGGESTS "qt6-base-dev, cmake, g++")

include(CPack)
