#pragma once

#include <QKeySequence>
#include <QObject>

#include <memory>

class QxtGlobalShortcutPrivate;

// A system-wide hot key: holds one key combination, registers it with the desktop and
// emits activated() on every press of it (auto-repeat included), whichever application
// has the focus. A combination that another program (or another shortcut of this one)
// holds fails to register; the shortcut keeps the sequence but stays inactive.
class QxtGlobalShortcut : public QObject
{
    Q_OBJECT
    Q_PROPERTY(bool enabled READ isEnabled WRITE setEnabled)
    Q_PROPERTY(QKeySequence shortcut READ shortcut WRITE setShortcut)
public:
    explicit QxtGlobalShortcut(QObject *parent = nullptr);
    ~QxtGlobalShortcut() override;

    // The current key and modifiers as a one-key sequence, also after a failed registration.
    QKeySequence shortcut() const;
    // Replaces the current hot key; an empty sequence only releases it (and succeeds).
    bool setShortcut(const QKeySequence &shortcut);
    bool releaseShortcut();
    bool isEnabled() const;
    // What the hot key does, for desktops that list the hot keys of a program and let the
    // user change them; the object name is its stable id there. Set before setShortcut.
    void setDescription(const QString &description);
    QString description() const;

public slots:
    // A disabled shortcut stays registered but does not emit.
    void setEnabled(bool enabled = true);
    void setDisabled(bool disabled = true);

signals:
    void activated();

private:
    friend class QxtGlobalShortcutPrivate;
    std::unique_ptr<QxtGlobalShortcutPrivate> d;
};
