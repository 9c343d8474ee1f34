# `cpack -G DEB` in the build folder makes ardentix_<version>_<arch>.deb from the install rules.
set(ARDENTIX_PACKAGE_MAINTAINER "Quenlar <support@quenlar.example>"
    CACHE STRING "Maintainer named in the Debian package")

set(CPACK_PACKAGE_NAME ardentix)
set(CPACK_PACKAGE_VENDOR Quenlar)
set(CPACK_PACKAGE_CONTACT "${ARDENTIX_PACKAGE_MAINTAINER}")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY
    "Configuration and diagnostic tool for Quenlar Ardentix 900 MHz data radios")
set(CPACK_PACKAGE_DESCRIPTION
    "Configures and diagnoses Ardentix frequency-hopping data radios over the radio's serial \
console: reads and changes every setting, saves a configuration to a file and programs radios \
from it, upgrades the firmware, and shows signal strength and zone diagnostics. Includes \
ardentix-cli for provisioning radios from scripts, and ardentix-radio-sim, a simulated radio \
on a pseudo-terminal.")
set(CPACK_GENERATOR DEB)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "${ARDENTIX_PACKAGE_MAINTAINER}")
set(CPACK_DEBIAN_PACKAGE_SECTION electronics)
# The Qt libraries and everything else the programs link are found by dpkg-shlibdeps.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_PROJECT_CONFIG_FILE ${CMAKE_CURRENT_LIST_DIR}/PackagingChecks.cmake)

include(CPack)
