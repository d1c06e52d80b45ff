import QtQuick 2.12
import "../OptionalServices.js" as Services

// The search area: one search field per list, of which the one of the current view shows,
// and the button that switches between the Clipboard and the Pin view.
Row {
    id: root

    signal sigSwitchViewBtnClicked(bool is_pin_btn_checked)
    signal filterLocalTextChanged(bool is_main, string text)
    signal filterRemoteTextChanged(string text, string ip)

    readonly property real field_width: width - m_const.main_list_left_padding * 1.5
                                        - (pin_view_btn.visible ? pin_view_btn.width : 0)

    function remoteField(loader) {
        return loader.active && loader.visible ? loader.item : null
    }
    function visibleField() {
        if (filter_pin.visible)
            return filter_pin
        if (filter_main.visible)
            return filter_main
        return remoteField(loader_filter_1) || remoteField(loader_filter_2)
    }
    // The search text that belongs to a list's model, whichever field shows now.
    function textFor(m) {
        if (m.isLocal())
            return m.isPin() ? filter_pin.text : filter_main.text
        for (const loader of [loader_filter_1, loader_filter_2]) {
            if (loader.item && loader.ip === m.getIp())
                return loader.item.text
        }
        return ""
    }
    function curText() {
        const field = visibleField()
        return field ? field.text : ""
    }
    function switch2Local(is2main) {
        pin_view_btn.opacity = 1
        pin_view_btn.checked = !is2main
        filter_main.visible = is2main
        filter_pin.visible = !is2main
        loader_filter_1.visible = false
        loader_filter_2.visible = false
    }
    function switch2Ip(ip) {
        pin_view_btn.opacity = 0
        filter_main.visible = false
        filter_pin.visible = false
        loader_filter_1.visible = loader_filter_1.active && loader_filter_1.ip === ip
        loader_filter_2.visible = loader_filter_2.active && loader_filter_2.ip === ip
    }
    // A field that now belongs to another host starts empty.
    function assignHost(loader, ip) {
        if (loader.ip !== ip && loader.item)
            loader.item.text = ""
        loader.ip = ip
    }
    function updateFilter() {
        const count = Services.hasConnector() ? m_connector.getHostsCount() : 0
        if (count >= 1)
            assignHost(loader_filter_1, m_connector.getHostsIP(0))
        if (count >= 2)
            assignHost(loader_filter_2, m_connector.getHostsIP(1))
        loader_filter_1.active = count >= 1
        loader_filter_2.active = count >= 2
    }
    function clearFilter() {
        filter_main.text = ""
        filter_pin.text = ""
        for (const loader of [loader_filter_1, loader_filter_2]) {
            if (loader.item)
                loader.item.text = ""
        }
    }
    function activeFilter() {
        const field = visibleField()
        if (field)
            field.forceActiveFocus()
    }

    Item {
        width: m_const.main_list_left_padding
        height: 1
    }

    Search_Input_Win {
        id: filter_main
        objectName: "filter_main"
        anchors.verticalCenter: parent.verticalCenter
        width: root.field_width
        onTextChanged: root.filterLocalTextChanged(true, text)
    }

    Search_Input_Win {
        id: filter_pin
        objectName: "filter_pin"
        anchors.verticalCenter: parent.verticalCenter
        width: root.field_width
        visible: false
        placeholderText: qsTranslate("MainView", "Search pinned")
        onTextChanged: root.filterLocalTextChanged(false, text)
    }

    Loader {
        id: loader_filter_1
        objectName: "filter_remote_1"
        property string ip: ""
        anchors.verticalCenter: parent.verticalCenter
        width: root.field_width
        active: false
        visible: false
        sourceComponent: remote_field
    }

    Loader {
        id: loader_filter_2
        objectName: "filter_remote_2"
        property string ip: ""
        anchors.verticalCenter: parent.verticalCenter
        width: root.field_width
        active: false
        visible: false
        sourceComponent: remote_field
    }

    Component {
        id: remote_field
        Search_Input_Win {
            readonly property string ip: parent ? parent.ip : ""
            placeholderText: qsTranslate("MainView", "Search") + " " + ip
            onTextChanged: root.filterRemoteTextChanged(text, ip)
        }
    }

    PinSwitcher {
        id: pin_view_btn
        objectName: "pin_view_btn"
        anchors.verticalCenter: parent.verticalCenter
        length: root.height
        // The window opens on the local Clipboard list, where the button shows; starting
        // hidden made every first show fade it in and slide the field narrower.
        opacity: 1
        visible: opacity !== 0
        Behavior on opacity {
            NumberAnimation {
                duration: 200
            }
        }
        onClicked: root.sigSwitchViewBtnClicked(checked)
    }

    Item {
        width: m_const.main_list_left_padding / 2
        height: 1
    }
}
