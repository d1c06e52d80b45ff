import QtQuick 2.12
import QtQuick.Controls 2.5

// An entry of the title bar's menu.
MenuItem {
    height: 48
    font.pixelSize: 16
}
