import QtQuick 2.12
import QtQuick.Window 2.12
import QtTest 1.12
import "qrc:/qml/ctrls"

// Moving a real window by dragging its face. A file of its own: the extra window it opens
// and closes must not share a run with tests that grab the test window's pixels.
Item {
    id: root
    width: 400
    height: 300

    Component {
        id: wnd_comp
        Window {
            id: wnd
            x: 100
            y: 80
            width: 240
            height: 160
            visible: true
            property alias face: face
            property alias mover: mover
            Item {
                id: face
                anchors.fill: parent
                anchors.margins: 10
                MouseWndMover {
                    id: mover
                    wnd_move_target: wnd
                    wnd_offset: 10
                }
            }
        }
    }

    TestCase {
        name: "MouseWndMover"
        when: windowShown

        function test_drag_moves_window_by_mouse_delta() {
            const wnd = createTemporaryObject(wnd_comp, root)
            waitForRendering(wnd.contentItem)
            const mover = wnd.mover
            compare(mover.width, wnd.face.width, "fills its anchor")
            compare(mover.height, wnd.face.height)
            compare(mover.cursorShape, Qt.ArrowCursor)
            mousePress(mover, 20, 20)
            verify(mover.is_pressed)
            compare(mover.pressed_x, 20)
            compare(mover.pressed_y, 20)
            mouseMove(mover, 50, 45)
            compare(wnd.x, 130, "moved right by the mouse's 30")
            compare(wnd.y, 105, "moved down by the mouse's 25")
            // The face moved with the window, so the same local point means no movement.
            mouseMove(mover, 20, 20)
            compare(wnd.x, 130)
            mouseMove(mover, 10, 5)
            compare(wnd.x, 120)
            compare(wnd.y, 90)
            mouseRelease(mover, 10, 5)
            verify(!mover.is_pressed)
            mouseMove(mover, 60, 60)
            compare(wnd.x, 120, "no movement after the release")
            compare(wnd.y, 90)
        }
    }
}
