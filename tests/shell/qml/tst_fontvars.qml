import QtQuick 2.12
import QtTest 1.12
import "qrc:/qml/FontVars.js" as FV

TestCase {
    name: "FontVars"

    function test_os_icon_names() {
        compare(FV.getOSIcon(""), "")
        compare(FV.getOSIcon("osx"), FV.OS_Mac)
        compare(FV.getOSIcon("windows"), FV.OS_Win)
        compare(FV.OS_Mac, "\uf179")
        compare(FV.OS_Win, "\uf17a")
    }

    function test_os_icon_unknown_is_undefined_data() {
        return [{ tag: "linux", name: "linux" }, { tag: "upper case", name: "Windows" },
                { tag: "mac", name: "mac" }]
    }
    function test_os_icon_unknown_is_undefined(data) {
        verify(FV.getOSIcon(data.name) === undefined, "icon for " + data.name)
    }

    function test_quick_paste_digits_in_order() {
        const expected = ["\ue81a", "\ue815", "\ue814", "\ue81c", "\ue819",
                          "\ue823", "\ue81e", "\ue81d", "\ue81f"]
        for (let i = 0; i < expected.length; ++i)
            compare(FV.getFontCode(i), expected[i], "digit " + (i + 1))
        compare(FV.getFontCode(0), FV.quickpaste_1)
        compare(FV.getFontCode(8), FV.quickpaste_9)
    }

    function test_font_code_outside_range_is_empty_data() {
        return [{ tag: "nine", index: 9 }, { tag: "minus one", index: -1 },
                { tag: "fraction", index: 1.5 }, { tag: "large", index: 100 }]
    }
    function test_font_code_outside_range_is_empty(data) {
        verify(FV.getFontCode(data.index) === "", "code for " + data.index)
    }

    function test_font_names() {
        compare(FV.PixelSize_Addition, 4)
        compare(FV.FontRoboto, "Roboto")
        compare(FV.FontChina, "Microsoft Yahei")
        compare(FV.FontIcon, "psfont")
    }
}
