// Items for the details panel tests, made the way the program makes them: through the
// clipboard into the real Clipboard list (m_model). `t` is the calling TestCase.

// A folder for fixture files inside the test's own cache.
function fixtureDir() {
    return m_utilities.decodeLocalFileUrl(m_model.getImgUrl("fixture")).replace(/fixture\.png$/, "")
}

function waitForNewTop(t, before, what) {
    t.tryVerify(function () { return m_model.rowCount() === before + 1 }, 3000,
                "captured: " + what)
    return m_model.getMd5(0)
}

// Returns the new item's key.
function captureText(t, text) {
    const before = m_model.rowCount()
    m_utilities.copyPlainText(text)
    return waitForNewTop(t, before, text)
}

function captureHtml(t, html) {
    const before = m_model.rowCount()
    m_utilities.copyHtml(html)
    return waitForNewTop(t, before, html)
}

// A picture of `item` saved as name + ".png"; returns its path.
function savePicture(t, item, name) {
    const path = fixtureDir() + name + ".png"
    t.grabImage(item).save(path) // throws when it cannot
    return path
}

// An image item with the picture of `item`, copied from its file as the user would.
function captureImage(t, item, name) {
    captureText(t, savePicture(t, item, name))
    const before = m_model.rowCount()
    m_utilities.copyImgFromUrl(m_model, 0)
    return waitForNewTop(t, before, "image " + name)
}

function row(md5) {
    return m_model.indexOfMD5(md5)
}

// The page the panel shows.
function page(t, view) {
    return t.findChild(view, "loaded_details").item
}

function pageName(t, view) {
    const source = t.findChild(view, "loaded_details").source.toString()
    return source.substring(source.lastIndexOf("/") + 1)
}
