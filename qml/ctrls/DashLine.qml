import QtQuick 2.12

// A straight line, solid or dashed, from (start_x, start_y) to (end_x, end_y).
Canvas {
    id: root

    property real start_x: 0
    property real start_y: 0
    property real end_x: width
    property real end_y: height
    property bool dashed: true
    property real dash_length: 10
    property real dash_space: 8
    property real line_width: 2
    property real stipple_length: dash_length + dash_space > 0 ? dash_length + dash_space : 16
    property color draw_color: "black"

    // The drawn pieces as [x1, y1, x2, y2]: the line is cut into whole stipples, and each
    // stipple draws its dash fraction and skips the rest.
    function segments() {
        const dx = end_x - start_x
        const dy = end_y - start_y
        if (!dashed)
            return [[start_x, start_y, end_x, end_y]]
        const count = Math.floor(Math.sqrt(dx * dx + dy * dy) / stipple_length)
        const fraction = dash_length / stipple_length
        const result = []
        for (let i = 0; i < count; ++i) {
            const a = i / count
            const b = (i + fraction) / count
            result.push([start_x + dx * a, start_y + dy * a, start_x + dx * b, start_y + dy * b])
        }
        return result
    }

    onPaint: {
        const ctx = getContext("2d")
        ctx.clearRect(0, 0, width, height)
        ctx.strokeStyle = draw_color
        ctx.lineWidth = line_width
        ctx.beginPath()
        const pieces = segments()
        for (let i = 0; i < pieces.length; ++i) {
            ctx.moveTo(pieces[i][0], pieces[i][1])
            ctx.lineTo(pieces[i][2], pieces[i][3])
        }
        ctx.stroke()
    }

    onStart_xChanged: requestPaint()
    onStart_yChanged: requestPaint()
    onEnd_xChanged: requestPaint()
    onEnd_yChanged: requestPaint()
    onDashedChanged: requestPaint()
    onDash_lengthChanged: requestPaint()
    onStipple_lengthChanged: requestPaint()
    onLine_widthChanged: requestPaint()
    onDraw_colorChanged: requestPaint()
    // A canvas painted while hidden keeps an empty buffer; draw again when shown.
    onVisibleChanged: if (visible) requestPaint()
}
