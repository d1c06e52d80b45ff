import QtQuick 2.12
import QtQuick.Controls 2.5
import QtQuick.Controls.Material 2.5
import CTypes 1.0
import "../ctrls"
import "../FontVars.js" as FV

// Text and rich text: the whole text, selectable, in the main window; its beginning in
// the quick paste window.
DetailsViewAbstract {
    id: root

    property bool is_rich_text: false
    property string text: ""
    property int selected_start: -1
    property int selected_end: -1
    property int cursor_pos: -1
    // A search being made: its matches are marked, the text itself stays as it is.
    property string highlight_key: ""

    // Rich text draws its links in the palette's blue, unreadable on the dark theme's
    // background; a default style sheet gives them a light blue there (links that carry
    // their own colour keep it).
    readonly property bool is_dark: Material.theme === Material.Dark
    readonly property color link_color: is_dark ? "#8ab4f8" : "#0000ff"
    readonly property string link_style: is_dark ? "<style>a { color: " + link_color + "; }</style>"
                                                 : ""
    // A marker's yellow, deepened on the dark background so that light text stays legible.
    readonly property color match_color: is_dark ? "#7a5c00" : "#ffe24d"

    // A long plain text is laid out a first page at a time: the panel shows its first
    // characters at once and takes the rest when scrolled towards their end, asked to
    // select everything, or given a stored selection beyond them.
    readonly property int first_chars: 2048
    readonly property bool is_cut: !is_rich_text && text.length > first_chars
    // Characters of the text the selectable area holds.
    readonly property string first_text: is_cut ? cutAt(text, first_chars) : text

    signal sigSelectText()

    function areaText() {
        return is_rich_text ? link_style + text : first_text
    }

    // Never between the two halves of a surrogate pair.
    function cutAt(s, n) {
        const c = s.charCodeAt(n - 1)
        return s.substring(0, c >= 0xD800 && c <= 0xDBFF ? n - 1 : n)
    }

    // Stored as start_end_cursor; a selection that is all zero is no selection at all.
    function updateSelectionData() {
        if (!isSelectionKept())
            return
        const none = selected_start === 0 && selected_end === 0 && cursor_pos === 0
        model.updateSelection(md5, none ? ""
                                        : selected_start + "_" + selected_end + "_" + cursor_pos)
    }

    function updateSelectionUI() {
        if (!isSelectionKept())
            return
        const stored = model.getSelection(index)
        const parts = stored.split("_")
        if (stored === "" || parts.length !== 3)
            return
        const values = parts.map(function (p) { return parseInt(p, 10) })
        if (values.some(isNaN))
            return
        selected_start = values[0]
        selected_end = values[1]
        cursor_pos = values[2]
        sigSelectText()
    }

    Component.onDestruction: updateSelectionData()

    Connections {
        target: root.is_selectable ? m_utilities : null
        function onSigDetailsTextPlain2Html(is_plain_to_html) {
            root.selected_start = 0
            root.selected_end = 0
            root.cursor_pos = 0
            // Emptied first, so the area renders the same text again in the new format.
            const text = root.text
            root.text = ""
            root.is_rich_text = is_plain_to_html
            root.text = text
        }
    }

    Loader {
        anchors.fill: parent
        sourceComponent: root.is_selectable ? selectable_view : passive_view
    }

    Component {
        id: passive_view
        Label {
            readonly property bool is_marked: root.highlight_key !== ""

            objectName: "text_head"
            // While searching, the plain head with its matches marked (a rich text's marks
            // would have to go through its markup); the first match is kept in view.
            text: is_marked ? m_utilities.markMatches(
                                  m_utilities.getTextHead(root.is_rich_text
                                                          ? root.model.getPlain(root.index)
                                                                .substring(0, 16384)
                                                          : root.text, false),
                                  root.highlight_key, Material.accentColor, 60)
                            : m_utilities.getTextHead(root.text, root.is_rich_text)
            textFormat: is_marked ? Text.StyledText
                                  : root.is_rich_text ? Text.RichText : Text.PlainText
            // Words stay whole; the last line that fits the row ends in an ellipsis rather
            // than a line cut through its middle.
            wrapMode: Text.WrapAtWordBoundaryOrAnywhere
            elide: Text.ElideRight
            clip: true
            font.pixelSize: 14
            color: Material.foreground
            linkColor: root.link_color
        }
    }

    Component {
        id: selectable_view
        Flickable {
            id: flick

            // Whether the area holds the rest of a cut text too.
            property bool whole: false

            function takeTheRest() {
                if (whole || !root.is_cut)
                    return
                whole = true
                area.insert(area.length, root.text.substring(root.first_text.length))
            }

            Connections {
                target: root
                // The rest belongs to the text it was taken from: the next text starts
                // from its first page again, even when that page is the same.
                function onTextChanged() {
                    if (!flick.whole)
                        return
                    flick.whole = false
                    area.text = Qt.binding(root.areaText)
                }
            }

            onContentYChanged: {
                if (contentY + 2 * height >= contentHeight)
                    takeTheRest()
            }

            flickableDirection: Flickable.VerticalFlick
            boundsBehavior: Flickable.StopAtBounds
            ScrollBar.vertical: VScrollBar {}
            ScrollBar.horizontal: HtmlTextHorScrollbar {}

            TextArea.flickable: TextArea {
                id: area
                objectName: "text_area"

                // The cursor goes to the far end from the stored cursor, so that a
                // selection made backwards comes back with its cursor at its start.
                function restoreSelection() {
                    const lo = Math.min(root.selected_start, root.selected_end, root.cursor_pos)
                    const hi = Math.max(root.selected_start, root.selected_end, root.cursor_pos)
                    if (lo < 0)
                        return
                    if (hi > length)
                        flick.takeTheRest()
                    const from = root.cursor_pos === lo && lo !== hi ? hi : lo
                    const to = from === hi ? lo : hi
                    cursorPosition = Math.min(from, length)
                    moveCursorSelection(Math.min(to, length), TextEdit.SelectCharacters)
                    flick.contentY = Math.max(0, Math.min(cursorRectangle.y - flick.height / 2,
                                                          flick.contentHeight - flick.height))
                }

                text: root.areaText()
                textFormat: root.is_rich_text ? TextEdit.RichText : TextEdit.PlainText
                readOnly: true
                selectByMouse: true
                selectByKeyboard: false
                persistentSelection: true
                wrapMode: TextEdit.WrapAtWordBoundaryOrAnywhere
                font.pixelSize: 16
                font.family: m_const.isChina ? FV.FontChina : FV.FontRoboto
                selectionColor: activeFocus ? Material.accentColor : Material.hintTextColor
                leftPadding: m_const.main_list_left_padding / 2
                rightPadding: m_const.main_list_left_padding
                topPadding: m_const.main_list_left_padding / 2
                bottomPadding: m_const.main_list_left_padding

                background: Rectangle {
                    color: area.Material.background
                    radius: m_const.wnd_radius
                }

                onSelectionStartChanged: root.selected_start = selectionStart
                onSelectionEndChanged: root.selected_end = selectionEnd
                onCursorPositionChanged: root.cursor_pos = cursorPosition
                Component.onCompleted: {
                    root.selected_start = selectionStart
                    root.selected_end = selectionEnd
                    root.cursor_pos = cursorPosition
                }

                Keys.onPressed: {
                    if (event.matches(StandardKey.SelectAll))
                        flick.takeTheRest()
                    event.accepted = false
                }

                onLinkActivated: Qt.openUrlExternally(link)
                ToolTip.visible: hoveredLink !== ""
                ToolTip.text: hoveredLink
                ToolTip.delay: Qt.styleHints.mousePressAndHoldInterval

                TextMatchMarker {
                    objectName: "text_marks"
                    document: area.textDocument
                    key: root.highlight_key
                    color: root.match_color
                }

                Connections {
                    target: root
                    function onSigSelectText() {
                        area.restoreSelection()
                    }
                }
            }
        }
    }
}
