import QtQuick 2.12
import QtQuick.Controls 2.5
import QtQuick.Controls.Material 2.5
import CTypes 1.0
import "../details"
import "../FontVars.js" as FV
import "../ctrls"

// One row of a quick paste list: the item's passive preview and its key at the right.
// The content exists only while the row is shown at its full height.
Loader {
    id: row

    readonly property var list: ListView.view
    readonly property int row_index: index
    readonly property bool row_visible: typeof is_visible_qp !== "undefined"
                                        && is_visible_qp === true
    readonly property int row_filter_index: typeof filter_index !== "undefined" ? filter_index
                                                                                : -1
    readonly property bool row_is_image: typeof type !== "undefined" && type === CTypes.Image

    width: list ? list.width : 0
    height: row_visible && list ? list.item_height : 0
    opacity: row_visible ? 1 : 0
    // Filtered rows go at once: the search result is what the user waits for.
    active: row_visible && list !== null && height === list.item_height

    sourceComponent: ItemDelegate {
        id: delegate

        readonly property bool is_current: row.row_index === row.list.currentIndex
        readonly property string key_label: row.row_index < row.list.numbered_rows
                                            ? FV.getFontCode(row.row_index)
                                            : row.list.number2Fn(row.row_filter_index,
                                                                 row.row_index)

        objectName: "quick_row_" + row.row_index
        padding: m_const.main_list_left_padding
        spacing: m_const.main_list_left_padding

        contentItem: Item {
            DetailsView {
                id: preview
                can_select: false
                highlight_key: row.list ? row.list.filter_key : ""
                // Pictures use the row's whole height.
                y: row.row_is_image ? -delegate.padding / 2 : 0
                width: parent.width - (key.text !== "" ? key.width + 2 * delegate.rightPadding
                                                       : 0)
                height: parent.height + (row.row_is_image ? delegate.padding : 0)
                Component.onCompleted: load(row.list.model, row.row_index)
            }
        }

        background: Rectangle {
            color: !row.list.is_hiding && delegate.is_current
                   ? delegate.Material.listHighlightColor : "transparent"

            Rectangle {
                width: parent.width
                height: 1
                color: m_const.isDark ? delegate.Material.dividerColor : "#eee"
            }

            PressRipple {
                width: parent.width
                height: parent.height
                pressed: delegate.pressed
                anchor: delegate
                active: delegate.down || delegate.visualFocus || delegate.hovered
                color: delegate.Material.rippleColor
            }
        }

        Label {
            id: key
            objectName: "quick_key"
            z: 1
            anchors.right: parent.right
            anchors.rightMargin: delegate.rightPadding
            anchors.verticalCenter: parent.verticalCenter
            text: delegate.key_label
            visible: text !== ""
            font.family: FV.FontIcon
            font.pixelSize: row.row_index < row.list.numbered_rows ? 18 : 13
            color: row.list.activeFocus && delegate.is_current
                   ? delegate.Material.accentColor : delegate.Material.secondaryTextColor
        }

        onClicked: {
            row.list.currentIndex = row.row_index
            row.list.forceActiveFocus()
            row.list.sigDbClicked(row.row_index)
        }
    }
}
