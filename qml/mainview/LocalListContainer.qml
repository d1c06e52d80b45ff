import QtQuick 2.12
import QtQuick.Controls 2.5

// The local page: the Clipboard list, with the Pin list pushed on top for the Pin view.
StackView {
    id: root

    property alias main_model: main_list.model
    property alias pin_model: pin_list.model
    property alias main_view: main_list
    property alias pin_view: pin_list

    function switchView(is_to_pin) {
        const pin_on_top = currentItem === pin_list
        if (is_to_pin && !pin_on_top)
            push(pin_list)
        else if (!is_to_pin && pin_on_top)
            pop()
    }

    initialItem: main_list

    onCurrentItemChanged: {
        if (currentItem)
            m_utilities.sigShowDetails(currentItem.model, currentItem.currentIndex)
    }

    MainListLocal {
        id: main_list
        objectName: "main_list"
        model: m_model
    }

    MainListPin {
        id: pin_list
        objectName: "pin_list"
        model: m_model_pin
        visible: false
    }
}
