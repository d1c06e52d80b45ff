import QtQuick 2.12
import QtQuick.Controls 2.5
import QtQuick.Controls.Material 2.5
import QtQuick.Window 2.12
import "../ctrls"
import "../FontVars.js" as FV

// The Clipboard page: list size, the three global hot keys, the quick paste row height
// and when the quick paste window hides.
ScrollView {
    id: root

    signal sigShowKeysDlg()

    // The labels share a column as wide as the widest of them, at least as wide as the
    // row-height label with a blank.
    readonly property real label_width: Math.max(label_metrics.width, row_count.label_implicit_width,
                                                 row_clip.label_implicit_width,
                                                 row_quick.label_implicit_width,
                                                 row_quick_pin.label_implicit_width,
                                                 row_item_height.label_implicit_width)
    readonly property var key_fields: [key_clip, key_quick, key_quick_pin]

    function stored(key) {
        return m_ini.getIni(key)
    }
    // A key without a stored value or default reads as no hot key.
    function storedText(key) {
        const v = m_ini.getIni(key)
        return v === undefined || v === null ? "" : String(v)
    }

    function saveSettings() {
        const count = Math.round(max_count.value)
        if (count !== Number(stored(m_ini.stack_max_item_count()))) {
            m_ini.setIni(m_ini.stack_max_item_count(), count)
            m_utilities.sigUpdateModelMaxCount(count)
        }
        m_ini.setIni(m_ini.key_show_clipboard(), key_clip.text)
        m_ini.setIni(m_ini.key_show_quick_paste(), key_quick.text)
        m_ini.setIni(m_ini.key_show_quick_paste_pin(), key_quick_pin.text)
        // A row height is written only when the user picked another one, so that an OK for
        // a hot key keeps the stored value (and the lists' reading of it) as it was.
        if (itemheight.getCurIndex() !== itemheight.shown_height)
            m_ini.setIni(m_ini.stack_quickview_item_height(), itemheight.getCurIndex())
        m_ini.setIni(m_ini.stack_qp_hide(), qp_hide.currentIndex)
    }

    // Two hot keys cannot share a combination: the field just edited gives way.
    // Every field that is set counts, including when another is still empty.
    function clearIfDuplicate(edited) {
        if (edited.text === "")
            return
        const clash = key_fields.some(function (f) { return f !== edited && f.text === edited.text })
        if (!clash) {
            edited.tooltip_str = ""
            return
        }
        edited.text = ""
        edited.tooltip_str = qsTr("Duplicate shortcut.")
        edited.ToolTip.show(edited.tooltip_str, 3000)
    }

    // Shows a control that took the keyboard focus (Tab) in full.
    function scrollIntoView(item) {
        let inside = false
        for (let p = item; p && !inside; p = p.parent)
            inside = p === rows
        if (!inside)
            return
        const flick = root.contentItem
        const top = rows.mapFromItem(item, 0, 0).y
        const bottom = top + item.height
        if (top < flick.contentY)
            flick.contentY = Math.max(0, top - rows.spacing)
        else if (bottom > flick.contentY + root.availableHeight)
            flick.contentY = Math.min(rows.height - root.availableHeight,
                                      bottom + rows.spacing - root.availableHeight)
    }

    padding: 0
    clip: true
    // The page holds more than one item (the label probe too), so the scroll view cannot
    // tell its content size by itself; without it nothing scrolls.
    contentWidth: availableWidth
    contentHeight: rows.height
    ScrollBar.horizontal.policy: ScrollBar.AlwaysOff
    ScrollBar.vertical.policy: ScrollBar.AlwaysOn
    ScrollBar.vertical.interactive: true
    // The wheel stops at the ends instead of overshooting: a control reached stays put.
    Component.onCompleted: contentItem.boundsBehavior = Flickable.StopAtBounds

    Connections {
        target: root.Window.window
        function onActiveFocusItemChanged() {
            if (root.visible)
                root.scrollIntoView(root.Window.window.activeFocusItem)
        }
    }

    // The labels' column is as wide as this label in the labels' font.
    Label {
        id: label_probe
        visible: false
        font.pixelSize: 14
    }
    TextMetrics {
        id: label_metrics
        font: label_probe.font
        text: qsTr("Quick paste item") + ": "
    }

    Column {
        id: rows
        width: root.availableWidth
        spacing: 5
        leftPadding: 16
        rightPadding: 16

        SettingRow {
            id: row_count
            label: qsTr("Max item count") + ":"
            label_width: root.label_width

            CSlider {
                id: max_count
                objectName: "max_count"
                width: 220
                anchors.verticalCenter: parent.verticalCenter
                from: 10
                to: 300
                stepSize: 10
                snapMode: Slider.SnapAlways
                value: Number(root.stored(m_ini.stack_max_item_count()))
            }
            // The chosen count stays in sight, not only while the handle is held.
            Label {
                objectName: "max_count_value"
                anchors.verticalCenter: parent.verticalCenter
                text: max_count.tipValue()
                font.pixelSize: 14
            }
        }
        SettingRow {
            id: row_clip
            label: qsTr("Show clipboard") + ":"
            label_width: root.label_width

            KeySequenceEdit {
                id: key_clip
                objectName: "key_clip"
                width: 190
                anchors.verticalCenter: parent.verticalCenter
                text: root.storedText(m_ini.key_show_clipboard())
                onTextChanged: root.clearIfDuplicate(key_clip)
            }
        }
        SettingRow {
            id: row_quick
            label: qsTr("Show quick paste") + ":"
            label_width: root.label_width

            KeySequenceEdit {
                id: key_quick
                objectName: "key_quick"
                width: 190
                anchors.verticalCenter: parent.verticalCenter
                text: root.storedText(m_ini.key_show_quick_paste())
                onTextChanged: root.clearIfDuplicate(key_quick)
            }
        }
        SettingRow {
            id: row_quick_pin
            label: qsTr("Show quick pin") + ":"
            label_width: root.label_width

            KeySequenceEdit {
                id: key_quick_pin
                objectName: "key_quick_pin"
                width: 190
                anchors.verticalCenter: parent.verticalCenter
                text: root.storedText(m_ini.key_show_quick_paste_pin())
                onTextChanged: root.clearIfDuplicate(key_quick_pin)
            }
        }
        SettingRow {
            id: row_item_height
            label: qsTr("Quick paste item") + ":"
            label_width: root.label_width
            height: 64

            QuickPasteItemHeightCtrl {
                id: itemheight
                objectName: "itemheight"
                // The height shown when the page opened.
                property int shown_height: 0
                anchors.verticalCenter: parent.verticalCenter
                onSigClickedHeightChanged: m_ini.sigQuickpasteItemHeightChanged(height)
                Component.onCompleted: {
                    setCurIndex(Number(root.stored(m_ini.stack_quickview_item_height())))
                    shown_height = getCurIndex()
                }
            }
        }
        SettingRow {
            label: qsTr("Hide quick paste view:")
            label_width: root.label_width

            ComboBox {
                id: qp_hide
                objectName: "qp_hide"
                popup.background: PopupBackground {}
                width: 190
                anchors.verticalCenter: parent.verticalCenter
                font.pixelSize: 14
                model: [qsTr("Item pasted"), qsTr("Focus lost")]
                currentIndex: Number(root.stored(m_ini.stack_qp_hide()))
            }
        }

        BtnWithIcon {
            objectName: "keyboard_btn"
            flat: true
            icon_text: FV.Keyboard
            display_text: qsTr("Keyboard")
            onClicked: root.sigShowKeysDlg()
        }
    }
}
