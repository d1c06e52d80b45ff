#include "isolated_env.h"

#include <QDir>
#include <QFile>

IsolatedEnvironment::IsolatedEnvironment() : m_dir(QDir::tempPath() + "/tolvane-test-XXXXXX")
{
    const QString r = m_dir.path();
    const struct
    {
        const char *var;
        const char *sub;
    } dirs[] = {{"HOME", "/home"},
                {"XDG_CONFIG_HOME", "/home/.config"},
                {"XDG_CACHE_HOME", "/home/.cache"},
                {"XDG_DATA_HOME", "/home/.local/share"},
                {"XDG_RUNTIME_DIR", "/run"},
                {"TMPDIR", "/tmp"}};
    for (const auto &d : dirs) {
        QDir().mkpath(r + d.sub);
        qputenv(d.var, QFile::encodeName(r + d.sub));
    }
    QFile::setPermissions(r + "/run", QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    // Offscreen windows draw through an X display too; the test session keeps one without a
    // window manager for them, where their hidden windows take a new size at once.
    const QByteArray render_display = qgetenv("TOLVANE_RENDER_DISPLAY");
    if (qgetenv("QT_QPA_PLATFORM") == "offscreen" && !render_display.isEmpty())
        qputenv("DISPLAY", render_display);
}

void SetTestApplicationIdentity()
{
    QCoreApplication::setOrganizationName("Marden");
    QCoreApplication::setApplicationName("Tolvane");
    QCoreApplication::setApplicationVersion(TOLVANE_VERSION);
}
