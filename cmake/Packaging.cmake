# The Debian package, made by `cpack -G DEB` in a build configured by tools/package. Its
# runtime dependencies come from dpkg-shlibdeps, so they follow the libraries the programs
# were linked with. The menu, file type and icon caches are refreshed by the triggers of
# desktop-file-utils, shared-mime-info and the icon themes, so the package has no scripts.
set(CPACK_PACKAGE_NAME obitrak)
set(CPACK_PACKAGE_VENDOR "Obitrak")
set(CPACK_PACKAGE_CONTACT "Obitrak developers <obitrak@localhost>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "analyser of Quake 2 demo recordings")
set(CPACK_PACKAGE_DESCRIPTION
    "Obitrak scans a Quake 2 multiplayer demo (.dm2, or .dm2.gz) and counts who killed\n"
    "whom with which weapon from its death messages. It shows a frag matrix, the\n"
    "players, the level, the message log, weapon statistics, a time graph and team\n"
    "scores, and writes text, HTML, log and JSON reports. obitrak-report writes the\n"
    "same reports from the command line, for many demos at once.")
string(REPLACE ";" "" CPACK_PACKAGE_DESCRIPTION "${CPACK_PACKAGE_DESCRIPTION}")
set(CPACK_DEBIAN_PACKAGE_SECTION games)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_STRIP_FILES ON)
set(CPACK_GENERATOR DEB)
include(CPack)
