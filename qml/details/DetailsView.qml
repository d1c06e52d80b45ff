import QtQuick 2.12
import CTypes 1.0
import "../OptionalServices.js" as Services

// The details panel: the full content of one item, one page per display type. Selectable
// in the main window (text selection, rotation, opening files); a passive preview in the
// quick paste window (can_select false).
Item {
    id: root

    property bool can_select: true
    // A search whose matches a text page marks.
    property string highlight_key: ""

    readonly property string page_dir: "qrc:/qml/details/"

    function clear() {
        showPage("DetailsView4Blank.qml", {})
    }

    function load(m, index) {
        if (!m || index < 0 || index >= m.rowCount())
            return
        const type = m.getType(index)
        const md5 = m.getMd5(index)
        const props = { "model": m, "index": index, "md5": md5, "is_selectable": can_select }
        switch (type) {
        case CTypes.Urls:
            props.urls = m.getVal(index)
            showPage("DetailsView4UrlsLocal.qml", props)
            break
        case CTypes.Image:
            if (m.isLocal() || m.isImgExists(md5)) {
                props.source = m.getPreviewUrl(md5)
                showPage("DetailsView4Img.qml", props)
            } else {
                showPage("DetailsViewLoading.qml", props)
                if (Services.hasConnector())
                    m_connector.downloadImg(m.getIp(), md5)
            }
            break
        case CTypes.Color:
            if (isShowing("DetailsView4Color.qml")) {
                // Kept, so that the colour change animates.
                const page = loaded_details.item
                page.model = m
                page.index = index
                page.md5 = md5
                page.is_selectable = can_select
                page.bg_color = m.getVal(index)
            } else {
                props.bg_color = m.getVal(index)
                showPage("DetailsView4Color.qml", props)
            }
            break
        case CTypes.Html:
        case CTypes.Text:
            props.is_rich_text = type === CTypes.Html
            props.text = m.getValPreview(index)
            props.highlight_key = highlight_key
            showPage("DetailsView4Text.qml", props)
            break
        default:
            console.trace()
            break
        }
    }

    function isShowing(file) {
        return loaded_details.item !== null
                && loaded_details.source.toString() === page_dir + file
    }

    function showPage(file, props) {
        // The old page goes away only on the next turn of the event loop; its selection is
        // saved now, so that a new page for the same item finds it.
        const old = loaded_details.item
        if (old && typeof old.updateSelectionData === "function")
            old.updateSelectionData()
        loaded_details.setSource(page_dir + file, props)
        const page = loaded_details.item
        if (page && typeof page.updateSelectionUI === "function")
            page.updateSelectionUI()
    }

    // The loading page waiting for that file from that host, or null.
    function loadingPageFor(path, ip) {
        if (!isShowing("DetailsViewLoading.qml"))
            return null
        const page = loaded_details.item
        if (!page.model || page.model.getIp() !== ip
                || page.md5 + ".png" !== m_utilities.getFileName(path))
            return null
        return page
    }

    clip: true

    onHighlight_keyChanged: {
        if (isShowing("DetailsView4Text.qml"))
            loaded_details.item.highlight_key = highlight_key
    }
    onVisibleChanged: {
        if (can_select && !visible)
            clear()
    }

    Loader {
        id: loaded_details
        objectName: "loaded_details"
        anchors.fill: parent
        asynchronous: false
        source: root.page_dir + "DetailsView4Blank.qml"
        onStatusChanged: {
            if (item)
                item.is_selectable = root.can_select
        }
    }

    // Remote images arrive through the connector, which exists only where hosts can be
    // linked (the main window).
    Connections {
        target: root.can_select && Services.hasConnector() ? m_connector : null

        function onSigFileDownloadProgress(file_name, ip, rate, readSize) {
            const page = root.loadingPageFor(file_name, ip)
            if (page)
                page.pos = rate
        }
        function onSigFileDownloadErr(file_path, ip, why) {
            const page = root.loadingPageFor(file_path, ip)
            if (page)
                page.err = why
        }
        function onSigFileDownloaded(file_path, ip) {
            const page = root.loadingPageFor(file_path, ip)
            if (!page)
                return
            // The mirror list may have been reloaded meanwhile: find the item by its key.
            const row = page.model.indexOfMD5(page.md5)
            if (row >= 0)
                root.load(page.model, row)
        }
    }
}
