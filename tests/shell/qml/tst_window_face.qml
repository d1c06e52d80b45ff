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
            verify(box.layer.enabled, "elevation shadow")
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
            compare(glow.glowRadius, 4)
            compare(glow.cornerRadius, bar.radius + 4)
            bar.enableShadow(false)
            verify(!glow.enabled)
            tryCompare(glow, "glowRadius", 0, 2000)
            tryCompare(glow, "cornerRadius", 0, 2000)
            bar.enableShadow(true)
            verify(glow.enabled)
            tryCompare(glow, "glowRadius", 4, 2000)
            tryCompare(glow, "cornerRadius", bar.radius + 4, 2000)
        }
    }
}
