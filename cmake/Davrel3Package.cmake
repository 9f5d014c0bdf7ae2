# CPack: a Debian package of what `cmake --install` installs (scripts/package
# builds it). The Qt 6 runtime packages it depends on are found from the
# binaries by dpkg-shlibdeps.

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME davrel3)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "Davrel3 developers")
set(CPACK_PACKAGE_CONTACT "Davrel3 developers")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "simulator of a work group that divides its tasks by itself")
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION
    "Davrel3 simulates a small work group that divides its tasks by itself, for
experiments on what a newcomer does to a group's division of labour. The
program shows every agent's expertise, motivation and work time and the
allocation of every task unit in charts and tables; davrel3-batch runs the
same deterministic simulation without a window, for scripts and clusters.")
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION science)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# The 3-D charts draw with OpenGL, in software where there is no GPU driver.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "libgl1-mesa-dri")
set(CPACK_STRIP_FILES ON)
set(CPACK_PACKAGE_DIRECTORY ${PROJECT_BINARY_DIR}/package)
set(CPACK_OUTPUT_CONFIG_FILE ${PROJECT_BINARY_DIR}/CPackConfig.cmake)
set(CPACK_SOURCE_OUTPUT_CONFIG_FILE ${PROJECT_BINARY_DIR}/CPackSourceConfig.cmake)
include(CPack)
