import QtQuick 2.12

// Nothing selected: the program's mark in the middle.
DetailsViewAbstract {
    Image {
        anchors.centerIn: parent
        source: m_const.isDark ? "qrc:/logo/def_dark.png" : "qrc:/logo/def.png"
        sourceSize: Qt.size(72, 72)
        fillMode: Image.Pad
        asynchronous: true
    }
}
