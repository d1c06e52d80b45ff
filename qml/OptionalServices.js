// Services that later parts of the program bring (linking with other hosts, drag-out) may
// be missing from a window's context; every user asks here before touching them. Not a
// shared library on purpose: it resolves the names in the importing document's context.

function hasConnector() {
    return typeof m_connector !== "undefined" && m_connector !== null
}

// The host bar is one of the linking views, which are not built yet: a connector alone
// has no bar to load. This answers true once qml/datasync/HostsContainer.qml exists.
function hasHostBar() {
    return false
}

function hasDrag() {
    return typeof m_drag !== "undefined" && m_drag !== null
}
