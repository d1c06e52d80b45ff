import QtQuick 2.12
import QtQuick.Controls 2.5
import "../ctrls"
import "../OptionalServices.js" as Services

// The pages of lists side by side: page 0 is the local page, then one page per linked
// host. Pages change only under program control.
PagesView {
    id: root

    readonly property alias lsv: lsv


    function switch2LocalPin() {
        if (currentIndex === 0)
            lsv.switchView(true)
    }
    function switch2LocalMain() {
        if (currentIndex === 0)
            lsv.switchView(false)
    }
    function switch2Local(need2main) {
        currentIndex = 0
        if (need2main)
            lsv.switchView(false)
    }
    function switch2Ip(ip) {
        const host = Services.hasConnector() ? m_connector.getHostsIndex(ip) : -1
        currentIndex = host === -1 ? 0 : host + 1
    }
    function isBusy() {
        return currentIndex === 0 ? lsv.busy : false
    }
    function isLocalView() {
        return currentIndex === 0
    }
    function getLocalMainList() {
        return lsv.main_view
    }
    function getCurList() {
        return currentIndex === 0 ? lsv.currentItem : currentItem
    }
    function getCurModel() {
        const list = getCurList()
        return list ? list.model : null
    }

    // Brings the remote pages in line with the linked hosts: pages of hosts that left go,
    // each new host gets a page.
    function updatesHostsList() {
        const count = Services.hasConnector() ? m_connector.getHostsCount() : 0
        if (count === 0) {
            currentIndex = 0
            lsv.forceActiveFocus()
            while (root.count > 1)
                removeItem(itemAt(root.count - 1))
            return
        }
        const host_ips = []
        for (let i = 0; i < count; ++i)
            host_ips.push(m_connector.getModel(i).getIp())
        for (let p = root.count - 1; p > 0; --p) {
            if (host_ips.indexOf(itemAt(p).model.getIp()) === -1)
                removeItem(itemAt(p))
        }
        for (let h = 0; h < count; ++h) {
            let shown = false
            for (let q = 1; q < root.count; ++q)
                shown = shown || itemAt(q).model.getIp() === host_ips[h]
            if (shown)
                continue
            const component = Qt.createComponent("qrc:/qml/mainview/MainListLocal.qml")
            const page = component.status === Component.Ready
                       ? component.createObject(lsv, { model: m_connector.getModel(h) }) : null
            if (page === null) {
                console.log("ListContainer: no page for", host_ips[h], component.errorString())
                continue
            }
            addItem(page)
        }
    }

    interactive: false
    focus: false
    clip: true
    currentIndex: 0

    LocalListContainer {
        id: lsv
        objectName: "lsv"
    }
}
