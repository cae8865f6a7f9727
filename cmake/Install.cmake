# Install layout and the Debian package. Included at the end of the top-level
# CMakeLists, so every program target is known by then.
include(GNUInstallDirs)
# Everything below belongs to the `vendrel` package; the Python module (python/) is its
# own component and package, python3-vendrel.
set(CMAKE_INSTALL_DEFAULT_COMPONENT_NAME vendrel)

# One id for the desktop entry, the AppStream data and the icon, so desktops can tie
# a running window to its menu entry and icon.
set(VENDREL_APP_ID org.vendrel.Vendrel)
set(VENDREL_PROJECT_LICENSE "LicenseRef-proprietary" CACHE STRING
    "SPDX expression of the project's licence, written into the AppStream data")

# Files that carry the version are configured, so it comes from project() alone.
set(VENDREL_DESKTOP_BUILD_DIR ${PROJECT_BINARY_DIR}/desktop)
configure_file(${PROJECT_SOURCE_DIR}/res/desktop/${VENDREL_APP_ID}.metainfo.xml.in
               ${VENDREL_DESKTOP_BUILD_DIR}/${VENDREL_APP_ID}.metainfo.xml @ONLY)
# vendrel-flight's page is made at build time (cli/CMakeLists.txt).
configure_file(${PROJECT_SOURCE_DIR}/docs/man/vendrel.1.in ${PROJECT_BINARY_DIR}/man/vendrel.1 @ONLY)

# The programs find Qt in the system's library directories; the run path
# qt_standard_project_setup gives them ($ORIGIN/../lib) would only let a stray
# library beside the binary win, and Debian packages carry none.
set_target_properties(vendrel vendrel-flight PROPERTIES INSTALL_RPATH "")
install(TARGETS vendrel vendrel-flight RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})

install(FILES ${PROJECT_SOURCE_DIR}/res/desktop/${VENDREL_APP_ID}.desktop
        DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${VENDREL_DESKTOP_BUILD_DIR}/${VENDREL_APP_ID}.metainfo.xml
        DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
foreach(size 16 32 48 128 256)
  install(FILES ${PROJECT_SOURCE_DIR}/res/icons/hicolor/${size}/${VENDREL_APP_ID}.png
          DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps)
endforeach()
install(FILES ${PROJECT_SOURCE_DIR}/res/icons/vendrel.svg
        DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps
        RENAME ${VENDREL_APP_ID}.svg)
install(FILES ${PROJECT_BINARY_DIR}/man/vendrel.1 ${VENDREL_FLIGHT_MANUAL}
        DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)

# Debian package: `make package` builds it from the optimised-release preset.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME vendrel)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "The Vendrel developers")
set(CPACK_PACKAGE_CONTACT "Vendrel maintainers <maintainers@vendrel.invalid>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "golf-ball flight simulator")
set(CPACK_PACKAGE_DESCRIPTION
    "Vendrel computes the three-dimensional flight of a golf ball under gravity, air drag and
spin-induced lift, and draws it in a top and a side view while it flies. The command-line
tool vendrel-flight runs the same model without a window: single flights, trajectories as
CSV, pictures as PNG and multi-threaded parameter sweeps.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_PACKAGE_DIRECTORY ${PROJECT_BINARY_DIR})
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION science)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
# dpkg-shlibdeps adds the libraries the programs really link (the Qt 6 libraries, the
# C++ runtime); the rest are loaded at run time and no linker sees them.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-qpa-plugins, fonts-ipafont-gothic")

# One package per component. The module goes in python3-vendrel, as Debian ships Python
# modules: the window and the command line need neither Python nor numpy, and the
# module, built for one Python version, ties only its own package to that version.
set(CPACK_DEB_COMPONENT_INSTALL ON)
set(CPACK_DEBIAN_VENDREL_PACKAGE_NAME vendrel)
if(VENDREL_PYTHON)
  set(CPACK_DEBIAN_PYTHON_PACKAGE_NAME python3-vendrel)
  set(CPACK_DEBIAN_PYTHON_PACKAGE_SECTION python)
  set(CPACK_DEBIAN_PYTHON_PACKAGE_DEPENDS "${VENDREL_PYTHON_DEPENDS}")
  # dask arrays and clusters are optional: the module imports dask only when given its arrays.
  set(CPACK_DEBIAN_PYTHON_PACKAGE_SUGGESTS "python3-dask, python3-distributed")
  set(CPACK_DEBIAN_PYTHON_DESCRIPTION
      "This is the Python 3 module of Vendrel, for scripts and notebooks with numpy:
`import vendrel`, then vendrel.fly() for one flight or one flight per element of
numpy arrays (flown on all cores), vendrel.trajectory() for every tick of a flight
vendrel.fit() for K and K' fitted to measured shots and vendrel.dispersion() for
shot patterns; over dask arrays, on a dask cluster. Same results, bit for bit, as
the vendrel-flight command line.")
endif()
include(CPack)
