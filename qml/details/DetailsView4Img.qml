import QtQuick 2.12
import QtQuick.Window 2.12

// An image, fitted to the page; in the main window it turns in quarter steps with the
// window's rotate button.
DetailsViewAbstract {
    id: root

    property var rotate_btn: null
    property url source: ""
    // A click only turns the picture once the previous turn has ended.
    readonly property bool turning: ani.running

    // A turn under way counts as done: it always runs to its end.
    function angle() {
        return ani.running ? ani.to : img.rotation
    }

    function isRotated() {
        return angle() % 360 !== 0
    }

    function updateSelectionData() {
        if (!isSelectionKept())
            return
        const quarter = (Math.round((angle() % 360) / 90) * 90) % 360
        model.updateSelection(md5, String(isRotated() ? quarter : 0))
    }

    function updateSelectionUI() {
        if (!isSelectionKept())
            return
        const stored = parseInt(model.getSelection(index), 10)
        if (!isNaN(stored))
            img.rotation = stored
    }

    function rotateBy90() {
        if (ani.running)
            return
        ani.from = img.rotation
        ani.to = img.rotation + 90
        ani.start()
    }

    onSourceChanged: {
        if (ani.running)
            ani.complete()
        img.rotation = 0
    }

    Component.onDestruction: updateSelectionData()

    Image {
        id: img
        objectName: "details_img"

        // The largest scale at which the fitted picture, turned by the current angle,
        // still fits the page; 1 when upright.
        function fitScale() {
            if (paintedWidth <= 0 || paintedHeight <= 0)
                return 1
            const a = rotation * Math.PI / 180
            const c = Math.abs(Math.cos(a))
            const s = Math.abs(Math.sin(a))
            return Math.min(1, width / (paintedWidth * c + paintedHeight * s),
                            height / (paintedWidth * s + paintedHeight * c))
        }

        anchors.fill: parent
        source: root.source
        // Decoded no larger than the page can show, turned either way: a screenshot of a
        // large screen stays a few megabytes in memory. Zero (no size yet) decodes it whole.
        readonly property int side: Math.ceil(Math.max(root.width, root.height)
                                              * Screen.devicePixelRatio)
        sourceSize.width: side
        sourceSize.height: side
        fillMode: Image.PreserveAspectFit
        horizontalAlignment: root.is_selectable ? Image.AlignHCenter : Image.AlignLeft
        verticalAlignment: Image.AlignVCenter
        // Decoded off the interface thread: the selected row shows at once, the picture
        // as soon as it is read, and the next key is not held up by a large PNG.
        asynchronous: true
        // Not kept in the toolkit's cache once another item is shown: a screenshot's picture
        // is a few megabytes that a hidden program would otherwise hold for minutes.
        cache: false
        scale: fitScale()

        onRotationChanged: {
            if (root.rotate_btn)
                root.rotate_btn.checked = root.isRotated()
        }
    }

    RotationAnimation {
        id: ani
        target: img
        property: "rotation"
        duration: 250
        direction: RotationAnimation.Clockwise
        easing.type: Easing.OutCubic
        alwaysRunToEnd: true
    }

    Connections {
        target: root.is_selectable ? m_utilities : null
        function onSigDetailsPicRotate(btn) {
            root.rotate_btn = btn
            btn.checked = root.isRotated()
        }
    }

    Connections {
        target: root.rotate_btn
        function onClicked() {
            root.rotateBy90()
            // A click during a turn only toggled the button.
            root.rotate_btn.checked = root.isRotated()
        }
    }
}
