import QtQuick 2.12
import QtQuick.Controls 2.5
import QtQuick.Controls.Material 2.5
import "../ctrls"

// The progress of one download from a linked host: preparing, then the share received and
// the speed, until the file is in place; a failure shows why and lets the dialog go.
Dialog {
    id: dlg
    background: PopupBackground {}

    property bool is_downloaded: false
    property string saving_path: ""
    property string ip_addr: ""
    property string file_name: ""
    property int currentBytes: 0
    // "prep", "dl" or "err".
    property string phase: "prep"
    // A host that never answers the request must not keep the dialog open for ever.
    property int answer_timeout_ms: 30000

    // The bytes of one second as the label shows them.
    function speedText(bytes) {
        if (bytes < 1024 * 1024)
            return (bytes / 1024).toFixed(2) + "K/s"
        return (bytes / (1024 * 1024)).toFixed(2) + "M/s"
    }

    // Reports name a file either by its name on the other host or by where it is saved.
    function isThisDownload(path_or_name, ip) {
        if (ip !== ip_addr)
            return false
        const name = m_utilities.getFileName(path_or_name)
        return path_or_name === saving_path || name === file_name
                || name === m_utilities.getFileName(saving_path)
    }

    function fail(why) {
        phase = "err"
        rateTimer.stop()
        answer_timer.stop()
        label.text = why
        closePolicy = Popup.CloseOnEscape | Popup.CloseOnPressOutside
    }

    width: 200
    // A failure's reason may take more lines than the progress did: all of them show.
    height: phase === "err" ? Math.max(80, implicitHeight) : 80
    modal: true
    focus: true
    closePolicy: Popup.NoAutoClose
    padding: 12

    onOpened: answer_timer.start()

    contentItem: Column {
        spacing: 8

        Label {
            id: label
            objectName: "dl_label"
            width: parent.width
            text: qsTranslate("Connection", "Preparing")
            color: Material.secondaryTextColor
            horizontalAlignment: Text.AlignHCenter
            elide: dlg.phase === "err" ? Text.ElideNone : Text.ElideRight
            wrapMode: dlg.phase === "err" ? Text.Wrap : Text.NoWrap
            textFormat: Text.PlainText
        }
        ProgressBar {
            id: bar
            objectName: "dl_bar"
            width: parent.width
            from: 0
            to: 100
            indeterminate: dlg.phase === "prep"
            visible: dlg.phase !== "err"
            hoverEnabled: true
            ToolTip.visible: hovered && !indeterminate
            ToolTip.text: Math.round(value) + "%"
        }
    }

    Timer {
        id: rateTimer
        interval: 1000
        repeat: true
        triggeredOnStart: true
        onTriggered: {
            label.text = qsTranslate("Connection", "Downloading") + " - "
                    + dlg.speedText(dlg.currentBytes)
            dlg.currentBytes = 0
        }
    }

    Timer {
        id: answer_timer
        interval: dlg.answer_timeout_ms
        onTriggered: {
            if (dlg.phase === "prep")
                dlg.fail(qsTranslate("Connection", "The host did not answer."))
        }
    }

    Connections {
        target: m_connector
        function onSigFileDownloadProgress(file_name, ip, rate, readSize) {
            if (dlg.phase === "err" || !dlg.isThisDownload(file_name, ip))
                return
            if (dlg.phase === "prep") {
                dlg.phase = "dl"
                label.text = qsTranslate("Connection", "Downloading")
                rateTimer.start()
            }
            bar.value = rate
            dlg.currentBytes += readSize
        }
        function onSigFileDownloaded(file_path, ip) {
            if (dlg.phase === "err" || !dlg.isThisDownload(file_path, ip))
                return
            dlg.is_downloaded = true
            dlg.close()
        }
        function onSigFileDownloadErr(file_path, ip, why) {
            if (dlg.isThisDownload(file_path, ip))
                dlg.fail(why)
        }
    }
}
