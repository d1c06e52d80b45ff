import QtQuick 2.12

// A soft shadow around an opaque rounded rectangle, made of a few translucent rings, so it
// draws the same with OpenGL and with Qt Quick's software backend, which has no shader
// effects. Fill the item that casts it; the shadow spreads `spread` pixels beyond its edges.
// Each ring paints only its own band, so nothing is blended twice and a repaint stays cheap.
Item {
    id: root

    property real spread: 4
    property real cornerRadius: 0
    property color color: "black"
    // Opacity next to the edge; it fades to nothing at the outer end.
    property real strength: 0.3
    property real offsetY: 0

    // Whole-pixel rings meet without seams.
    readonly property int step: 2
    readonly property int rings: Math.max(0, Math.round(spread / step))

    function ringOpacity(ring) {
        // A blur's edge falls off roughly with the square of the distance.
        return strength * Math.pow(1 - (ring + 0.5) / rings, 2)
    }

    // Under the face, where the offset shows it, as dark as the innermost ring.
    Rectangle {
        y: root.offsetY
        width: root.width
        height: root.height
        radius: root.cornerRadius
        color: root.color
        opacity: root.rings > 0 ? root.ringOpacity(0) : 0
        visible: root.offsetY !== 0
        antialiasing: true
    }

    Repeater {
        model: root.rings
        Rectangle {
            readonly property real grow: root.step * (index + 1)
            x: -grow
            y: -grow + root.offsetY
            width: root.width + 2 * grow
            height: root.height + 2 * grow
            radius: root.cornerRadius + grow
            color: "transparent"
            border.width: root.step
            border.color: root.color
            opacity: root.ringOpacity(index)
            antialiasing: true
        }
    }
}
