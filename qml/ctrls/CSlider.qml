import QtQuick 2.12
import QtQuick.Controls 2.5

// A slider whose handle shows the integer value while it is held.
Slider {
    id: control

    stepSize: 1
    font.pixelSize: 14

    // While dragging the value follows the handle, so the tip reads the handle's position.
    function tipValue() {
        return Math.trunc(pressed ? from + (to - from) * position : value)
    }

    ToolTip {
        parent: control.handle
        visible: control.pressed
        text: control.tipValue()
        font: control.font
    }
}
