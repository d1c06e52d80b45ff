import QtQuick 2.12
import QtQuick.Controls 2.5
import QtQuick.Controls.Material 2.5
import QtTest 1.12
import "qrc:/qml/ctrls"

// The face of a frameless window: the container and the half-rounded bar.
Item {
    id: root
    width: 400
    height: 300

    Component {
        id: container_comp
        Item {
            width: 300
            height: 200
            property alias box: box
            WndContainer {
                id: box
            }
        }
    }

    Component {
        id: half_comp
        HalfRadiusRt {
            width: 120
            height: 52
            radius: 4
            color: "#336699"
        }
    }

    Component {
        id: shadow_comp
        Rectangle {
            width: 120
            height: 120
            color: "white"
            Rectangle {
                x: 40
                y: 40
                width: 40
                height: 40
                radius: 4
                color: "#336699"
                SoftShadow {
                    z: -1
                    anchors.fill: parent
                    spread: 8
                    offsetY: 2
                    cornerRadius: parent.radius
                    strength: 0.4
                }
            }
        }
    }

    Component {
        id: dialog_comp
        Rectangle {
            width: 300
            height: 260
            color: "white"
            property alias dialog: dialog
            Dialog {
                id: dialog
                x: 50
                y: 50
                width: 200
                height: 150
                modal: false
                background: PopupBackground {}
                enter: null
                exit: null
            }
        }
    }

    Component {
        id: ripple_comp
        Rectangle {
            width: 200
            height: 120
            color: "white"
            property alias ripple: ripple
            PressRipple {
                id: ripple
                x: 50
                y: 40
                width: 100
                height: 40
                color: "#ff0000"
            }
        }
    }

    function shadeOf(color) {
        return (color.r + color.g + color.b) / 3
    }

    TestCase {
        name: "WindowFace"
        when: windowShown

        function test_container_draws_inside_the_shadow_margin() {
            const holder = createTemporaryObject(container_comp, root)
            const box = holder.box
            verify(m_const.isWin)
            compare(box.shadow_len, m_const.shadow_len)
            compare(box.x, box.shadow_len)
            compare(box.width, holder.width - 2 * box.shadow_len)
            compare(box.height, holder.height - 2 * box.shadow_len)
            compare(box.radius, box.shadow_len > 0 ? m_const.wnd_radius : 0)
            compare(box.border.width, 1)
            const shadow = findChild(box, "elevation_shadow")
            verify(shadow, "elevation shadow")
            compare(shadow.visible, box.shadow_len > 0)
            verify(Qt.colorEqual(box.color, box.Material.background))
        }

        // No compositor runs here: no margin, and no corner pixel left see-through.
        function test_container_without_margin_has_square_corners() {
            const holder = createTemporaryObject(container_comp, root)
            const box = holder.box
            compare(box.shadow_len, 0)
            let shot = null
            tryVerify(function () {
                shot = grabImage(holder)
                return shot.width === holder.width
            }, 3000)
            for (const [x, y] of [[0, 0], [299, 0], [0, 199], [299, 199]])
                verify(Qt.colorEqual(shot.pixel(x, y), box.border.color),
                       "corner " + x + "," + y + ": " + shot.pixel(x, y))
        }

        function test_container_border_follows_theme() {
            const holder = createTemporaryObject(container_comp, root)
            holder.Material.theme = Material.Light
            verify(Qt.colorEqual(holder.box.border.color, "#d9d9d9"))
            holder.Material.theme = Material.Dark
            verify(Qt.colorEqual(holder.box.border.color, "#171717"))
        }

        function test_half_radius_bottom_is_square() {
            const bar = createTemporaryObject(half_comp, root)
            let shot = null
            tryVerify(function () {
                shot = grabImage(bar)
                return Qt.colorEqual(shot.pixel(60, 26), "#336699")
            }, 15000)
            verify(Qt.colorEqual(shot.pixel(0, 51), "#336699"), "bottom-left corner filled")
            verify(Qt.colorEqual(shot.pixel(119, 51), "#336699"), "bottom-right corner filled")
            verify(!Qt.colorEqual(shot.pixel(0, 0), "#336699"), "top-left corner rounded")
        }

        function test_half_radius_shadow_switch() {
            const bar = createTemporaryObject(half_comp, root)
            const glow = bar.children[1]
            compare(glow.spread, 4)
            compare(glow.cornerRadius, bar.radius)
            bar.enableShadow(false)
            verify(!glow.enabled)
            tryCompare(glow, "spread", 0, 2000)
            bar.enableShadow(true)
            verify(glow.enabled)
            tryCompare(glow, "spread", 4, 2000)
            // Made without its glow, a bar has none from the start rather than fading it out.
            const plain = createTemporaryObject(half_comp, root, { shadow_on: false })
            compare(plain.children[1].spread, 0)
            verify(!plain.children[1].enabled)
        }

        // Plain shapes, so the software backend draws the shadow as OpenGL does: darker
        // next to the edge, fading out before its spread ends, never over the face.
        function test_soft_shadow_fades_out_around_the_face() {
            const holder = createTemporaryObject(shadow_comp, root)
            let shot = null
            tryVerify(function () {
                shot = grabImage(holder)
                return Qt.colorEqual(shot.pixel(60, 60), "#336699")
            }, 3000)
            const near = shadeOf(shot.pixel(60, 81))
            const middle = shadeOf(shot.pixel(60, 85))
            verify(near < 0.9, "next to the bottom edge: " + shot.pixel(60, 81))
            verify(near < middle && middle < 1, "fading: " + near + " " + middle)
            verify(shadeOf(shot.pixel(37, 60)) < 1, "left edge shadowed")
            for (const [x, y] of [[60, 95], [20, 60], [100, 60], [60, 20]])
                verify(Qt.colorEqual(shot.pixel(x, y), "white"), "beyond the spread " + x + "," + y)
            verify(Qt.colorEqual(shot.pixel(41, 60), "#336699"), "face untouched")
        }

        function test_dialog_is_lifted_by_a_drawn_shadow_in_both_themes() {
            for (const theme of [Material.Light, Material.Dark]) {
                const holder = createTemporaryObject(dialog_comp, root)
                holder.Material.theme = theme
                holder.dialog.open()
                verify(findChild(holder.dialog.background, "popup_shadow"))
                let shot = null
                tryVerify(function () {
                    shot = grabImage(holder)
                    return Qt.colorEqual(shot.pixel(150, 120), holder.dialog.Material.dialogColor)
                }, 3000)
                verify(shadeOf(shot.pixel(150, 203)) < 0.95, "below the dialog: " + shot.pixel(150, 203))
                verify(Qt.colorEqual(shot.pixel(150, 240), "white"), "far below")
                holder.dialog.close()
            }
        }

        // Hover tint and press wave stay inside the control, with every backend.
        function test_press_ripple_stays_inside() {
            const holder = createTemporaryObject(ripple_comp, root)
            const ripple = holder.ripple
            ripple.active = true
            ripple.pressed = true
            let shot = null
            tryVerify(function () {
                shot = grabImage(holder)
                return Qt.colorEqual(shot.pixel(100, 60), "#ff0000")
            }, 3000)
            for (const [x, y] of [[100, 38], [100, 82], [48, 60], [152, 60], [5, 5]])
                verify(Qt.colorEqual(shot.pixel(x, y), "white"), "outside " + x + "," + y)
            ripple.active = false
            ripple.pressed = false
            tryVerify(function () {
                return Qt.colorEqual(grabImage(holder).pixel(100, 60), "white")
            }, 3000)
        }
    }
}
