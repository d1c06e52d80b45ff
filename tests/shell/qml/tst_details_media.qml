import QtQuick 2.12
import QtQuick.Controls 2.5
import QtTest 1.12
import CTypes 1.0
import "qrc:/qml/ctrls"
import "qrc:/qml/details"
import "tst_details_fixtures.js" as Fx

// Image and colour pages: rotation with the window's rotate button and its memory, remote
// images, and the colour notations.
Item {
    id: root
    width: 500
    height: 400

    Component {
        id: details_comp
        DetailsView {
            width: 480
            height: 300
        }
    }

    Component {
        id: rotate_btn_comp
        ListViewBtn {
            checkable: true
            length: 40
            text: "R"
        }
    }

    // A picture whose orientation shows: a wide red bar over a blue block.
    Item {
        id: picture
        width: 120
        height: 80
        Rectangle { width: 120; height: 20; color: "red" }
        Rectangle { y: 20; width: 40; height: 60; color: "blue" }
    }

    TestCase {
        id: t
        name: "DetailsImage"
        when: windowShown

        property string img_md5: ""

        function initTestCase() {
            img_md5 = Fx.captureImage(t, picture, "orientation")
            compare(m_model.getType(Fx.row(img_md5)), CTypes.Image)
        }

        function cleanup() {
            m_model.setLocal(true)
            m_model.setIp("")
        }

        function img(view) {
            return findChild(view, "details_img")
        }

        function test_local_image_is_shown_fitted() {
            const view = createTemporaryObject(details_comp, root)
            view.load(m_model, Fx.row(img_md5))
            compare(Fx.pageName(t, view), "DetailsView4Img.qml")
            const i = img(view)
            compare(i.source, m_model.getPreviewUrl(img_md5))
            tryCompare(i, "status", Image.Ready)
            compare(i.horizontalAlignment, Image.AlignHCenter)
            // Fitted: the whole height, centred across.
            compare(i.paintedHeight, 300)
            compare(i.paintedWidth, 450)
        }

        // Larger than the page: its shorter edge decoded no larger than the page's longer
        // side, so that a big screenshot does not stay in memory at full size.
        function test_a_large_picture_is_decoded_to_the_page() {
            const view = createTemporaryObject(details_comp, root, { width: 60, height: 30 })
            view.load(m_model, Fx.row(img_md5))
            const i = img(view)
            tryCompare(i, "status", Image.Ready)
            verify(Math.min(i.implicitWidth, i.implicitHeight) <= 60,
                   i.implicitWidth + "x" + i.implicitHeight)
            compare(i.implicitWidth / i.implicitHeight, 1.5)
            compare(i.paintedHeight, 30)
        }

        function test_three_turns_store_270_and_a_fourth_is_upright() {
            const other = Fx.captureText(t, "something else to look at")
            const view = createTemporaryObject(details_comp, root)
            view.load(m_model, Fx.row(img_md5))
            const btn = createTemporaryObject(rotate_btn_comp, root)
            m_utilities.sigDetailsPicRotate(btn)
            compare(btn.checked, false)

            const page = findChild(view, "loaded_details").item
            for (let turn = 1; turn <= 3; ++turn) {
                mouseClick(btn)
                tryCompare(img(view), "rotation", 90 * turn)
                tryCompare(page, "turning", false)
                compare(btn.checked, true)
            }
            // The turned picture still fits the page.
            const i = img(view)
            verify(i.paintedHeight * i.scale <= view.width + 0.5)
            verify(i.paintedWidth * i.scale <= view.height + 0.5)

            view.load(m_model, Fx.row(other))
            compare(m_model.getSelection(Fx.row(img_md5)), "270")

            view.load(m_model, Fx.row(img_md5))
            compare(img(view).rotation, 270, "restored without a turn")
            m_utilities.sigDetailsPicRotate(btn)
            compare(btn.checked, true)

            mouseClick(btn)
            tryCompare(img(view), "rotation", 360)
            compare(btn.checked, false)
            compare(img(view).scale, 1)
            view.load(m_model, Fx.row(other))
            compare(m_model.getSelection(Fx.row(img_md5)), "0")
        }

        function test_clicks_during_a_turn_are_ignored() {
            const view = createTemporaryObject(details_comp, root)
            m_model.updateSelection(img_md5, "")
            view.load(m_model, Fx.row(img_md5))
            const btn = createTemporaryObject(rotate_btn_comp, root)
            m_utilities.sigDetailsPicRotate(btn)
            mouseClick(btn)
            mouseClick(btn)
            compare(btn.checked, true, "the button follows the turn, not the clicks")
            tryCompare(img(view), "rotation", 90)
            wait(400)
            compare(img(view).rotation, 90)
        }

        function test_previews_neither_turn_nor_take_the_button() {
            m_model.updateSelection(img_md5, "90")
            const view = createTemporaryObject(details_comp, root, { can_select: false })
            view.load(m_model, Fx.row(img_md5))
            const i = img(view)
            compare(i.rotation, 0)
            compare(i.asynchronous, true)
            compare(i.horizontalAlignment, Image.AlignLeft)
            const btn = createTemporaryObject(rotate_btn_comp, root)
            m_utilities.sigDetailsPicRotate(btn)
            mouseClick(btn)
            wait(300)
            compare(i.rotation, 0)
            compare(Fx.page(t, view).rotate_btn, null)
        }

        function test_remote_images() {
            m_model.setLocal(false)
            m_model.setIp("10.0.0.5")
            const view = createTemporaryObject(details_comp, root)
            // Not fetched yet: the loading page, and nothing breaks without a connector.
            view.load(m_model, Fx.row(img_md5))
            compare(Fx.pageName(t, view), "DetailsViewLoading.qml")
            compare(findChild(view, "loading_bar").indeterminate, true)

            // Fetched: shown from the host's folder; turns are not remembered.
            const path = m_utilities.decodeLocalFileUrl(m_model.getImgUrl(img_md5))
            grabImage(picture).save(path)
            view.load(m_model, Fx.row(img_md5))
            compare(Fx.pageName(t, view), "DetailsView4Img.qml")
            compare(img(view).source, m_model.getPreviewUrl(img_md5))
            m_model.updateSelection(img_md5, "")
            const btn = createTemporaryObject(rotate_btn_comp, root)
            m_utilities.sigDetailsPicRotate(btn)
            mouseClick(btn)
            tryCompare(img(view), "rotation", 90)
            view.clear()
            compare(m_model.getSelection(Fx.row(img_md5)), "")
        }
    }

    TestCase {
        id: tc
        name: "DetailsColor"
        when: windowShown

        function lines(view) {
            return findChild(view, "color_notations").text.split("\n")
        }

        function test_named_colours_get_a_sixth_line() {
            const red = Fx.captureText(t, "#ff0000")
            const unnamed = Fx.captureText(t, "#123457")
            compare(m_model.getType(Fx.row(red)), CTypes.Color)
            const view = createTemporaryObject(details_comp, root)

            view.load(m_model, Fx.row(red))
            compare(lines(view), ["#ff0000", "rgb( 255, 0, 0)", "hsv( 0, 100%, 100%)",
                                  "hsl( 0, 100%, 50%)", "cmyk( 0%, 100%, 100%, 0%)", "red"])
            const page = Fx.page(t, view)
            verify(Qt.colorEqual(page.bg_color, "#ff0000"))

            // The page stays and follows the new colour.
            view.load(m_model, Fx.row(unnamed))
            compare(Fx.page(t, view), page)
            compare(page.index, Fx.row(unnamed))
            compare(page.md5, unnamed)
            compare(lines(view).length, 5)
            compare(lines(view)[0], "#123457")
        }

        function test_preview_shows_the_copied_text() {
            const c = Fx.captureText(t, "rgb(0, 128, 255)")
            compare(m_model.getType(Fx.row(c)), CTypes.Color)
            const view = createTemporaryObject(details_comp, root, { can_select: false })
            view.load(m_model, Fx.row(c))
            compare(findChild(view, "color_notations"), null)
            compare(findChild(view, "color_plain").text, "rgb(0, 128, 255)")
        }
    }

    TestCase {
        name: "DetailsPanel"
        when: windowShown

        function test_blank_at_start_and_after_clear() {
            const view = createTemporaryObject(details_comp, root)
            compare(Fx.pageName(t, view), "DetailsView4Blank.qml")
            const a = Fx.captureText(t, "panel text")
            view.load(m_model, Fx.row(a))
            compare(Fx.pageName(t, view), "DetailsView4Text.qml")
            view.clear()
            compare(Fx.pageName(t, view), "DetailsView4Blank.qml")
        }

        function test_hiding_a_selectable_panel_clears_it() {
            const a = Fx.captureText(t, "hidden panel text")
            const view = createTemporaryObject(details_comp, root)
            view.load(m_model, Fx.row(a))
            view.visible = false
            compare(Fx.pageName(t, view), "DetailsView4Blank.qml")

            const preview = createTemporaryObject(details_comp, root, { can_select: false })
            preview.load(m_model, Fx.row(a))
            preview.visible = false
            compare(Fx.pageName(t, preview), "DetailsView4Text.qml")
        }

        function test_rows_that_do_not_exist_change_nothing() {
            const a = Fx.captureText(t, "existing row")
            const view = createTemporaryObject(details_comp, root)
            view.load(m_model, Fx.row(a))
            const page = Fx.page(t, view)
            view.load(m_model, -1)
            view.load(m_model, m_model.rowCount())
            view.load(null, 0)
            compare(Fx.page(t, view), page)
        }
    }
}
