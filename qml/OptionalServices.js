// Services that later parts of the program bring (linking with other hosts, drag-out) may
// be missing from a window's context; every user asks here before touching them. Not a
// shared library on purpose: it resolves the names in the importing document's context.

function hasConnector() {
    return typeof m_connector !== "undefined" && m_connector !== null
}

function hasDrag() {
    return typeof m_drag !== "undefined" && m_drag !== null
}
