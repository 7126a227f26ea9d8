# Installation into the usual Linux places, and a Debian package made by CPack:
#   cmake --install <build> [--prefix /usr]      cpack -G DEB (in the build folder)
#
# bin/perne                                      the program
# share/applications/perne.desktop               its menu entry, under Education and Math
# share/icons/hicolor/*/apps/perne.{png,svg}     its icon, 32 to 256 pixels and scalable
# share/metainfo/org.example.perne.metainfo.xml  its description for software centres
# share/man/man1/perne.1.gz, perne-stats.1.gz    the manual pages
# share/doc/perne/copyright, changelog.gz        the licence and the release notes
# share/perne/*.wav                              the cues, for a teacher to swap
#
# and, as a second package perne-class from the same build (the component `class`):
#
# bin/perne-class                                the class server
# lib/systemd/system/perne-class.service         its unit (own user, data in /var/lib/perne-class)
# share/man/man1/perne-class.1.gz                its manual page
# share/perne-class/pages/                       the pages it serves, from the WebAssembly build
# share/doc/perne-class/copyright, changelog.gz
#
# Two packages, because they go on different machines: the students' and the teacher's
# computers run the windows and need Qt, the IT room's server runs perne-class and needs
# SQLite, libqrencode and OpenSSL but no desktop at all.
#
# tools/package.sh builds both packages with Debian's hardening flags and checks them.
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
foreach(size 48 64 128 256)
    install(FILES assets/icons/perne-${size}.png
            DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps
            RENAME perne.png)
endforeach()
install(FILES assets/icons/perne.svg
        DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
install(FILES packaging/org.example.perne.metainfo.xml
        DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)

# Manual pages and the changelog go compressed, without a time stamp in the gzip header
# (-n) so the package is the same whoever builds it.
find_program(PERNE_GZIP gzip REQUIRED)
set(_gzipped "")
foreach(source man/perne.1 man/perne-stats.1 changelog)
    get_filename_component(_name ${source} NAME)
    set(_out ${CMAKE_CURRENT_BINARY_DIR}/packaging/${_name}.gz)
    add_custom_command(OUTPUT ${_out}
        COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_CURRENT_BINARY_DIR}/packaging
        COMMAND ${PERNE_GZIP} -9n -c ${CMAKE_CURRENT_SOURCE_DIR}/packaging/${source} > ${_out}
        DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/packaging/${source} VERBATIM)
    list(APPEND _gzipped ${_out})
endforeach()
add_custom_target(perne_packaging_files ALL DEPENDS ${_gzipped})
install(FILES ${CMAKE_CURRENT_BINARY_DIR}/packaging/perne.1.gz
              ${CMAKE_CURRENT_BINARY_DIR}/packaging/perne-stats.1.gz
        DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
install(FILES packaging/copyright ${CMAKE_CURRENT_BINARY_DIR}/packaging/changelog.gz
        DESTINATION ${CMAKE_INSTALL_DOCDIR})
install(FILES assets/pinpon.wav assets/endpinpon.wav assets/logoff.wav
        DESTINATION ${PERNE_DATA_DIR})
if(TARGET perne-class)
    install(FILES packaging/copyright ${CMAKE_CURRENT_BINARY_DIR}/packaging/changelog.gz
            DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/perne-class COMPONENT class)
endif()

# The Debian packages, one per component. The summary is each description's first line.
set(CPACK_GENERATOR "DEB")
set(CPACK_DEB_COMPONENT_INSTALL ON)
# The server's package only with its pages: perne-class without them answers nothing but 404.
if(TARGET perne-class AND PERNE_CLASS_PAGES_FROM)
    set(CPACK_COMPONENTS_ALL desktop class)
else()
    set(CPACK_COMPONENTS_ALL desktop)
endif()
set(CPACK_PACKAGE_NAME "perne")
set(CPACK_PACKAGE_VERSION "${PROJECT_VERSION}")
set(CPACK_PACKAGE_VENDOR "ペルネ実験 developers")
set(CPACK_PACKAGE_CONTACT "Perne developers <perne@users.noreply.example.org>")
set(CPACK_PACKAGING_INSTALL_PREFIX "/usr")
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION "education")
set(CPACK_DEBIAN_PACKAGE_PRIORITY "optional")
# The shared libraries come from dpkg-shlibdeps, for each package its own.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)

# CPack would put one summary (the project's description, ペルネ実験) before both packages'
# descriptions; it leaves them alone when the summary is its own placeholder, given here.
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "${CMAKE_PROJECT_NAME} built using CMake")

set(CPACK_DEBIAN_DESKTOP_PACKAGE_NAME "perne")
set(CPACK_DEBIAN_DESKTOP_DESCRIPTION
    "Meeting simulation on an 11 x 11 lattice for maths classes\n"
    "Momotaro and a dog step at random over the lattice points of an 11 x 11 grid.\n"
    "Students compare how often they meet in three minutes when both walk\n"
    "and when only the dog walks. The interface is in Japanese.")
string(JOIN "" CPACK_DEBIAN_DESKTOP_DESCRIPTION ${CPACK_DEBIAN_DESKTOP_DESCRIPTION})
# The X platform plugin, the Japanese font the windows are laid out for, and the sound server
# client are not linked, so named here.
set(CPACK_DEBIAN_DESKTOP_PACKAGE_DEPENDS "qt6-qpa-plugins, fonts-ipafont-gothic")
# On a Wayland desktop Qt needs its Wayland plugin, or it falls back to X11 with a warning;
# Qt's own Japanese texts (the input box's menu) come from its translations.
set(CPACK_DEBIAN_DESKTOP_PACKAGE_RECOMMENDS "qt6-wayland, qt6-translations-l10n")

set(CPACK_DEBIAN_CLASS_PACKAGE_NAME "perne-class")
set(CPACK_DEBIAN_CLASS_DESCRIPTION
    "Class server for the perne meeting simulation\n"
    "Serves the simulation's pages to the browsers of a class and collects the\n"
    "students' results for the teacher's statistics page. Runs as a systemd\n"
    "service with its own user, and the results are kept in /var/lib/perne-class.")
string(JOIN "" CPACK_DEBIAN_CLASS_DESCRIPTION ${CPACK_DEBIAN_CLASS_DESCRIPTION})
set(CPACK_DEBIAN_CLASS_PACKAGE_SECTION "net")
# Only the libraries dpkg-shlibdeps finds (SQLite, libqrencode, OpenSSL). The maintainer
# scripts reload systemd, restart a running server on upgrade and stop it on removal (they
# neither enable nor start it); their deb-systemd-invoke is in an essential package.
set(CPACK_DEBIAN_CLASS_PACKAGE_DEPENDS "")
set(CPACK_DEBIAN_CLASS_PACKAGE_CONTROL_EXTRA
    ${CMAKE_CURRENT_SOURCE_DIR}/packaging/perne-class/postinst
    ${CMAKE_CURRENT_SOURCE_DIR}/packaging/perne-class/prerm
    ${CMAKE_CURRENT_SOURCE_DIR}/packaging/perne-class/postrm)
set(CPACK_DEBIAN_CLASS_PACKAGE_CONTROL_STRICT_PERMISSION ON)

# Directories in the package are 0755 whatever the builder's umask.
set(CPACK_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
    OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
set(CPACK_STRIP_FILES ON)
include(CPack)
