#include "clipboard/text_match_marker.h"

#include "clipboard/match_marks.h"

#include <QQuickTextDocument>
#include <QSyntaxHighlighter>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextLayout>

namespace {
constexpr int kMaxPerBlock = 256; // a preview is bounded; so is the work per paragraph
} // namespace

class MatchHighlighter : public QSyntaxHighlighter
{
public:
    MatchHighlighter(CTextMatchMarker *marker, QTextDocument *document)
        : QSyntaxHighlighter(document), m_marker(marker)
    {
    }

protected:
    void highlightBlock(const QString &text) override
    {
        if (m_marker->m_key.isEmpty())
            return;
        QTextCharFormat mark;
        mark.setBackground(m_marker->m_color);
        const auto spans = MatchMarks::Spans(text, m_marker->m_key, kMaxPerBlock);
        for (const auto &span : spans)
            setFormat(span.first, span.second, mark);
    }

private:
    CTextMatchMarker *m_marker;
};

CTextMatchMarker::CTextMatchMarker(QObject *parent) : QObject(parent) {}

CTextMatchMarker::~CTextMatchMarker()
{
    delete m_highlighter.data();
}

void CTextMatchMarker::setDocument(QQuickTextDocument *document)
{
    if (document == m_document)
        return;
    m_document = document;
    emit sigDocumentChanged();
    refresh();
}

void CTextMatchMarker::setKey(const QString &key)
{
    if (key == m_key)
        return;
    m_key = key;
    emit sigKeyChanged();
    refresh();
}

void CTextMatchMarker::setColor(const QColor &color)
{
    if (color == m_color)
        return;
    m_color = color;
    emit sigColorChanged();
    refresh();
}

// The highlighter lives only while there is something to mark: a view that is not being
// searched pays nothing when its text is set.
void CTextMatchMarker::refresh()
{
    QTextDocument *doc = m_document ? m_document->textDocument() : nullptr;
    if (m_highlighter && (m_key.isEmpty() || m_highlighter->document() != doc)) {
        // Taking it off clears the marks it made.
        m_highlighter->setDocument(nullptr);
        delete m_highlighter.data();
    }
    if (doc && !m_key.isEmpty()) {
        if (!m_highlighter)
            m_highlighter = new MatchHighlighter(this, doc); // highlights the whole text
        else
            m_highlighter->rehighlight();
    }
}

int CTextMatchMarker::markedCount() const
{
    QTextDocument *doc = m_document ? m_document->textDocument() : nullptr;
    if (!doc || !m_highlighter)
        return 0;
    int n = 0;
    for (QTextBlock block = doc->begin(); block.isValid(); block = block.next()) {
        const auto formats = block.layout()->formats();
        for (const auto &range : formats)
            n += range.format.background().color() == m_color ? 1 : 0;
    }
    return n;
}
