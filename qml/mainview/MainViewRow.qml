import QtQuick 2.12
import QtQuick.Controls 2.5
import QtQuick.Controls.Material 2.5
import QtQuick.Window 2.12
import CTypes 1.0
import "../ctrls"
import "../OptionalServices.js" as Services

// One row of a MainViewList. The row's content exists only while the row is shown at its
// full height, so a filtered list keeps no hidden delegates alive.
Loader {
    id: row

    readonly property var list: ListView.view
    readonly property var list_model: list ? list.model : null
    readonly property int row_index: index
    readonly property bool row_visible: typeof is_visible !== "undefined" && is_visible === true
    readonly property bool row_pin_status: typeof pin_status !== "undefined" && pin_status === true
    readonly property int row_fav_num: typeof fav_num !== "undefined" ? fav_num : -1
    readonly property real full_height: row_visible && list ? list.item_height : 0

    width: list ? list.width : 0
    height: full_height
    opacity: row_visible ? 1 : 0
    // Rows that a search filters out go at once, without shrinking: the search result is
    // what the user waits for. While the list filters, a row gets its content only once the
    // list has laid itself out again: rows filtered out lie stacked in view, and all of
    // them would otherwise be built when a cleared search shows them again.
    readonly property bool wants_content: row_visible && list !== null
                                          && height === list.item_height
    function updateContent() {
        if (!wants_content)
            active = false
        else if (!list.filtering)
            active = true
    }
    active: false
    onWants_contentChanged: updateContent()
    Component.onCompleted: updateContent()
    Connections {
        target: row.list
        function onFilteringChanged() {
            row.updateContent()
        }
    }

    sourceComponent: ItemDelegate {
        id: delegate

        readonly property bool is_current: row.row_index === row.list.currentIndex
        // A host that leaves takes its list along, a moment before its page goes.
        readonly property bool is_pin_view: row.list_model !== null && row.list_model.isPin()
        // The row's buttons, or null while the row has shown none.
        readonly property var row_btns: btns.item

        // Called by the drag helper once a press has become a drag.
        function activateDrag() {
            m_drag.startDrag(row.list_model, row.row_index, delegate)
        }

        objectName: "ItemDelegate"
        // The row buttons appear on hover, so hover is needed whatever the platform says.
        hoverEnabled: true
        font.pixelSize: 14
        padding: m_const.main_list_left_padding
        spacing: m_const.main_list_left_padding
        text: m_utilities.simplified(plain_head)

        contentItem: Item {
            // A picture shows as a thumbnail, decoded at the row's height, instead of its
            // word; while there is none (a host's picture not fetched yet) the word stays.
            Image {
                id: thumb
                objectName: "row_thumb"
                readonly property bool is_image: typeof type !== "undefined"
                                                 && type === CTypes.Image
                height: parent.height
                width: Math.min(height * 3, parent.width / 2)
                source: is_image && row.list_model && row.list_model.isImgExists(md5)
                        ? row.list_model.getPreviewUrl(md5) : ""
                // Decoded at the row's full height: a row that shrinks as it leaves must not
                // load the picture again, whose file may already be gone with the item.
                sourceSize.height: Math.ceil((row.list ? row.list.item_height : height)
                                             * Screen.devicePixelRatio)
                fillMode: Image.PreserveAspectFit
                horizontalAlignment: Image.AlignLeft
                asynchronous: true
                visible: status === Image.Ready
            }
            Label {
                readonly property string key: row.list ? row.list.filter_key : ""
                objectName: "row_text"
                anchors.fill: parent
                // A search marks its matches; the line starts near the first one.
                text: thumb.visible ? "" : key === "" ? delegate.text
                                                      : m_utilities.markMatches(
                                                            delegate.text, key,
                                                            delegate.Material.accentColor, 24)
                font: delegate.font
                textFormat: key === "" ? Text.PlainText : Text.StyledText
                horizontalAlignment: Text.AlignLeft
                verticalAlignment: Text.AlignVCenter
                elide: Text.ElideRight
                color: delegate.Material.primaryTextColor
                rightPadding: btns.width > 0 ? btns.width + delegate.rightPadding : 0
            }
        }

        background: Rectangle {
            radius: 2
            color: delegate.is_current ? delegate.Material.listHighlightColor : "transparent"

            PressRipple {
                width: parent.width
                height: parent.height
                pressed: delegate.pressed
                anchor: delegate
                active: delegate.down || delegate.visualFocus || delegate.hovered
                color: delegate.Material.rippleColor
            }
        }

        onClicked: {
            if (!is_current)
                row.list.currentIndex = row.row_index
            row.list.forceActiveFocus()
        }

        // The focus bar marks the current row of the list that holds the keyboard focus.
        Loader {
            height: parent.height
            active: row.list.activeFocus && delegate.is_current
            sourceComponent: Rectangle {
                width: 4
                height: parent ? parent.height : 0
                color: delegate.Material.accentColor
                visible: row.list.is_item_leftborder_visible
                Component.onCompleted: row.list.is_item_leftborder_visible = true
            }
        }

        // Below the last favourite a dashed line separates favourites from other pins.
        Loader {
            anchors.bottom: parent.bottom
            width: parent.width
            height: 1
            active: delegate.is_pin_view && row.row_fav_num !== -1
                    && row.row_fav_num === row.list_model.last_favor_num
            sourceComponent: DashLine {
                objectName: "fav_separator"
                line_width: 1
                start_y: 0.5
                end_y: 0.5
                // The ripple colour is all but invisible on the dark background; this grey
                // stands 4:1 off it.
                draw_color: m_const.isDark ? Qt.rgba(1, 1, 1, 0.45) : delegate.Material.rippleColor
            }
        }

        // The buttons are made once the row first shows one (hovered, pinned or a
        // favourite) and then kept: most rows never show any, and three buttons a row were
        // much of the time a page of rows took to make.
        Loader {
            id: btns
            readonly property bool shows_any: delegate.hovered || row.row_pin_status
                                              || row.row_fav_num !== -1
            anchors.right: parent.right
            anchors.verticalCenter: parent.verticalCenter
            active: false
            onShows_anyChanged: active = active || shows_any
            Component.onCompleted: active = shows_any
            sourceComponent: MainViewRowBtns {
                btn_size: delegate.availableHeight + delegate.topPadding / 2
                list_model: row.list_model
                row_index: row.row_index
                hovered: delegate.hovered
                pin_status: row.row_pin_status
                fav_num: row.row_fav_num
                onSigCopyBtnClicked: row.list.sigCopyBtnClicked(row.row_index)
            }
        }

        Component.onCompleted: {
            if (Services.hasDrag())
                m_drag.initDrag(delegate)
        }
        Component.onDestruction: {
            if (Services.hasDrag())
                m_drag.rmDrag(delegate)
        }
    }
}
