import QtQuick 2.12
import QtQuick.Controls 2.5
import QtQuick.Controls.Material 2.5
import "../ctrls"
import "../FontVars.js" as FV

// Files and addresses: a list with icons and selectable paths in the main window, a flow
// of chips in the quick paste window.
DetailsViewAbstract {
    id: root

    property var urls: []
    readonly property bool is_show_peekora: m_const.peekora_path !== ""
    // One row per entry; the one row that holds a selection keeps it in the pos_ fields.
    property ListModel model_urls: ListModel {}

    readonly property int row_height: 42
    readonly property int item_padding: 10

    // A stored selection is to be shown again in that row.
    signal sigRestoreRow(int row)

    function fillRows() {
        model_urls.clear()
        for (let i = 0; i < urls.length; ++i) {
            const path = String(urls[i])
            model_urls.append({ "path": path, "exist": m_utilities.isUrlExists(path),
                                "is_selected_row": false, "pos_1": -1, "pos_2": -1, "cur": -1,
                                "pos_start": -1 })
        }
    }

    // Row r changed its selection: it becomes the one row whose selection is kept.
    function recordSelection(r, field) {
        for (let i = 0; i < model_urls.count; ++i) {
            if (i !== r)
                model_urls.set(i, { "is_selected_row": false, "pos_1": -1, "pos_2": -1,
                                    "cur": -1, "pos_start": -1 })
        }
        const has_selection = field.selectedText !== ""
        model_urls.set(r, {
            "pos_1": has_selection ? field.selectionStart : field.cursorPosition,
            "pos_2": has_selection ? field.selectionEnd : field.cursorPosition,
            "cur": field.cursorPosition,
            "pos_start": field.positionAt(0, 0),
            "is_selected_row": has_selection
        })
    }

    // Stored as row_pos1_pos2_cur_posstart.
    function updateSelectionData() {
        if (!isSelectionKept())
            return
        let stored = ""
        for (let i = 0; i < model_urls.count; ++i) {
            const r = model_urls.get(i)
            if (r.is_selected_row) {
                stored = [i, r.pos_1, r.pos_2, r.cur, r.pos_start].join("_")
                break
            }
        }
        model.updateSelection(md5, stored)
    }

    function updateSelectionUI() {
        if (!isSelectionKept())
            return
        const parts = model.getSelection(index).split("_")
        if (parts.length !== 5)
            return
        const v = parts.map(function (p) { return parseInt(p, 10) })
        if (v.some(isNaN) || v[0] < 0 || v[0] >= model_urls.count)
            return
        model_urls.set(v[0], { "pos_1": v[1], "pos_2": v[2], "cur": v[3], "pos_start": v[4],
                               "is_selected_row": true })
        sigRestoreRow(v[0])
    }

    onUrlsChanged: fillRows()
    Component.onDestruction: updateSelectionData()

    Loader {
        anchors.fill: parent
        sourceComponent: root.is_selectable ? selectable_view : passive_view
    }

    Component {
        id: passive_view
        Item {
            id: passive
            // Chips that do not fit the row whole are left out and counted in "+N".
            property int hidden: 0
            function recount() {
                let shown = 0
                for (let i = 0; i < chips.count; ++i) {
                    const chip = chipAt(i)
                    if (chip && chip.fits)
                        ++shown
                }
                hidden = chips.count - shown
            }
            function chipAt(i) {
                const flow = chips.contentItem.children[0]
                return flow && i < flow.children.length ? flow.children[i] : null
            }

            FlowListView {
                id: chips
                objectName: "url_chips"
                anchors.fill: parent
                anchors.rightMargin: passive.hidden > 0 ? more.width + chips.spacing : 0
                interactive: false
                spacing: m_const.main_list_left_padding / 2
                model: root.model_urls
                onCountChanged: Qt.callLater(passive.recount)
                delegate: Label {
                    readonly property bool fits: y + height <= chips.height + 0.5
                    width: Math.min(implicitWidth, chips.width)
                    visible: fits
                    leftPadding: m_const.main_list_left_padding / 2
                    rightPadding: m_const.main_list_left_padding / 2
                    topPadding: 2
                    bottomPadding: 2
                    text: m_utilities.decodeLocalFileUrl(path)
                    font.pixelSize: 17
                    horizontalAlignment: Text.AlignHCenter
                    verticalAlignment: Text.AlignVCenter
                    elide: Text.ElideMiddle
                    onFitsChanged: Qt.callLater(passive.recount)
                    background: Rectangle {
                        radius: 5
                        color: Material.rippleColor
                        border.width: 1
                        border.color: Material.listHighlightColor
                    }
                }
            }
            Label {
                id: more
                objectName: "url_more"
                anchors.right: parent.right
                anchors.top: parent.top
                visible: passive.hidden > 0
                text: "+" + passive.hidden
                font.pixelSize: 17
                font.bold: true
                topPadding: 2
                color: Material.secondaryTextColor
            }
        }
    }

    Component {
        id: selectable_view
        ListView {
            id: list
            objectName: "url_list"
            clip: true
            model: root.model_urls
            boundsBehavior: Flickable.StopAtBounds
            ScrollBar.vertical: VScrollBar {}
            delegate: url_row

            Connections {
                target: root
                function onSigRestoreRow(row) {
                    list.positionViewAtIndex(row, ListView.Contain)
                }
            }
        }
    }

    Component {
        id: url_row
        Item {
            id: row

            readonly property bool is_local_file: path.startsWith("file:")
            readonly property bool is_download: root.model !== null && !root.model.isLocal()
            property bool is_made: false
            property bool is_restoring: false
            readonly property bool row_selected: is_selected_row

            // Back to the recorded selection; the cursor goes to the far end from the
            // recorded cursor, so a selection made backwards comes back as it was.
            function restoreSelection() {
                const lo = Math.min(pos_1, pos_2, cur)
                const hi = Math.max(pos_1, pos_2, cur)
                if (lo < 0)
                    return
                is_restoring = true
                const from = cur === lo && lo !== hi ? hi : lo
                const to = from === hi ? lo : hi
                field.cursorPosition = Math.min(from, field.length)
                field.moveCursorSelection(Math.min(to, field.length), TextInput.SelectCharacters)
                field.ensureVisible(Math.min(pos_start, field.length))
                is_restoring = false
            }

            width: ListView.view.width
            height: root.row_height

            onRow_selectedChanged: {
                if (row_selected)
                    return
                is_restoring = true
                field.deselect()
                is_restoring = false
            }
            Component.onCompleted: {
                is_made = true
                if (is_selected_row)
                    restoreSelection()
            }

            Connections {
                target: root
                function onSigRestoreRow(r) {
                    if (r === index)
                        row.restoreSelection()
                }
            }

            Item {
                id: icon_box
                width: height
                height: parent.height

                Image {
                    id: icon
                    objectName: "url_icon_" + index
                    anchors.centerIn: parent
                    // Icons come from the theme on the interface's thread: not asynchronous.
                    source: row.is_local_file ? "image://img/" + path : ""
                    sourceSize: Qt.size(root.row_height - root.item_padding,
                                        root.row_height - root.item_padding)
                    fillMode: Image.Pad
                    asynchronous: false
                    // A file that is gone shows faded, which every scene graph backend
                    // draws (a desaturating shader needs OpenGL).
                    opacity: exist ? 1 : 0.35
                }
                MouseArea {
                    id: icon_area
                    anchors.fill: parent
                    enabled: exist
                    hoverEnabled: true
                    cursorShape: Qt.PointingHandCursor
                    onClicked: Qt.openUrlExternally(path)
                    ToolTip.visible: containsMouse
                    ToolTip.text: qsTranslate("Connection", "Open")
                    ToolTip.delay: Qt.styleHints.mousePressAndHoldInterval
                }
            }

            TextField {
                id: field
                objectName: "url_field_" + index
                x: icon_box.width + root.item_padding / 2
                width: row.width - x - (btn.visible ? btn.width : 0)
                height: row.height
                topPadding: 0
                bottomPadding: 0
                rightPadding: root.item_padding
                verticalAlignment: TextInput.AlignVCenter
                readOnly: true
                selectByMouse: true
                persistentSelection: true
                font.pixelSize: 16
                background: null
                text: m_utilities.decodeLocalFileUrl(path)
                // Until the user works in the field, the elided copy above it shows instead.
                color: shown_path.visible ? "transparent" : path_color
                readonly property color path_color: exist ? Material.primaryTextColor
                                                          : Material.secondaryTextColor

                HoverHandler {
                    id: path_hover
                }
                ToolTip.visible: path_hover.hovered && shown_path.visible && shown_path.truncated
                ToolTip.text: text
                ToolTip.delay: Qt.styleHints.mousePressAndHoldInterval

                Behavior on width {
                    NumberAnimation {
                        duration: 150
                        easing.type: Easing.OutCubic
                    }
                }

                // The selection's ends are updated only after its text: all three report.
                // Setting the text while the row is made moves the cursor too.
                function recordUserSelection() {
                    if (row.is_made && !row.is_restoring)
                        root.recordSelection(index, field)
                }
                onSelectedTextChanged: recordUserSelection()
                onSelectionStartChanged: recordUserSelection()
                onSelectionEndChanged: recordUserSelection()
            }

            // A long path keeps its end (the name) and says what is left out; the whole path
            // is in the tooltip and in the field once clicked.
            Label {
                id: shown_path
                objectName: "url_shown_" + index
                x: field.x
                width: field.width
                height: field.height
                leftPadding: field.leftPadding
                rightPadding: field.rightPadding
                verticalAlignment: Text.AlignVCenter
                visible: !field.activeFocus && field.selectedText === ""
                text: field.text
                textFormat: Text.PlainText
                elide: Text.ElideLeft
                font: field.font
                color: field.path_color
            }

            ListViewBtn {
                id: btn
                objectName: "url_btn_" + index
                anchors.right: parent.right
                anchors.verticalCenter: parent.verticalCenter
                length: root.row_height
                // A host's file can always be fetched; the previewer is offered for the
                // path being worked on.
                visible: row.is_download ? m_utilities.getFileName(field.text) !== "history"
                                         : root.is_show_peekora && exist
                                           && (field.activeFocus || activeFocus)
                text: row.is_download ? FV.Download : FV.Eye
                font.pixelSize: row.is_download ? 17 : 14
                tooltip_str: row.is_download ? qsTr("Download")
                                             : qsTr("Open with %1").arg(m_const.peekora_name)
                // The other side and the previewer want a plain path, not a file URL.
                onClicked: {
                    if (row.is_download)
                        m_utilities.sigDownloadFile(root.model.getIp(), field.text)
                    else
                        m_utilities.quicklook(m_const.peekora_path, field.text)
                }
            }
        }
    }
}
