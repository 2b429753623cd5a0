# A Debian package of both programs: `cpack -G DEB` in a build folder (scripts/test.sh uses the release one).
# Its dependencies come from what the built files link (dpkg-shlibdeps).
set(CPACK_PACKAGE_NAME vellicor)
set(CPACK_PACKAGE_VENDOR "Vellicor")
set(CPACK_PACKAGE_CONTACT "Vellicor developers <developers@vellicor.invalid>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Choose which e-mail attachment file types Outlook lets you open")
string(CONCAT CPACK_PACKAGE_DESCRIPTION
    "Vellicor edits the two lists (Level1Remove, Level1Add) that decide which attachment file types Microsoft "
    "Outlook blocks, for Outlook running under Wine or CrossOver. The vellicorctl command does the same from "
    "scripts and exports the lists as regedit and Group Policy files.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_SUGGESTS "wine")
# The help viewer's library lives beside the program, not in a folder dpkg-shlibdeps searches.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS_PRIVATE_DIRS ${VELLICOR_RUNTIME_DIR})
set(CPACK_GENERATOR DEB)
include(CPack)
