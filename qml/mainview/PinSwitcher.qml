import QtQuick 2.12
import "../ctrls"
import "../FontVars.js" as FV

// Switches between the Clipboard view and the Pin view; checked in the Pin view.
ListViewBtn {
    checkable: true
    text: FV.View_2_pin
    tooltip_str: checked ? qsTranslate("MainView", "Clipboard View")
                         : qsTranslate("MainView", "Pin View")
}
