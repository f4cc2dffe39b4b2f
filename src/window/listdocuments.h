#pragma once

#include <QObject>
#include <QString>

class QPlainTextEdit;
class QTextDocument;

// The list's two documents: one for the whole inventory, one for search
// results. Each remembers the text it was given until it is edited, so that a
// search whose result the list already shows changes nothing, and emptying
// the search field shows the kept, laid-out inventory again instead of laying
// out every line anew.
class ListDocuments : public QObject
{
    Q_OBJECT

public:
    // Lines longer than this are shown unwrapped: wrapping one costs time with
    // the square of its length.
    static constexpr qsizetype LongestWrappedLine = 10000;

    explicit ListDocuments(QPlainTextEdit *list);

    void showWholeInventory(const QString &text);
    void showSearchResult(const QString &text);
    // Replaces what the list shows, whole inventory or search result alike.
    void replaceShown(const QString &text);
    // Adds text at the end of what the list shows, leaving the rest and the
    // view as they are.
    void append(const QString &text);

private:
    struct Document
    {
        QTextDocument *document = nullptr;
        QString text;          // what it holds, while textKnown
        bool textKnown = false; // false once anything edits it
        bool wraps = true;
    };

    void show(const QString &text, Document &home);
    void showAgain(Document &kept);
    void fill(Document &target, const QString &text);
    void setWrapping(bool wraps);
    void unwrapIfLong(int from, int added);

    QPlainTextEdit *m_list;
    Document m_wholeInventory;
    Document m_searchResult;
    Document *m_shown = &m_wholeInventory;
    bool m_filling = false; // fill() has chosen the wrapping for the whole text
};
