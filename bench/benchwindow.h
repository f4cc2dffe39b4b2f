#pragma once

#include "formfixture.h"

#include <QComboBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTextBlock>

// Scrolls line into view with the caret on a neighbouring line, so that a
// click has something to do; returns where to click on line.
inline QPoint PrepareClick(QPlainTextEdit &list, int line)
{
    const QTextBlock block = list.document()->findBlockByNumber(line);
    QTextCursor caret(block);
    caret.setPosition(block.position() + qMin(20, block.length() - 1));
    list.setTextCursor(caret);
    // Moving the caret may scroll the view: the point is taken after it.
    list.setTextCursor(QTextCursor(block.next().isValid() ? block.next() : block.previous()));
    return list.cursorRect(caret).center() + QPoint(1, 0);
}

inline void Click(QPlainTextEdit &list, QPoint point)
{
    QTest::mouseClick(list.viewport(), Qt::LeftButton, {}, point);
}

// The program's window on an inventory of its own, driven through its
// controls as a user drives it.
class BenchWindow : public FormFixture
{
public:
    explicit BenchWindow(const QByteArray &inventory)
    {
        resetFolder();
        // Going back to the whole inventory discards what the last insert left.
        m_messages.answer = true;
        writeInventory(inventory);
        // Dated back, as the program usually finds its file: the text of one
        // modified within the last seconds is compared on every look.
        QFile file(inventoryPath());
        if (inventoryBytes() != inventory || !file.open(QIODevice::ReadWrite)
            || !file.setFileTime(QDateTime::currentDateTime().addDays(-1),
                                 QFileDevice::FileModificationTime))
            qFatal("cannot write the inventory and date it back");
    }

    // Constructs the window, loads the inventory, shows and paints it.
    bool start()
    {
        createForm();
        const bool started = m_form->Form_Load() && QTest::qWaitForWindowExposed(m_form.get());
        paint();
        return started;
    }
    void close() { m_form.reset(); }

    QString folder() const { return m_folder->path(); }
    QString path() const { return inventoryPath(); }
    QByteArray fileBytes() const { return inventoryBytes(); }
    const RecordingMessages &messages() const { return m_messages; }
    QPlainTextEdit &list() { return *control<QPlainTextEdit>("Text5"); }
    QString listText() const { return m_form->listText(); }
    QLineEdit &field(const char *name) { return *control<QLineEdit>(name); }
    void paint() { m_form->repaint(); }
    void press(const char *button) { click(button); }
    void type(char key, Qt::KeyboardModifiers modifiers = {})
    {
        QTest::keyClick(&field("Text4"), key, modifiers);
    }
    // Sets the search field's text as the program does, without searching.
    void setSearch(const QString &text) { field("Text4").setText(text); }
    // The search field holds all of query but its last key, which is typed.
    void search(const QString &query)
    {
        setSearch(query.chopped(1));
        type(query.back().toLatin1());
    }
    // The whole inventory in the list, by a key press that empties the search field.
    void emptySearch() { search(QStringLiteral("x\b")); }
    void fill(const QString &box, const QString &code, const QString &quantity)
    {
        field("Text1").setText(box);
        field("Text2").setText(code);
        field("Text3").setText(quantity);
        control<QComboBox>("Combo1")->setEditText(QStringLiteral("Transistor"));
    }
    // Empties the fields that a click on line fills; where to click.
    QPoint prepareClick(int line)
    {
        fill({}, {}, {});
        return PrepareClick(list(), line);
    }
    void select(int line) { Click(list(), prepareClick(line)); }
    // The last warning or question the window showed, if any, but the
    // question whether to drop unsaved lines.
    QString problem() const
    {
        QStringList shown = m_messages.warnings + m_messages.questions;
        shown.removeIf([](const QString &text) { return text.contains(QStringLiteral("non salvate")); });
        return shown.isEmpty() ? QString() : shown.last();
    }
};
