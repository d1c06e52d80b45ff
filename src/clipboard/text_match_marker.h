#pragma once

#include <QColor>
#include <QObject>
#include <QPointer>
#include <QQuickTextDocument>
#include <QSyntaxHighlighter>

// Paints the matches of a search key on a text view's document (its textDocument) with a
// background colour, leaving the text, its format and the selection as they are. The
// document is searched when the key or the text changes; with no key nothing runs.
class CTextMatchMarker : public QObject
{
    Q_OBJECT
    Q_PROPERTY(
        QQuickTextDocument *document READ document WRITE setDocument NOTIFY sigDocumentChanged)
    Q_PROPERTY(QString key READ key WRITE setKey NOTIFY sigKeyChanged)
    Q_PROPERTY(QColor color READ color WRITE setColor NOTIFY sigColorChanged)
public:
    explicit CTextMatchMarker(QObject *parent = nullptr);
    ~CTextMatchMarker() override;

    QQuickTextDocument *document() const { return m_document; }
    void setDocument(QQuickTextDocument *document);
    QString key() const { return m_key; }
    void setKey(const QString &key);
    QColor color() const { return m_color; }
    void setColor(const QColor &color);
    // How many stretches of the text are marked now.
    Q_INVOKABLE int markedCount() const;

signals:
    void sigDocumentChanged();
    void sigKeyChanged();
    void sigColorChanged();

private:
    friend class MatchHighlighter;
    void refresh();

    QPointer<QQuickTextDocument> m_document;
    // A child of the document, which may go first.
    QPointer<QSyntaxHighlighter> m_highlighter;
    QString m_key;
    QColor m_color = QColor(255, 235, 59);
};
