# Installation into the usual Linux places, and a Debian package made by CPack:
#   cmake --install <build> [--prefix /usr]      cpack -G DEB (in the build folder)
#
# bin/perne                                      the program
# share/applications/perne.desktop               its menu entry, under Education and Math
# share/icons/hicolor/32x32/apps/perne.png       its icon
# share/perne/*.wav                              the cues, for a teacher to swap
#
# The menu entry starts the program in share/perne, so the cues there are the ones heard; the
# program carries its own copy as well and plays that wherever else it is started from.

set(PERNE_DATA_DIR "${CMAKE_INSTALL_DATADIR}/perne")

if(TARGET perne)
    install(TARGETS perne RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
endif()

# The entry's working folder is the installed cues' folder, known only at install time
# (cmake --install --prefix, or CPack's /usr).
install(CODE "
    file(READ \"${CMAKE_CURRENT_SOURCE_DIR}/assets/perne.desktop\" _entry)
    string(REPLACE \"Path=/usr/share/perne\"
           \"Path=\${CMAKE_INSTALL_PREFIX}/${PERNE_DATA_DIR}\" _entry \"\${_entry}\")
    file(WRITE \"${CMAKE_CURRENT_BINARY_DIR}/desktop/perne.desktop\" \"\${_entry}\")
    file(INSTALL \"${CMAKE_CURRENT_BINARY_DIR}/desktop/perne.desktop\"
         DESTINATION \"\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_DATADIR}/applications\")
")

install(FILES assets/icon.png
        DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/32x32/apps
        RENAME perne.png)
install(FILES assets/pinpon.wav assets/endpinpon.wav assets/logoff.wav
        DESTINATION ${PERNE_DATA_DIR})

# The Debian package.
set(CPACK_GENERATOR "DEB")
set(CPACK_PACKAGE_NAME "perne")
set(CPACK_PACKAGE_VERSION "${PROJECT_VERSION}")
set(CPACK_PACKAGE_VENDOR "perne")
set(CPACK_PACKAGE_CONTACT "perne maintainers <perne@localhost>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Meeting simulation on an 11 x 11 lattice for maths classes")
set(CPACK_PACKAGE_DESCRIPTION
    "Momotaro and a dog step at random over the lattice points of an 11 x 11 grid.\n"
    "Students compare how often they meet in three minutes when both walk\n"
    "and when only the dog walks. The interface is in Japanese.")
string(JOIN "" CPACK_PACKAGE_DESCRIPTION ${CPACK_PACKAGE_DESCRIPTION})
set(CPACK_PACKAGING_INSTALL_PREFIX "/usr")
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION "education")
set(CPACK_DEBIAN_PACKAGE_PRIORITY "optional")
# The shared libraries come from dpkg-shlibdeps; the X platform plugin, the Japanese font
# the windows are laid out for, and the sound server client are not linked, so named here.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-qpa-plugins, fonts-ipafont-gothic")
set(CPACK_STRIP_FILES ON)
include(CPack)
