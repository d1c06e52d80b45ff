import QtQuick 2.12

// Loads the bundled text and icon fonts once for the whole window.
Item {
    id: root
    visible: false

    function logStatus(loader) {
        console.log("font", loader.source, "name:", loader.name, "status:", loader.status)
    }

    // Resource fonts load while the loaders are created, before their handlers see it.
    Component.onCompleted: [roboto_regular, roboto_bold, roboto_light, roboto_black,
                            icon_font].forEach(logStatus)

    FontLoader {
        id: roboto_regular
        source: "qrc:/font/Roboto/Roboto-Regular.ttf"
        onStatusChanged: root.logStatus(roboto_regular)
    }
    FontLoader {
        id: roboto_bold
        source: "qrc:/font/Roboto/Roboto-Bold.ttf"
        onStatusChanged: root.logStatus(roboto_bold)
    }
    FontLoader {
        id: roboto_light
        source: "qrc:/font/Roboto/Roboto-Light.ttf"
        onStatusChanged: root.logStatus(roboto_light)
    }
    FontLoader {
        id: roboto_black
        source: "qrc:/font/Roboto/Roboto-Black.ttf"
        onStatusChanged: root.logStatus(roboto_black)
    }
    FontLoader {
        id: icon_font
        source: "qrc:/font/fontello/font/psfont.ttf"
        onStatusChanged: root.logStatus(icon_font)
    }
}
