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
  # Unversioned, as the Start menu folder that is named after it: an upgrade keeps its place.
  set(CPACK_NSIS_PACKAGE_NAME "Quenlar Ardentix Configuration")
  set(CPACK_NSIS_DISPLAY_NAME "Quenlar Ardentix Configuration")
  set(CPACK_NSIS_INSTALL_ROOT "$PROGRAMFILES64")
  set(CPACK_NSIS_DEFINES "Target amd64-unicode")
  set(CPACK_NSIS_MUI_ICON ${PROJECT_SOURCE_DIR}/data/icons/com.quenlar.Ardentix.ico)
  set(CPACK_NSIS_MUI_UNIICON ${PROJECT_SOURCE_DIR}/data/icons/com.quenlar.Ardentix.ico)
  set(CPACK_NSIS_INSTALLED_ICON_NAME ardentix.exe)
  # No licence to accept: the program comes with none beyond its maker's terms of sale.
  set(CPACK_NSIS_IGNORE_LICENSE_PAGE ON)
  set(CPACK_NSIS_MUI_FINISHPAGE_RUN ardentix.exe)
  set(CPACK_NSIS_EXECUTABLES_DIRECTORY .)
  # The options page offers the folder on PATH (for ardentix-cli in any console) and a desktop
  # entry; CMake's own page script is patched below to add the folder the programs are in.
  set(CPACK_NSIS_MODIFY_PATH ON)
  set(CPACK_PACKAGE_INSTALL_REGISTRY_KEY "ardentix ${PROJECT_VERSION}")
  set(UNINSTALL_KEY
      "Software\\\\Microsoft\\\\Windows\\\\CurrentVersion\\\\Uninstall\\\\${CPACK_PACKAGE_INSTALL_REGISTRY_KEY}")
  # The Start menu entry (and the desktop's, when chosen), made for all users. The program's
  # file dialogs open in the user's own Documents, so the folder it starts in does not matter.
  # (Backslashes twice over and NSIS's single quotes: CPack reads these values once more.)
  set(CPACK_NSIS_CREATE_ICONS_EXTRA "
    SetOutPath '$INSTDIR'
    CreateShortCut '$SMPROGRAMS\\\\$STARTMENU_FOLDER\\\\Quenlar Ardentix Configuration.lnk' '$INSTDIR\\\\ardentix.exe'
    StrCmp '$INSTALL_DESKTOP' '1' 0 +2
    CreateShortCut '$DESKTOP\\\\Quenlar Ardentix Configuration.lnk' '$INSTDIR\\\\ardentix.exe'")
  set(CPACK_NSIS_DELETE_ICONS_EXTRA "
    Delete '$SMPROGRAMS\\\\$MUI_TEMP\\\\Quenlar Ardentix Configuration.lnk'
    Delete '$DESKTOP\\\\Quenlar Ardentix Configuration.lnk'")
  # Settings, Apps shows where the program is and how much room it takes (in KiB).
  set(CPACK_NSIS_EXTRA_INSTALL_COMMANDS "
    WriteRegStr SHCTX '${UNINSTALL_KEY}' 'InstallLocation' '$INSTDIR'
    SectionGetSize 0 $0
    WriteRegDWORD SHCTX '${UNINSTALL_KEY}' 'EstimatedSize' $0")
  # CMake's installer script puts $INSTDIR\\bin on PATH; the programs here are in $INSTDIR.
  set(NSIS_TEMPLATE ${CMAKE_ROOT}/Modules/Internal/CPack/NSIS.template.in)
  file(READ ${NSIS_TEMPLATE} template)
  string(REPLACE "Push $INSTDIR\\bin" "Push $INSTDIR" patched "${template}")
  if(patched STREQUAL template)
    message(FATAL_ERROR "${NSIS_TEMPLATE} has no 'Push $INSTDIR\\bin' to mend")
  endif()
  file(WRITE ${PROJECT_BINARY_DIR}/nsis/NSIS.template.in "${patched}")
  configure_file(${CMAKE_ROOT}/Modules/Internal/CPack/NSIS.InstallOptions.ini.in
                 ${PROJECT_BINARY_DIR}/nsis/NSIS.InstallOptions.ini.in COPYONLY)
  set(CPACK_MODULE_PATH ${PROJECT_BINARY_DIR}/nsis)
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
