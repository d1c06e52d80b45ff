import QtQuick 2.12
import QtQuick.Controls 2.5
import QtQuick.Controls.Material 2.5
import QtTest 1.12
import "qrc:/qml/ctrls"

// Buttons, text fields, the slider and the message box, driven by mouse and keyboard.
Item {
    id: root
    width: 500
    height: 400

    Component {
        id: field_comp
        CAnimatedLineEdit {
            width: 200
            property alias clear_btn: clear_btn
            TextFieldClearBtn {
                id: clear_btn
                anchors.verticalCenter: parent.verticalCenter
            }
        }
    }
    Component {
        id: other_focus_comp
        TextField {
            x: 250
        }
    }
    Component {
        id: list_btn_comp
        ListViewBtn {
            text: "\ue80e"
        }
    }
    Component {
        id: about_btn_comp
        AboutBtn {
            text: "\uf099"
        }
    }
    Component {
        id: btn_with_icon_comp
        BtnWithIcon {
            icon_text: "\ue81b"
            display_text: "Keyboard"
        }
    }
    Component {
        id: slider_comp
        CSlider {
            width: 300
            from: 10
            to: 300
            stepSize: 10
            value: 40
        }
    }
    Component {
        id: msg_comp
        MsgBox {
            width: 300
            height: 150
            info: "Count: 3"
        }
    }

    TestCase {
        name: "ButtonsFields"
        when: windowShown

        function test_clear_button_follows_text_and_clears() {
            const field = createTemporaryObject(field_comp, root)
            const btn = field.clear_btn
            verify(!btn.visible, "empty field: no clear button")
            field.text = "some text"
            verify(btn.visible, "shown with the first character, not faded in")
            compare(btn.x + btn.width, field.width, "at the field's right edge")
            compare(btn.font.pixelSize, field.font.pixelSize)
            compare(btn.focusPolicy, Qt.NoFocus)
            const other = createTemporaryObject(other_focus_comp, root)
            other.forceActiveFocus()
            verify(!field.activeFocus)
            mouseClick(btn)
            compare(field.text, "")
            verify(field.activeFocus, "the field takes the focus to type again")
            verify(!btn.visible)
        }

        function test_line_edit_underline_follows_focus() {
            const field = createTemporaryObject(field_comp, root)
            const line = field.background
            compare(field.font.pixelSize, 16)
            compare(field.font.family, m_const.isChina ? "Microsoft Yahei" : "Roboto")
            verify(field.selectByMouse)
            compare(line.height, 1)
            verify(Qt.colorEqual(line.color, field.Material.hintTextColor))
            field.forceActiveFocus()
            tryCompare(line, "height", 2, 1000)
            tryVerify(function () { return Qt.colorEqual(line.color, field.Material.accentColor) },
                      1000)
            compare(line.width, field.width)
            compare(line.y + line.height, field.height - field.bottomPadding / 2)
        }

        function test_list_view_button_is_round_and_sized_by_length() {
            const btn = createTemporaryObject(list_btn_comp, root, { length: 36 })
            compare(btn.width, 36)
            compare(btn.height, 36)
            compare(btn.background.radius, 18)
            compare(btn.font.pixelSize, 17)
            compare(btn.font.family, "psfont")
            verify(!btn.highlighted)
            mouseMove(btn, 18, 18)
            tryCompare(btn, "highlighted", true, 1000)
            compare(btn.background.color.a, 0, "transparent until pressed")
            mousePress(btn, 18, 18)
            tryVerify(function () {
                return Qt.colorEqual(btn.background.color, btn.Material.rippleColor)
            }, 1000, "ripple colour while pressed")
            mouseRelease(btn, 18, 18)
            tryCompare(btn.background.color, "a", 0, 1000)
        }

        function test_font_icon_button_tooltip() {
            const btn = createTemporaryObject(list_btn_comp, root, { tooltip_str: "Copy" })
            verify(!btn.ToolTip.visible)
            mouseMove(btn, 5, 5)
            tryCompare(btn, "hovered", true, 1000)
            tryVerify(function () { return btn.ToolTip.visible }, 3000, "tooltip while hovered")
            compare(btn.ToolTip.text, "Copy")
            compare(btn.ToolTip.delay, Qt.styleHints.mousePressAndHoldInterval)
            btn.tooltip_str = ""
            tryVerify(function () { return !btn.ToolTip.visible }, 3000, "no tooltip without text")
        }

        function test_about_button_theme_and_size() {
            const btn = createTemporaryObject(about_btn_comp, root)
            compare(btn.width, btn.contentItem.implicitWidth + 2 * btn.padding)
            compare(btn.height, btn.width)
            compare(btn.ToolTip.delay, 0)
            btn.Material.theme = Material.Light
            verify(Qt.colorEqual(btn.background.color, "#616161"))
            verify(Qt.colorEqual(btn.textcolor, "white"))
            btn.Material.theme = Material.Dark
            verify(Qt.colorEqual(btn.background.color, "#bdbdbd"))
            verify(Qt.colorEqual(btn.textcolor, btn.Material.background))
            verify(Qt.colorEqual(btn.contentItem.color, btn.textcolor))
        }

        function test_button_with_icon_colours() {
            const btn = createTemporaryObject(btn_with_icon_comp, root)
            verify(Qt.colorEqual(btn.content_color, btn.Material.foreground))
            btn.highlighted = true
            verify(Qt.colorEqual(btn.content_color, btn.Material.primaryHighlightedTextColor))
            btn.flat = true
            verify(Qt.colorEqual(btn.content_color, btn.Material.accentColor))
            btn.enabled = false
            verify(Qt.colorEqual(btn.content_color, btn.Material.hintTextColor))
            compare(btn.font.pixelSize, 14)
        }

        function test_button_with_icon_elides_long_text() {
            const btn = createTemporaryObject(btn_with_icon_comp, root,
                                              { display_text: "A very long label for a button",
                                                width: 120 })
            const row = btn.contentItem.children[0]
            verify(row.width <= btn.availableWidth, "content stays inside the button")
            verify(row.children[1].truncated, "the text is elided")
        }

        function test_slider_tooltip_shows_integer_value() {
            const slider = createTemporaryObject(slider_comp, root)
            compare(slider.tipValue(), 40)
            const handle = slider.handle
            mousePress(handle, handle.width / 2, handle.height / 2)
            tryCompare(slider, "pressed", true, 1000)
            mouseMove(slider, slider.width * 0.5, handle.y + handle.height / 2)
            const expected = Math.trunc(slider.from + (slider.to - slider.from) * slider.position)
            compare(slider.tipValue(), expected)
            verify(expected > 40, "the tip follows the drag")
            mouseRelease(slider, slider.width * 0.5, handle.y + handle.height / 2)
            compare(slider.tipValue(), Math.trunc(slider.value))
        }

        function test_message_box_shows_info_and_closes_on_escape() {
            const box = createTemporaryObject(msg_comp, root)
            verify(box.modal)
            box.open()
            tryCompare(box, "opened", true, 2000)
            const area = box.contentItem.contentItem.children[0]
            compare(area.text, "Count: 3")
            verify(area.readOnly)
            compare(area.font.pixelSize, 16)
            // Plain text on the dialog's own colour: no field underline below it, in
            // either theme.
            for (const theme of [Material.Light, Material.Dark]) {
                box.Material.theme = theme
                const flick = box.contentItem
                let shot = null
                tryVerify(function () {
                    shot = grabImage(flick)
                    return shot.width === Math.floor(flick.width)
                }, 2000)
                // The one line of text sits at the top; below it is only the dialog.
                const ground = shot.pixel(1, 1)
                for (let y = Math.floor(shot.height / 2); y < shot.height; ++y) {
                    for (let x = 0; x < shot.width; x += 7)
                        verify(Qt.colorEqual(shot.pixel(x, y), ground),
                               "theme " + theme + ": " + shot.pixel(x, y) + " at " + x + "," + y)
                }
            }
            keyClick(Qt.Key_Escape)
            tryCompare(box, "visible", false, 2000)
        }
    }
}
