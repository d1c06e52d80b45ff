import QtQuick 2.12
import QtQuick.Controls 2.5
import QtQuick.Controls.Material 2.5

// A remote image on its way: a progress bar, or why it did not come.
DetailsViewAbstract {
    id: root

    // The reported rate, 0 to 100; -1 until the first report.
    property int pos: -1
    property string err: ""

    onPosChanged: {
        bar.indeterminate = false
        bar.value = pos
    }
    onErrChanged: {
        bar.visible = false
        err_label.visible = true
    }

    ProgressBar {
        id: bar
        objectName: "loading_bar"
        anchors.centerIn: parent
        width: parent.width / 2
        from: 0
        to: 100
        indeterminate: true
    }

    Label {
        id: err_label
        objectName: "loading_err"
        anchors.centerIn: parent
        width: parent.width - 2 * m_const.main_list_left_padding
        visible: false
        text: root.err
        color: Material.secondaryTextColor
        font.pixelSize: 18
        wrapMode: Text.Wrap
        horizontalAlignment: Text.AlignHCenter
    }
}
