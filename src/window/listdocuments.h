#pragma once

#include "keptinventory.h"
#include "listtext.h"

#include <QObject>
#include <QString>

#include <optional>

class QPlainTextEdit;
class QTextDocument;

// The list's text, kept in two documents: one for the whole inventory, one
// for search results. Showing a text the list already holds changes nothing,
// and emptying the search field shows the kept, laid-out inventory again
// instead of laying out every line anew.
//
// The whole-inventory document knows which version of the file's text it
// shows (the change tracker's version), not the text itself; the search
// result document keeps a copy of its result, the only text it compares.
// Either forgets what it holds once anything edits it.
class ListDocuments : public QObject
{
    Q_OBJECT

public:
    // Lines longer than this are shown unwrapped: wrapping one costs time with
    // the square of its length.
    static constexpr qsizetype LongestWrappedLine = 10000;

    explicit ListDocuments(QPlainTextEdit *list);

    // version: of the file text whose whole inventory text is; nothing for a
    // list that is not one (start-up's, when empty lines remain).
    void showInventory(const QString &text, std::optional<Inventory::TextVersion> version);
    void showSearchResult(const QString &text);

    Inventory::ListText listText() const;
    // Adds text at the end of what the list shows, leaving the rest and the
    // view as they are.
    void append(const QString &text);
    // What ReplaceWholeLines(listText(), selected, composed) gives, put into
    // the list; for one-line records only those lines are edited, so the view
    // stays where it is.
    void replaceRecord(const QString &selected, const QString &composed);

private:
    struct Document
    {
        QTextDocument *document = nullptr;
        bool edited = true;                // since it was last filled
        std::optional<Inventory::TextVersion> version; // whole inventory: the version it shows
        QString text;                      // search result: the text it shows
        bool wraps = true;
    };

    void show(Document &kept);
    void fill(Document &target, const QString &text);
    void setWrapping(bool wraps);
    void unwrapIfLong(int from, int added);

    QPlainTextEdit *m_list;
    Document m_wholeInventory;
    Document m_searchResult;
    Document *m_shown = &m_wholeInventory;
    bool m_filling = false; // fill() has chosen the wrapping for the whole text
};
