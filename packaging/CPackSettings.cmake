# The Debian package kelvask-brevant, built by scripts/package from a build configured with the
# prefix /usr. It holds what the install step installs; its dependencies come from the shared
# libraries the programs link (dpkg-shlibdeps). The maintainer scripts ask for the daemon's owner
# and reload systemd; they neither enable nor start the unit.

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME kelvask-brevant)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "The Kelvask Brevant developers")
set(CPACK_PACKAGE_DIRECTORY ${CMAKE_BINARY_DIR}/package)
# Install with DESTDIR, so that the list of installed files names the paths the package puts in
# place, and the prefix compiled into the programs is the package's.
set(CPACK_SET_DESTDIR ON)
set(CPACK_PACKAGING_INSTALL_PREFIX ${CMAKE_INSTALL_PREFIX})
set(CPACK_STRIP_FILES ON)

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "${BREVANT_MAINTAINER}")
set(CPACK_DEBIAN_PACKAGE_SECTION devel)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE https://brevant.kelvask.dev/)
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION "control panel for a local web-development stack
Kelvask Brevant is the desktop panel of a local web-development stack (Apache,
Nginx, MariaDB, PHP-FPM, PM2, Mailhog, Redis) run by a separate daemon. It
shows the services and the machine's CPU, memory and disk use, starts and
stops them, shows their logs, and manages local projects.

The package also holds brevant-devd, a stand-in daemon that answers the
panel's API with simulated services, and its systemd unit
dev.kelvask.brevant.service, which the panel starts when no daemon answers.")
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# The panel's fonts are the desktop's: these packages give every machine the same look.
set(CPACK_DEBIAN_PACKAGE_DEPENDS
    "debconf (>= 0.5) | debconf-2.0, fonts-inter, fonts-jetbrains-mono, fonts-quicksand")
# pkexec runs the uninstaller's removal as administrator; xdg-open opens the browser links.
# The outcome lines of the uninstaller start with emoji (U+2705, U+26A0).
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "pkexec, xdg-utils, fonts-noto-color-emoji")
set(CPACK_DEBIAN_PACKAGE_CONTROL_EXTRA
    ${CMAKE_CURRENT_LIST_DIR}/debian/config
    ${CMAKE_CURRENT_LIST_DIR}/debian/templates
    ${CMAKE_CURRENT_LIST_DIR}/debian/postinst
    ${CMAKE_CURRENT_LIST_DIR}/debian/postrm)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
set(CPACK_DEBIAN_COMPRESSION_TYPE xz)

include(CPack)
