# Read by cpack for each generator. Without dpkg-shlibdeps CPack would quietly make a .deb that
# declares no dependencies, which installs but cannot start where Qt is missing.
if(CPACK_GENERATOR STREQUAL "DEB")
  find_program(DPKG_SHLIBDEPS dpkg-shlibdeps)
  if(NOT DPKG_SHLIBDEPS)
    message(FATAL_ERROR "The .deb needs dpkg-shlibdeps to find its dependencies: "
                        "install dpkg-dev")
  endif()
endif()

# The installer says what it is by its name; the zip is the folder itself.
if(CPACK_GENERATOR STREQUAL "NSIS")
  set(CPACK_PACKAGE_FILE_NAME "${CPACK_PACKAGE_FILE_NAME}-setup")
endif()
