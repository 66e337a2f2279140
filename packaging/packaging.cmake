# The installed layout (GNUInstallDirs) and its Debian package, made by CPack.
include(GNUInstallDirs)
# "cmake --install" and cpack take what was built; scripts/package builds only what ships.
set(CMAKE_SKIP_INSTALL_ALL_DEPENDENCY ON)

set(MIRELVANE_APP_ID org.mirelvane.Mirelvane)
set(PACKAGING_DIR ${CMAKE_SOURCE_DIR}/packaging)
set(PACKAGING_OUT ${CMAKE_BINARY_DIR}/packaging)
file(GLOB MIRELVANE_LANGUAGE_FILES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/config/*.lng)

install(TARGETS mirelvane mirelvane-record RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
if(TARGET ballsim)
  install(PROGRAMS $<TARGET_FILE:ballsim> DESTINATION ${CMAKE_INSTALL_BINDIR}
          RENAME mirelvane-ballsim)
  # A renamed program is no target, so the strip of an install with stripping is done here.
  install(CODE "if(CMAKE_INSTALL_DO_STRIP)
    execute_process(COMMAND \"${CMAKE_STRIP}\"
      \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_BINDIR}/mirelvane-ballsim\")
  endif()")
endif()
# The template of every user's settings and the shipped languages.
install(FILES ${CMAKE_SOURCE_DIR}/config/mirelvane.cfg ${MIRELVANE_LANGUAGE_FILES}
        DESTINATION ${CMAKE_INSTALL_DATADIR}/mirelvane)
install(FILES ${PACKAGING_DIR}/${MIRELVANE_APP_ID}.desktop
        DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${CMAKE_SOURCE_DIR}/src/ui/icons/mirelvane.svg
        DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps
        RENAME ${MIRELVANE_APP_ID}.svg)

configure_file(${PACKAGING_DIR}/${MIRELVANE_APP_ID}.metainfo.xml
               ${PACKAGING_OUT}/${MIRELVANE_APP_ID}.metainfo.xml @ONLY)
install(FILES ${PACKAGING_OUT}/${MIRELVANE_APP_ID}.metainfo.xml
        DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)

# Generated files: the man pages (compressed without a time stamp, so that builds repeat), the
# 256-pixel icon and the Debian changelog.
find_program(GZIP_PROGRAM gzip REQUIRED)
find_program(RSVG_CONVERT rsvg-convert)
set(generated)
foreach(page mirelvane mirelvane-ballsim mirelvane-record)
  configure_file(${PACKAGING_DIR}/${page}.1 ${PACKAGING_OUT}/${page}.1 @ONLY)
  add_custom_command(OUTPUT ${PACKAGING_OUT}/${page}.1.gz
    COMMAND ${GZIP_PROGRAM} -9nkf ${PACKAGING_OUT}/${page}.1
    DEPENDS ${PACKAGING_OUT}/${page}.1 VERBATIM)
  list(APPEND generated ${PACKAGING_OUT}/${page}.1.gz)
  install(FILES ${PACKAGING_OUT}/${page}.1.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
endforeach()

configure_file(${PACKAGING_DIR}/changelog ${PACKAGING_OUT}/changelog @ONLY)
add_custom_command(OUTPUT ${PACKAGING_OUT}/changelog.gz
  COMMAND ${GZIP_PROGRAM} -9nkf ${PACKAGING_OUT}/changelog
  DEPENDS ${PACKAGING_OUT}/changelog VERBATIM)
list(APPEND generated ${PACKAGING_OUT}/changelog.gz)
install(FILES ${PACKAGING_OUT}/changelog.gz ${PACKAGING_DIR}/copyright
        DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/doc/mirelvane)

if(RSVG_CONVERT)
  add_custom_command(OUTPUT ${PACKAGING_OUT}/${MIRELVANE_APP_ID}.png
    COMMAND ${RSVG_CONVERT} -w 256 -h 256 -o ${PACKAGING_OUT}/${MIRELVANE_APP_ID}.png
            ${CMAKE_SOURCE_DIR}/src/ui/icons/mirelvane.svg
    DEPENDS ${CMAKE_SOURCE_DIR}/src/ui/icons/mirelvane.svg VERBATIM)
  list(APPEND generated ${PACKAGING_OUT}/${MIRELVANE_APP_ID}.png)
  install(FILES ${PACKAGING_OUT}/${MIRELVANE_APP_ID}.png
          DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/256x256/apps)
else()
  message(STATUS "rsvg-convert not found: the package gets no 256-pixel icon")
endif()
add_custom_target(mirelvane_packaging ALL DEPENDS ${generated})

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME mirelvane)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT "Mirelvane maintainers <maintainers@mirelvane.example>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "companion program of the motion-sensor ball")
set(CPACK_PACKAGE_DESCRIPTION "Finds the motion-sensor ball on a serial port, streams its samples
into live charts and a value table, drives its motor, ranges and calibrations,
and exports measurements to files that a spreadsheet opens. Includes
mirelvane-record, which records one ball or several on one time base from
the command line, and mirelvane-ballsim, a simulator of the ball on a
pseudo-terminal.")
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION science)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# The window needs a platform plugin, which no library of the program links.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-qpa-plugins, libmosquitto1")
set(CPACK_STRIP_FILES ON)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
  OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
set(CPACK_OUTPUT_FILE_PREFIX ${CMAKE_SOURCE_DIR}/build)
include(CPack)
