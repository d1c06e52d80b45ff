import QtQuick 2.12
import QtTest 1.12
import "qrc:/qml/ctrls"

// Dash arithmetic of DashLine and what it actually paints.
Item {
    id: root
    width: 300
    height: 200

    Component {
        id: line_comp
        DashLine {
            width: 100
            height: 4
        }
    }

    TestCase {
        name: "DashLine"
        when: windowShown

        function make(props) {
            return createTemporaryObject(line_comp, root, props)
        }

        function test_defaults() {
            const line = make({})
            compare(line.start_x, 0)
            compare(line.start_y, 0)
            compare(line.end_x, line.width)
            compare(line.end_y, line.height)
            verify(line.dashed)
            compare(line.dash_length, 10)
            compare(line.dash_space, 8)
            compare(line.line_width, 2)
            compare(line.stipple_length, 18)
            verify(Qt.colorEqual(line.draw_color, "black"))
        }

        function test_horizontal_segments() {
            const line = make({ start_x: 0, start_y: 2, end_x: 100, end_y: 2 })
            const pieces = line.segments()
            compare(pieces.length, 5, "floor(100 / 18) whole stipples")
            const step = 100 / 5
            for (let i = 0; i < pieces.length; ++i) {
                fuzzyCompare(pieces[i][0], i * step, 1e-9)
                fuzzyCompare(pieces[i][2], i * step + step * 10 / 18, 1e-9, "dash fraction 10/18")
                compare(pieces[i][1], 2)
                compare(pieces[i][3], 2)
            }
        }

        function test_diagonal_and_reversed_segments() {
            // 3-4-5 triangle: length 90 gives five stipples along the slope.
            const line = make({ start_x: 60, start_y: 80, end_x: 6, end_y: 8, dash_length: 9,
                                dash_space: 9 })
            const pieces = line.segments()
            compare(pieces.length, 5)
            fuzzyCompare(pieces[0][0], 60, 1e-9)
            fuzzyCompare(pieces[0][1], 80, 1e-9)
            fuzzyCompare(pieces[0][2], 60 - 54 / 10, 1e-9)
            fuzzyCompare(pieces[0][3], 80 - 72 / 10, 1e-9)
            fuzzyCompare(pieces[4][2], 60 - 54 * 0.9, 1e-9)
        }

        function test_stipple_fallback_data() {
            return [
                { tag: "both zero", dash: 0, space: 0 },
                { tag: "negative sum", dash: 4, space: -10 }
            ]
        }
        function test_stipple_fallback(data) {
            const line = make({ start_x: 0, start_y: 0, end_x: 100, end_y: 0,
                                dash_length: data.dash, dash_space: data.space })
            compare(line.stipple_length, 16)
            compare(line.segments().length, Math.floor(100 / 16))
        }

        function test_solid_and_short_lines() {
            const solid = make({ dashed: false, start_x: 1, start_y: 2, end_x: 3, end_y: 4 })
            compare(JSON.stringify(solid.segments()), JSON.stringify([[1, 2, 3, 4]]))
            const short_line = make({ start_x: 0, start_y: 0, end_x: 17, end_y: 0 })
            compare(short_line.segments().length, 0, "shorter than one stipple")
        }

        function test_paints_dashes_and_gaps() {
            const line = make({ start_x: 0, start_y: 2, end_x: 100, end_y: 2,
                                draw_color: "red" })
            let shot = null
            tryVerify(function () {
                shot = grabImage(line)
                return Qt.colorEqual(shot.pixel(5, 2), "red")
            }, 15000, "a dash is painted in the drawing colour")
            // Stipples of 20: dashes on 0..11.1, 20..31.1, ...; gaps between.
            verify(Qt.colorEqual(shot.pixel(25, 2), "red"))
            verify(!Qt.colorEqual(shot.pixel(15, 2), "red"), "gap left undrawn")
            verify(!Qt.colorEqual(shot.pixel(35, 2), "red"), "gap left undrawn")
            line.dashed = false
            tryVerify(function () { return Qt.colorEqual(grabImage(line).pixel(15, 2), "red") },
                      3000, "solid after switching dashing off")
        }
    }
}
