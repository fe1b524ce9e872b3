# The release packages, made by cpack from what the build installs:
#   Windows builds  a ZIP: the programs, beside them the README, and the
#                   simulator kit in its own folder simulator/
#                   (talo-tools-VERSION-Windows-PROCESSOR.zip);
#   Linux builds    two Debian packages: talo-tools, the programs in
#                   /usr/bin, their manual pages, and the README, copyright
#                   and changelog in /usr/share/doc/talo-tools
#                   (talo-tools_VERSION_ARCH.deb); and talo-tools-simulator,
#                   the kit in /usr/lib/talo-tools/simulator
#                   (talo-tools-simulator_VERSION_ARCH.deb).
set(CPACK_PACKAGE_NAME ${TALO_PACKAGE_NAME})
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
# Each Debian package's description starts with its own synopsis (below);
# a package-wide summary would be put before both.
set(talo_tools_synopsis "test console and tools for Talo SATA RAID controllers")
set(CPACK_STRIP_FILES ON)
# Directories cpack makes itself get the usual permissions whatever the umask.
set(CPACK_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
    OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
set(TALO_PACKAGE_MAINTAINER "Talo tools maintainers <maintainers@users.noreply.c-seed-6efe1dfa.example>"
    CACHE STRING "Maintainer named in the Debian package and its changelog")

install(FILES README.md DESTINATION ${TALO_INSTALL_DOCDIR})

if(WIN32)
  # The runtime is linked statically (cmake/mingw-common.cmake): the
  # programs need no DLL beyond Windows' own.
  set(CPACK_GENERATOR ZIP)
  set(CPACK_PACKAGE_FILE_NAME "${CPACK_PACKAGE_NAME}-${PROJECT_VERSION}-${CMAKE_SYSTEM_NAME}-${CMAKE_SYSTEM_PROCESSOR}")
elseif(CMAKE_SYSTEM_NAME STREQUAL "Linux")
  set(CPACK_GENERATOR DEB)
  execute_process(COMMAND dpkg --print-architecture OUTPUT_VARIABLE talo_deb_arch
                  OUTPUT_STRIP_TRAILING_WHITESPACE RESULT_VARIABLE talo_dpkg_failed)
  if(talo_dpkg_failed)
    set(talo_deb_arch unknown)  # not a Debian system: no package to make
  endif()
  set(CPACK_DEBIAN_PACKAGE_ARCHITECTURE ${talo_deb_arch})
  # One package per component: the tools, and the simulator kit apart.
  set(CPACK_DEB_COMPONENT_INSTALL ON)
  set(CPACK_COMPONENTS_ALL tools simulator)
  set(CPACK_DEBIAN_TOOLS_PACKAGE_NAME ${TALO_PACKAGE_NAME})
  set(CPACK_DEBIAN_SIMULATOR_PACKAGE_NAME ${TALO_KIT_PACKAGE_NAME})
  set(CPACK_DEBIAN_TOOLS_FILE_NAME "${TALO_PACKAGE_NAME}_${PROJECT_VERSION}_${talo_deb_arch}.deb")
  set(CPACK_DEBIAN_SIMULATOR_FILE_NAME "${TALO_KIT_PACKAGE_NAME}_${PROJECT_VERSION}_${talo_deb_arch}.deb")
  set(TALO_DEB_FILE ${CMAKE_BINARY_DIR}/${CPACK_DEBIAN_TOOLS_FILE_NAME})
  set(TALO_KIT_DEB_FILE ${CMAKE_BINARY_DIR}/${CPACK_DEBIAN_SIMULATOR_FILE_NAME})
  # The kit serves the console of the same version, and nothing else.
  set(CPACK_DEBIAN_SIMULATOR_PACKAGE_DEPENDS "${TALO_PACKAGE_NAME} (= ${PROJECT_VERSION})")
  set(CPACK_DEBIAN_PACKAGE_MAINTAINER ${TALO_PACKAGE_MAINTAINER})
  set(CPACK_DEBIAN_PACKAGE_SECTION admin)
  set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
  # Depends: the shared libraries the programs link, as dpkg-shlibdeps finds
  # them on the build machine.
  set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
  # Each description: its synopsis line, then the rest.
  set(CPACK_DEBIAN_TOOLS_DESCRIPTION "${talo_tools_synopsis}
arraycon lists, creates and manages the arrays, background activities,
settings and diagnostics of a Talo controller, interactively or from script
files, through the maker's management library or the storage driver.
eventtray shows controller events as desktop notifications, and
eventtray-send writes events to it. sounder sounds the controller alarm on
the PC speaker. talo-sim prepares and captures states for the simulated
controller of the talo-tools-simulator package.")
  set(CPACK_DEBIAN_SIMULATOR_DESCRIPTION "simulated Talo controller for the talo-tools console
A stand-in for the maker's management library and the controller's driver,
with a simulated controller that keeps its data, feels faults and raises
events, for rehearsals and tests with no hardware. arraycon uses it only
when TALO_SIM chooses it, or where the system has neither a controller
driver nor the maker's library.")

  # The package's documents: the README (above), the copyright, and the
  # changelog compressed as Debian wants it (gzip -9n: no name, no time).
  set(talo_doc_build ${CMAKE_BINARY_DIR}/package-doc)
  configure_file(${PROJECT_SOURCE_DIR}/packaging/debian/changelog.in ${talo_doc_build}/changelog @ONLY)
  add_custom_command(OUTPUT ${talo_doc_build}/changelog.gz
    COMMAND gzip -9nf -k ${talo_doc_build}/changelog
    DEPENDS ${talo_doc_build}/changelog VERBATIM)
  add_custom_target(package-doc ALL DEPENDS ${talo_doc_build}/changelog.gz)
  install(FILES ${PROJECT_SOURCE_DIR}/packaging/debian/copyright ${talo_doc_build}/changelog.gz
          DESTINATION ${TALO_INSTALL_DOCDIR})
  install(FILES ${PROJECT_SOURCE_DIR}/packaging/debian/copyright ${talo_doc_build}/changelog.gz
          DESTINATION ${TALO_INSTALL_KIT_DOCDIR} COMPONENT simulator)
endif()

include(CPack)
