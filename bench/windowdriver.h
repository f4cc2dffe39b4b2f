#pragma once

#include "recordingmessages.h"

#include <QPoint>
#include <QString>
#include <QStringList>

#include <memory>

class Form1;
class QLineEdit;
class QPlainTextEdit;

namespace Bench {

// Shows a top-level widget and handles events until it is exposed, so that
// repaint() really paints. False if that does not happen within seconds.
bool ShowOnScreen(QWidget &widget);

// A bare list of the size of the window's list, shown.
std::unique_ptr<QPlainTextEdit> BareList();

// Puts the caret at column of line and scrolls it into view.
void ScrollToPosition(QPlainTextEdit &list, int line, int column);

// Where to click, in the viewport, to put the caret at column of line.
QPoint PointOfPosition(const QPlainTextEdit &list, int line, int column);

// The list's lines, not counting the empty one after the last line end.
int ListLines(const QPlainTextEdit &list);

QString LineText(const QPlainTextEdit &list, int line);

// The program's window on an inventory folder, driven through its controls as
// a user drives it: key presses into the search field, mouse clicks on buttons
// and on the list.
class Window
{
public:
    explicit Window(QString folder);
    ~Window();

    // Constructs the window, loads the inventory, shows and paints it.
    bool start();
    void close();
    bool isOpen() const { return m_form != nullptr; }

    Form1 &form() { return *m_form; }
    QPlainTextEdit &list();
    QLineEdit &field(const char *name);

    // A synchronous paint of the whole window.
    void paint();

    // Sets the search field's text without running the search, as the program
    // itself would; the caret goes to the end.
    void setSearchText(const QString &text);
    // One key press into the search field, which runs the search.
    void typeKey(char key);
    // The search field holds query without its last character; the last one is typed.
    void typeLastKey(const QString &query);
    // The whole inventory back in the list: the search field is emptied by a key press.
    void showWholeList();

    // Scrolls to column of line, moves the caret to a neighbouring line so the
    // click has something to do, empties the fields; returns where to click.
    QPoint prepareClick(int line, int column);
    void clickList(QPoint point);
    void press(const char *button);
    void fill(const QString &box, const QString &item, const QString &quantity,
              const QString &type);

    RecordingMessages messages;

private:
    QString m_folder;
    std::unique_ptr<Form1> m_form;
};

} // namespace Bench
