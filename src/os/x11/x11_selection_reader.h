#pragma once

#include <QByteArray>
#include <QColor>
#include <QString>
#include <QStringList>
#include <QVector>

#include <atomic>
#include <functional>
#include <memory>
#include <thread>

// What one read of a selection brought: the formats that make an item, each converted to
// its MIME name. Text is decoded already; an image keeps its encoded bytes.
struct SelectionContents
{
    struct Entry
    {
        QString mime;
        QByteArray bytes;
    };
    QVector<Entry> entries;
    QString text; // plain text, when the owner gave a text target
    bool hasText = false;
    QString html; // HTML source, decoded
    bool hasHtml = false;
    QColor color;    // application/x-color
    QString problem; // why the read ended early (empty when every answer came)
};

// Reads a selection of the X server off the interface thread, on a connection of its own:
// TARGETS first, then only the targets that decide an item, INCR transfers included. Another
// program answers in its own time or never; waiting for it here freezes nothing, and a read
// is given up when its owner stalls or when a newer read is asked for (a new owner).
class X11SelectionReader
{
public:
    // Called on the reader's thread with the serial of the read it answers.
    using Done = std::function<void(quint64 serial, const SelectionContents &contents)>;

    // Null when the display cannot be opened. image_types: the encoded image formats (MIME
    // names) worth reading, best first.
    static std::unique_ptr<X11SelectionReader> Create(const QByteArray &display_name,
                                                      const QByteArray &selection,
                                                      const QStringList &image_types, Done done);
    ~X11SelectionReader();

    // Reads the selection as it is now; a read in progress is given up unanswered.
    void read(quint64 serial);
    // Gives a read in progress up unanswered.
    void abandon();

    // How long an owner may take for one answer, or between two parts of an INCR transfer.
    // Generous: a busy owner (an office suite rendering a large selection, a program on a
    // loaded machine) may be slow, and waiting here holds up nothing, since a newer owner
    // ends the wait at once.
    static constexpr int kAnswerTimeoutMs = 10000;
    // Largest transfer taken; anything larger is not a clipboard item.
    static constexpr qint64 kMaxBytes = 256 * 1024 * 1024;

private:
    struct Private;
    explicit X11SelectionReader(std::unique_ptr<Private> d);
    void wake();

    std::unique_ptr<Private> d;
    std::thread m_thread;
};
