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
set(CPACK_STRIP_FILES ON)
set(CPACK_PROJECT_CONFIG_FILE ${CMAKE_CURRENT_LIST_DIR}/PackagingChecks.cmake)

if(WIN32)
  # `cpack -G NSIS` makes ardentix-<version>-win64-setup.exe: a 64-bit installer into Program
  # Files with a Start menu entry and an uninstaller; `cpack -G ZIP` the same files as a folder
  # that runs from anywhere (the names per generator are set in PackagingChecks.cmake).
  set(CPACK_GENERATOR NSIS ZIP)
  set(CPACK_PACKAGE_INSTALL_DIRECTORY "Quenlar Ardentix")
  set(CPACK_NSIS_PACKAGE_NAME "Quenlar Ardentix Configuration ${PROJECT_VERSION}")
  set(CPACK_NSIS_DISPLAY_NAME "Quenlar Ardentix Configuration")
  set(CPACK_NSIS_INSTALL_ROOT "$PROGRAMFILES64")
  set(CPACK_NSIS_DEFINES "Target amd64-unicode")
  set(CPACK_NSIS_MUI_ICON ${PROJECT_SOURCE_DIR}/data/icons/com.quenlar.Ardentix.ico)
  set(CPACK_NSIS_MUI_UNIICON ${PROJECT_SOURCE_DIR}/data/icons/com.quenlar.Ardentix.ico)
  set(CPACK_NSIS_INSTALLED_ICON_NAME ardentix.exe)
  # The Start menu entry, made for all users, starts the program in the shared Documents
  # (C:\Users\Public\Documents), where its file dialogs then open and every user may write:
  # the install folder under Program Files is not the user's to write in.
  # (Backslashes twice over and NSIS's single quotes: CPack reads these values once more.)
  set(CPACK_NSIS_CREATE_ICONS_EXTRA "
    SetOutPath '$DOCUMENTS'
    CreateShortCut '$SMPROGRAMS\\\\$STARTMENU_FOLDER\\\\Quenlar Ardentix Configuration.lnk' '$INSTDIR\\\\ardentix.exe'")
  set(CPACK_NSIS_DELETE_ICONS_EXTRA "
    Delete '$SMPROGRAMS\\\\$MUI_TEMP\\\\Quenlar Ardentix Configuration.lnk'")
  set(CPACK_NSIS_ENABLE_UNINSTALL_BEFORE_INSTALL ON)
  set(CPACK_PACKAGE_FILE_NAME ardentix-${PROJECT_VERSION}-win64)
  include(CPack)
  return()
endif()

set(CPACK_GENERATOR DEB)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "${ARDENTIX_PACKAGE_MAINTAINER}")
set(CPACK_DEBIAN_PACKAGE_SECTION electronics)
# The Qt libraries and everything else the programs link are found by dpkg-shlibdeps.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)

include(CPack)
