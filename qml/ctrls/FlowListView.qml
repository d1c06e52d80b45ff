import QtQuick 2.12

// A flickable flow of delegates with a current index, like a ListView that wraps.
Flickable {
    id: root

    property int currentIndex: -1
    property var currentItem: entryAt(currentIndex)
    property alias spacing: flow_box.spacing
    property alias count: repeater.count
    property alias delegate: repeater.delegate
    property alias flow: flow_box.flow
    property alias model: repeater.model

    function entryAt(i) {
        if (i < 0 || i >= count || !model)
            return undefined
        return typeof model.get === "function" ? model.get(i) : model[i]
    }

    contentWidth: width
    contentHeight: flow_box.height

    onCountChanged: {
        if (currentIndex < 0 && count > 0)
            currentIndex = 0
        else if (currentIndex >= count)
            currentIndex = count - 1
    }

    Flow {
        id: flow_box
        width: root.width

        move: Transition {
            SequentialAnimation {
                NumberAnimation {
                    property: "opacity"
                    to: 0.4
                    duration: 100
                }
                NumberAnimation {
                    property: "opacity"
                    to: 1
                    duration: 100
                }
            }
            NumberAnimation {
                properties: "x,y"
                duration: 200
                easing.type: Easing.OutCubic
            }
        }

        Repeater {
            id: repeater
        }
    }
}
