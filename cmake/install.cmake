# What `cmake --install` and the Debian package put where: the program and the tool, the
# desktop files (entry, icons, file types, thumbnailer, AppStream metainfo), the manual
# pages, bash completion, and the core library with its headers and CMake package.
include(CMakePackageConfigHelpers)

install(TARGETS palisandre palisandre-tool RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})

set(PLSD_DESKTOP_DIR ${PROJECT_SOURCE_DIR}/desktop)
install(FILES ${PLSD_DESKTOP_DIR}/palisandre.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${PLSD_DESKTOP_DIR}/palisandre.svg DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
install(FILES ${PLSD_DESKTOP_DIR}/image-x-creatures-background.svg ${PLSD_DESKTOP_DIR}/text-x-caos.svg
        DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/mimetypes)
install(FILES ${PLSD_DESKTOP_DIR}/palisandre.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/mime/packages)
install(FILES ${PLSD_DESKTOP_DIR}/palisandre.thumbnailer DESTINATION ${CMAKE_INSTALL_DATADIR}/thumbnailers)

# The metainfo's release is the project's version.
configure_file(${PLSD_DESKTOP_DIR}/org.example.palisandre.metainfo.xml.in
               ${PROJECT_BINARY_DIR}/org.example.palisandre.metainfo.xml @ONLY)
install(FILES ${PROJECT_BINARY_DIR}/org.example.palisandre.metainfo.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)

# Manual pages, with the version filled in, compressed as Debian keeps them.
find_program(PLSD_GZIP gzip REQUIRED)
foreach(page palisandre palisandre-tool)
  configure_file(${PROJECT_SOURCE_DIR}/docs/${page}.1.in ${PROJECT_BINARY_DIR}/man/${page}.1 @ONLY)
  add_custom_command(OUTPUT ${PROJECT_BINARY_DIR}/man/${page}.1.gz
    COMMAND ${PLSD_GZIP} -9 -n -c ${PROJECT_BINARY_DIR}/man/${page}.1 > ${PROJECT_BINARY_DIR}/man/${page}.1.gz
    DEPENDS ${PROJECT_BINARY_DIR}/man/${page}.1
    VERBATIM)
  list(APPEND PLSD_MAN_PAGES ${PROJECT_BINARY_DIR}/man/${page}.1.gz)
endforeach()
add_custom_target(plsd_man_pages ALL DEPENDS ${PLSD_MAN_PAGES})
install(FILES ${PLSD_MAN_PAGES} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)

install(FILES ${PROJECT_SOURCE_DIR}/tools/palisandre-tool.bash-completion
        DESTINATION ${CMAKE_INSTALL_DATADIR}/bash-completion/completions RENAME palisandre-tool)
install(FILES ${PROJECT_SOURCE_DIR}/LICENSE DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/palisandre RENAME copyright)

# The core for programs outside the tree: find_package(Palisandre), then
# target_link_libraries(x Palisandre::core).
set(PLSD_CMAKE_DIR ${CMAKE_INSTALL_LIBDIR}/cmake/Palisandre)
install(TARGETS plsd_core EXPORT PalisandreTargets
        ARCHIVE DESTINATION ${CMAKE_INSTALL_LIBDIR}
        INCLUDES DESTINATION ${CMAKE_INSTALL_INCLUDEDIR}/palisandre)
install(DIRECTORY ${PROJECT_SOURCE_DIR}/core DESTINATION ${CMAKE_INSTALL_INCLUDEDIR}/palisandre
        FILES_MATCHING PATTERN "*.h")
install(EXPORT PalisandreTargets NAMESPACE Palisandre:: DESTINATION ${PLSD_CMAKE_DIR})
configure_package_config_file(${PROJECT_SOURCE_DIR}/cmake/PalisandreConfig.cmake.in
  ${PROJECT_BINARY_DIR}/PalisandreConfig.cmake INSTALL_DESTINATION ${PLSD_CMAKE_DIR})
write_basic_package_version_file(${PROJECT_BINARY_DIR}/PalisandreConfigVersion.cmake
  COMPATIBILITY SameMinorVersion)
install(FILES ${PROJECT_BINARY_DIR}/PalisandreConfig.cmake ${PROJECT_BINARY_DIR}/PalisandreConfigVersion.cmake
        DESTINATION ${PLSD_CMAKE_DIR})
