// Runs the tst_*.qml files of this folder (or the one given with -input) with the real
// services in the QML context, in an isolated home, and fails when QML reported warnings.
#include "isolated_env.h"
#include "os/scene_graph_choice.h"
#include "qml_test_setup.h"
#include "qt_warning_log.h"

#include <QApplication>
#include <QtQuickTest>

int main(int argc, char *argv[])
{
    IsolatedEnvironment env;
    // A widget application: the utilities open file dialogs.
    QApplication app(argc, argv);
    SetTestApplicationIdentity();
    // Drawn by the backend the program would choose here.
    SceneGraphChoice::ChooseBeforeFirstWindow();
    QmlTestSetup setup;
    const int rc =
        quick_test_main_with_setup(argc, argv, "tolvane_qml", QUICK_TEST_SOURCE_DIR, &setup);
    const QStringList warnings = QtWarningLog::instance()->messages();
    if (warnings.isEmpty())
        return rc;
    qCritical().noquote() << "FAIL: QML reported" << warnings.size() << "warning(s):\n  "
                          << warnings.join(QStringLiteral("\n  "));
    return rc != 0 ? rc : 1;
}
