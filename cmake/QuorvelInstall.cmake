# Installation: one self-contained folder (default /opt/quorvel) holding the
# program, its shared libraries (found through the $ORIGIN rpath), the
# config/ folder, the log configuration and an empty log/ folder; plus a
# desktop entry that starts the program in that folder. `cpack -G DEB` makes
# the Debian package (scripts/package-check.sh builds, installs and starts it).
if(CMAKE_INSTALL_PREFIX_INITIALIZED_TO_DEFAULT)
  set(CMAKE_INSTALL_PREFIX /opt/quorvel CACHE PATH "Installation folder" FORCE)
endif()

set(QUORVEL_LIBRARIES tessaly xandril pellorn vintrel curvella quillet xl)
foreach(lib ${QUORVEL_LIBRARIES})
  if(TARGET ${lib})
    set_target_properties(${lib} PROPERTIES VERSION ${PROJECT_VERSION}.0 SOVERSION 1)
    install(TARGETS ${lib} LIBRARY DESTINATION . NAMELINK_SKIP COMPONENT runtime)
  endif()
endforeach()

if(TARGET Quorvel_Client)
  install(TARGETS Quorvel_Client RUNTIME DESTINATION . COMPONENT runtime)
  set(res ${CMAKE_SOURCE_DIR}/client/res)
  install(FILES ${res}/config/UIConfig.xml DESTINATION config COMPONENT runtime)
  # Server addresses and passwords: readable by the owner only.
  install(FILES ${res}/config/WorkParam.xml DESTINATION config COMPONENT runtime
          PERMISSIONS OWNER_READ OWNER_WRITE)
  install(DIRECTORY ${res}/toolbar/ DESTINATION config/toolbar COMPONENT runtime
          FILES_MATCHING PATTERN "*.bmp")
  install(FILES ${res}/ApplicationLog.conf ${res}/LogFilter.conf ${res}/quorvel.png
          DESTINATION . COMPONENT runtime)
  # The log folder is written by the program at run time; its records are
  # the operator's own.
  install(DIRECTORY DESTINATION log COMPONENT runtime
          DIRECTORY_PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE)
  configure_file(${CMAKE_SOURCE_DIR}/cmake/quorvel.desktop.in
                 ${CMAKE_BINARY_DIR}/quorvel.desktop @ONLY)
  install(FILES ${CMAKE_BINARY_DIR}/quorvel.desktop
          DESTINATION /usr/share/applications COMPONENT runtime)
endif()

set(CPACK_PACKAGE_NAME quorvel)
set(CPACK_PACKAGE_VENDOR "Quorvel")
set(CPACK_PACKAGE_CONTACT "Quorvel developers <dev@quorvel.invalid>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Desktop client for watching field measuring stations")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION}.0)
set(CPACK_PACKAGING_INSTALL_PREFIX ${CMAKE_INSTALL_PREFIX})
set(CPACK_GENERATOR DEB)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION misc)
# Runtime dependencies are read off the binaries; our own libraries are in the package.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS_PRIVATE_DIRS ${QUORVEL_OUT})
# Chinese captions need a CJK font; the tray icon needs no extra package.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "fonts-wqy-zenhei")
# The two settings files are the site's: an upgrade keeps local changes.
set(QUORVEL_CONFFILES ${CMAKE_BINARY_DIR}/deb/conffiles)
file(WRITE ${QUORVEL_CONFFILES}
     "${CMAKE_INSTALL_PREFIX}/config/UIConfig.xml\n${CMAKE_INSTALL_PREFIX}/config/WorkParam.xml\n")
set(CPACK_DEBIAN_PACKAGE_CONTROL_EXTRA
    ${CMAKE_SOURCE_DIR}/cmake/deb/postinst ${CMAKE_SOURCE_DIR}/cmake/deb/postrm ${QUORVEL_CONFFILES})
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
include(CPack)
