# `cpack -G DEB` in the build folder: qor-flipper_<version>_<arch>.deb, the `cmake --install`
# tree under /usr. Included from install.cmake before CPack, on Linux and other Unix only.

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "Olvarin <qor-flipper@olvarin.example>")
# Not "games": Debian keeps that section for programs in /usr/games, and this one is started
# as qor-flipper from /usr/bin like any other desktop program.
set(CPACK_DEBIAN_PACKAGE_SECTION misc)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION
"QOR Flipper is the desktop companion for Korvane II, a boxing simulation
board game. Every moment of a bout is settled by a FAC, one of 100 numbered
action cards. QOR Flipper deals them from a shuffled deck, one click at a
time, walks the three-minute round clock down, rings the bell, turns extra
cards after the bell, recalls a random card already turned, keeps the Killer
Instinct countdown and plays a sound cue for each.")

# The libraries come from the binary (dpkg-shlibdeps). What it needs without linking to it:
# - fonts-liberation: the windows are laid out for Arial and Arial Narrow, which fontconfig
#   maps to Liberation Sans and Liberation Sans Narrow; without them the texts fall back to
#   DejaVu, which is wider and runs out of its labels.
# - fonts-wine, only recommended: "MS Sans Serif" is used from it when that font scales; the
#   program draws Liberation Sans in its place otherwise.
# The platform plug-ins it loads at run time (xcb, the compose input context, the image
# formats) come with libqt6gui6, which the binary links; sound goes through libpulse, which
# libQt6Multimedia links, and no Qt Multimedia plug-in is loaded. The cues are decoded by
# libsndfile1, which the binary links too.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "fonts-liberation")
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "fonts-wine")

# The prefix, DESTDIR and stripping for the package: cpack-generators.cmake.
