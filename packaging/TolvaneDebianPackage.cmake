# The Debian package (cpack -G DEB). Its dependencies come from two places:
#  - every shared library the installed binaries link is found by dpkg-shlibdeps, so a
#    library added to a target (protobuf, Qt WebSockets, KF5GuiAddons, ...) brings its
#    package in by itself;
#  - what the program loads at run time without linking it is listed below.

# One package per QML module that qml/ imports. A new import goes here; the package check
# fails while an import has no package.
set(TOLVANE_DEB_QML_MODULES
    qml-module-qtquick2
    qml-module-qtquick-controls2
    qml-module-qtquick-templates2
    qml-module-qtquick-layouts
    qml-module-qtquick-window2
    qml-module-qtqml-models2
    qml-module-qtgraphicaleffects)

# Other run-time needs.
set(TOLVANE_DEB_RUNTIME
    # The interface names "Microsoft Yahei" for Chinese text; fontconfig then picks an
    # installed CJK font.
    "fonts-noto-cjk | fonts-wqy-microhei | fonts-wqy-zenhei"
    # Qt Quick draws through OpenGL: Mesa's drivers, llvmpipe where there is no GPU.
    libgl1-mesa-dri
    # The fallback icon theme that file-type icons and the application icon live in.
    hicolor-icon-theme
    # Qt's Wayland platform plugin, which the Wayland backend runs on.
    qtwayland5)

# Nice to have: a full icon theme for file-type icons, xdg-open for links.
set(TOLVANE_DEB_RECOMMENDS adwaita-icon-theme xdg-utils)

list(JOIN TOLVANE_DEB_QML_MODULES ", " qml_depends)
list(JOIN TOLVANE_DEB_RUNTIME ", " runtime_depends)
list(JOIN TOLVANE_DEB_RECOMMENDS ", " recommends)

set(CPACK_PACKAGE_NAME tolvane)
set(CPACK_PACKAGE_VENDOR Marden)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT "${TOLVANE_MAINTAINER}")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "clipboard manager with a searchable history")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
# Binaries are built with debug information; the package ships them stripped.
set(CPACK_STRIP_FILES ON)

set(CPACK_DEBIAN_PACKAGE_NAME tolvane)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "${TOLVANE_HOMEPAGE}")
# The summary above is the first line of the Description field; this is the rest.
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION "Tolvane keeps every text, rich text, file list, colour and image you copy as a
searchable history, lets you pin items and number up to nine favourites, pastes
any item into the focused application from a quick paste window, and links two
computers on a LAN so that each sees and downloads from the other's history.")
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "${qml_depends}, ${runtime_depends}")
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "${recommends}")

set(CPACK_GENERATOR DEB)
include(CPack)
