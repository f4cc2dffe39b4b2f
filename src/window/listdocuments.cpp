#include "listdocuments.h"

#include "lines.h"

#include <QPlainTextDocumentLayout>
#include <QPlainTextEdit>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>

ListDocuments::ListDocuments(QPlainTextEdit *list) : m_list(list)
{
    // The edit deletes a document of its own when another is set: owned by the
    // edit itself, both documents live as long as the list.
    QTextDocument *first = list->document();
    first->setParent(list);
    auto *second = new QTextDocument(list);
    second->setDocumentLayout(new QPlainTextDocumentLayout(second));
    second->setDefaultFont(first->defaultFont());

    m_wholeInventory = {first, first->toPlainText(), true, true};
    m_searchResult = {second, QString(), true, true};
    for (Document *kept : {&m_wholeInventory, &m_searchResult}) {
        connect(kept->document, &QTextDocument::contentsChanged, this, [kept] { kept->textKnown = false; });
        // Emitted before the list lays out the changed lines.
        connect(kept->document, &QTextDocument::contentsChange, this, [this, kept](int from, int, int added) {
            if (kept == m_shown && !m_filling)
                unwrapIfLong(from, added);
        });
    }
}

void ListDocuments::showWholeInventory(const QString &text)
{
    show(text, m_wholeInventory);
}

void ListDocuments::showSearchResult(const QString &text)
{
    show(text, m_searchResult);
}

void ListDocuments::replaceShown(const QString &text)
{
    fill(*m_shown, text);
}

void ListDocuments::append(const QString &text)
{
    QTextCursor end(m_shown->document);
    end.movePosition(QTextCursor::End);
    end.insertText(text);
}

void ListDocuments::show(const QString &text, Document &home)
{
    const auto holds = [&text](const Document &kept) { return kept.textKnown && kept.text == text; };
    if (holds(*m_shown)) {
        m_shown->text = text;
        return;
    }
    for (Document *kept : {&m_wholeInventory, &m_searchResult}) {
        if (holds(*kept)) {
            // Sharing the caller's string makes the next comparison with it instant.
            kept->text = text;
            showAgain(*kept);
            return;
        }
    }
    fill(home, text);
}

void ListDocuments::showAgain(Document &kept)
{
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
    m_list->setPlainText(text);
    m_filling = false;
    target.text = text;
    target.textKnown = true;
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
