#include "listdocuments.h"

#include "linebreaks.h"
#include "listdisplay.h"
#include "findreplace.h"

#include <QPlainTextDocumentLayout>
#include <QPlainTextEdit>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>

#include <optional>

ListDocuments::ListDocuments(QPlainTextEdit *list) : m_list(list)
{
    // The edit deletes a document of its own when another is set: owned by the
    // edit itself, both documents live as long as the list.
    QTextDocument *first = list->document();
    first->setParent(list);
    auto *second = new QTextDocument(list);
    second->setDocumentLayout(new QPlainTextDocumentLayout(second));
    second->setDefaultFont(first->defaultFont());

    m_wholeInventory.document = first;
    m_searchResult.document = second;
    for (Document *kept : {&m_wholeInventory, &m_searchResult}) {
        connect(kept->document, &QTextDocument::contentsChanged, this, [kept] {
            kept->edited = true;
            kept->text = QString();
        });
        // Emitted before the list lays out the changed lines.
        connect(kept->document, &QTextDocument::contentsChange, this, [this, kept](int from, int, int added) {
            if (kept == m_shown && !m_filling)
                unwrapIfLong(from, added);
        });
    }
}

void ListDocuments::showInventory(const QString &text, std::optional<Inventory::TextVersion> version)
{
    if (version && !m_wholeInventory.edited && m_wholeInventory.version == version)
        show(m_wholeInventory);
    else
        fill(m_wholeInventory, text);
    m_wholeInventory.version = version;
}

void ListDocuments::showSearchResult(const QString &text)
{
    if (!m_searchResult.edited && m_searchResult.text == text) {
        show(m_searchResult);
        return;
    }
    fill(m_searchResult, text);
    m_searchResult.text = text;
}

Inventory::ListText ListDocuments::listText() const
{
    // The raw text comes in one piece, far faster than line by line.
    const QTextDocument *document = m_list->document();
    const QString raw = document->toRawText();
    QString text;
    // Room for every CR LF, and for the one that saving adds.
    text.reserve(raw.size() + document->blockCount() + Inventory::LineEnd.size());
    qsizetype from = 0;
    for (qsizetype at; (at = raw.indexOf(Inventory::ListBlockSeparator, from)) >= 0; from = at + 1) {
        text += QStringView(raw).sliced(from, at - from);
        text += Inventory::LineEnd;
    }
    text += QStringView(raw).sliced(from);
    return Inventory::ListText(Inventory::FromListDisplay(std::move(text)));
}

void ListDocuments::append(const QString &text)
{
    QTextCursor end(m_shown->document);
    end.movePosition(QTextCursor::End);
    end.insertText(Inventory::ToListDisplay(text));
}

void ListDocuments::replaceRecord(const QString &selected, const QString &composed)
{
    using namespace Inventory;
    // A record is one line of the document: its CR LF is the block separator.
    const auto shownLine = [](const QString &record) -> std::optional<QString> {
        if (!record.endsWith(LineEnd))
            return std::nullopt;
        QString line = ToListDisplay(record.chopped(LineEnd.size()));
        if (HoldsLineBreak(line) || line.size() > LongestWrappedLine)
            return std::nullopt;
        return line;
    };
    const std::optional<QString> selectedLine = shownLine(selected);
    const std::optional<QString> composedLine = shownLine(composed);
    if (!selectedLine || !composedLine) {
        const QString list = listText().lines();
        std::optional<QString> replaced = ReplaceWholeLines(list, selected, composed);
        fill(*m_shown, replaced ? *replaced : list);
        m_shown->edited = true; // holds neither a whole inventory nor a result
        return;
    }
    QString sought = *selectedLine;
    sought += ListBlockSeparator;
    const QList<qsizetype> found = WholeLines(m_shown->document->toRawText(), sought, ListBlockSeparator);
    QTextCursor cursor(m_shown->document);
    cursor.beginEditBlock();
    // Each edit moves the occurrences after it by the difference in length.
    // Document positions are ints: a document never holds more characters.
    const qsizetype shift = composedLine->size() - selectedLine->size();
    qsizetype moved = 0;
    for (const qsizetype at : found) {
        cursor.setPosition(static_cast<int>(at + moved));
        cursor.setPosition(static_cast<int>(at + moved + selectedLine->size()), QTextCursor::KeepAnchor);
        cursor.insertText(*composedLine);
        moved += shift;
    }
    cursor.endEditBlock();
}

void ListDocuments::show(Document &kept)
{
    if (&kept == m_shown)
        return;
    setWrapping(kept.wraps);
    m_list->setDocument(kept.document);
    m_shown = &kept;
}

void ListDocuments::fill(Document &target, const QString &text)
{
    if (&target != m_shown) {
        // Emptied before it is shown, so that showing it lays out nothing old.
        target.document->clear();
        m_list->setDocument(target.document);
        m_shown = &target;
    }
    const bool wraps = !Inventory::HasLineLongerThan(text, LongestWrappedLine);
    setWrapping(wraps);
    // The document takes CR LF as one line break.
    m_filling = true;
    m_list->setPlainText(Inventory::ToListDisplay(text));
    m_filling = false;
    target.edited = false;
    target.wraps = wraps;
}

// A line pasted or typed into the list past the limit turns the wrapping
// off before the list lays it out, which would take minutes.
void ListDocuments::unwrapIfLong(int from, int added)
{
    if (m_list->lineWrapMode() == QPlainTextEdit::NoWrap)
        return;
    const QTextDocument *document = m_shown->document;
    const QTextBlock last = document->findBlock(from + added);
    for (QTextBlock line = document->findBlock(from); line.isValid(); line = line.next()) {
        if (line.length() > LongestWrappedLine) {
            m_list->setLineWrapMode(QPlainTextEdit::NoWrap);
            m_shown->wraps = false;
            return;
        }
        if (line == last)
            return;
    }
}

void ListDocuments::setWrapping(bool wraps)
{
    const auto mode = wraps ? QPlainTextEdit::WidgetWidth : QPlainTextEdit::NoWrap;
    if (m_list->lineWrapMode() == mode)
        return;
    // Emptied first: a change of wrapping lays out again all the text it finds.
    m_list->clear();
    m_list->setLineWrapMode(mode);
}
