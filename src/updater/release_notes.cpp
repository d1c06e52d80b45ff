#include "updater/release_notes.h"

#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextDocumentFragment>
#include <QTextFrame>
#include <QTextTable>
#include <QVector>

namespace {
void DropBackgroundPictures(QTextFrame *frame)
{
    QTextFrameFormat frame_format = frame->frameFormat();
    if (frame_format.hasProperty(QTextFormat::BackgroundImageUrl)) {
        frame_format.clearProperty(QTextFormat::BackgroundImageUrl);
        frame->setFrameFormat(frame_format);
    }
    if (auto *table = qobject_cast<QTextTable *>(frame)) {
        for (int r = 0; r < table->rows(); ++r) {
            for (int c = 0; c < table->columns(); ++c) {
                QTextTableCell cell = table->cellAt(r, c);
                QTextCharFormat cell_format = cell.format();
                if (cell_format.hasProperty(QTextFormat::BackgroundImageUrl)) {
                    cell_format.clearProperty(QTextFormat::BackgroundImageUrl);
                    cell.setFormat(cell_format);
                }
            }
        }
    }
    const QList<QTextFrame *> children = frame->childFrames();
    for (QTextFrame *child : children)
        DropBackgroundPictures(child);
}

struct Span
{
    int start;
    int length;
};

QTextCursor Select(QTextDocument *doc, const Span &span)
{
    QTextCursor cursor(doc);
    cursor.setPosition(span.start);
    cursor.setPosition(span.start + span.length, QTextCursor::KeepAnchor);
    return cursor;
}
} // namespace

QString RichTextWithoutImages(const QString &html)
{
    QTextDocument doc;
    doc.setHtml(html);
    DropBackgroundPictures(doc.rootFrame());

    // Collected first and changed afterwards: changing formats splits the fragments that
    // are being walked.
    QVector<Span> pictures;
    QVector<Span> backgrounds;
    QVector<QTextBlock> blocks;
    for (QTextBlock block = doc.begin(); block.isValid(); block = block.next()) {
        if (block.blockFormat().hasProperty(QTextFormat::BackgroundImageUrl))
            blocks.append(block);
        for (auto it = block.begin(); !it.atEnd(); ++it) {
            const QTextFragment fragment = it.fragment();
            const QTextCharFormat format = fragment.charFormat();
            if (format.isImageFormat())
                pictures.append({fragment.position(), fragment.length()});
            else if (format.hasProperty(QTextFormat::BackgroundImageUrl))
                backgrounds.append({fragment.position(), fragment.length()});
        }
    }
    for (const QTextBlock &block : qAsConst(blocks)) {
        QTextBlockFormat format = block.blockFormat();
        format.clearProperty(QTextFormat::BackgroundImageUrl);
        QTextCursor(block).setBlockFormat(format);
    }
    for (const Span &span : qAsConst(backgrounds)) {
        QTextCursor cursor = Select(&doc, span);
        QTextCharFormat format = cursor.charFormat();
        format.clearProperty(QTextFormat::BackgroundImageUrl);
        cursor.setCharFormat(format);
    }
    // From the end, so that earlier positions stay valid.
    for (int i = pictures.size() - 1; i >= 0; --i)
        Select(&doc, pictures.at(i)).removeSelectedText();
    return QTextDocumentFragment(&doc).toHtml();
}
