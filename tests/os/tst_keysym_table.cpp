// The table from Qt keys and modifiers to what an X11 grab names.
#include "isolated_env.h"
#include "os/linux/keysym_table.h"

#include <X11/X.h>
#include <X11/XF86keysym.h>
#include <X11/keysym.h>

class TestKeysymTable : public QObject
{
    Q_OBJECT
private slots:
    void keys_data()
    {
        QTest::addColumn<int>("key");
        QTest::addColumn<qulonglong>("keysym");
        const QList<QPair<int, unsigned long>> rows = {
            {Qt::Key_A, XK_a},
            {Qt::Key_Z, XK_z},
            {Qt::Key_0, XK_0},
            {Qt::Key_9, XK_9},
            {Qt::Key_F1, XK_F1},
            {Qt::Key_F24, XK_F24},
            {Qt::Key_Space, XK_space},
            {Qt::Key_Asterisk, XK_KP_Multiply},
            {Qt::Key_Plus, XK_KP_Add},
            {Qt::Key_Comma, XK_KP_Separator},
            {Qt::Key_Minus, XK_KP_Subtract},
            {Qt::Key_Slash, XK_KP_Divide},
            {Qt::Key_Tab, XK_Tab},
            {Qt::Key_Backtab, XK_Tab},
            {Qt::Key_Return, XK_Return},
            {Qt::Key_Enter, XK_Return},
            {Qt::Key_Print, XK_Print},
            {Qt::Key_SysReq, XK_Sys_Req},
            {Qt::Key_PageUp, XK_Prior},
            {Qt::Key_PageDown, XK_Next},
            {Qt::Key_VolumeMute, XF86XK_AudioMute},
            {Qt::Key_MediaPrevious, XF86XK_AudioPrev},
            // Not hot keys: other punctuation, modifiers, keys beyond the table.
            {Qt::Key_Period, 0},
            {Qt::Key_Semicolon, 0},
            {Qt::Key_Control, 0},
            {Qt::Key_CapsLock, 0},
            {Qt::Key_F25, 0},
            {Qt::Key_unknown, 0},
        };
        for (const auto &row : rows)
            QTest::addRow("%s", qPrintable(QKeySequence(row.first).toString()))
                << row.first << qulonglong(row.second);
    }
    void keys()
    {
        QFETCH(int, key);
        QFETCH(qulonglong, keysym);
        QCOMPARE(qulonglong(KeysymTable::Keysym(Qt::Key(key))), keysym);
    }

    void modifiers()
    {
        QCOMPARE(KeysymTable::ModifierMask(Qt::NoModifier), 0u);
        QCOMPARE(KeysymTable::ModifierMask(Qt::ControlModifier | Qt::AltModifier),
                 unsigned(ControlMask | Mod1Mask));
        QCOMPARE(KeysymTable::ModifierMask(Qt::ShiftModifier | Qt::MetaModifier),
                 unsigned(ShiftMask | Mod4Mask));
        // The keypad flag is no modifier of a grab.
        QCOMPARE(KeysymTable::ModifierMask(Qt::KeypadModifier | Qt::ControlModifier),
                 unsigned(ControlMask));
    }
};

TOLVANE_TEST_MAIN(TestKeysymTable)
#include "tst_keysym_table.moc"
