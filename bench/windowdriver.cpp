#include "windowdriver.h"

#include "form1.h"

#include <QComboBox>
#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QTest>
#include <QTextBlock>
#include <QWindow>

#include <utility>

namespace Bench {

bool ShowOnScreen(QWidget &widget)
{
    widget.show();
    // The expose event arrives through the event queue; no sleeping while waiting.
    const QDeadlineTimer deadline(5000);
    while (!(widget.windowHandle() && widget.windowHandle()->isExposed())) {
        if (deadline.hasExpired())
            return false;
        QCoreApplication::processEvents();
    }
    return true;
}

std::unique_ptr<QPlainTextEdit> BareList()
{
    auto list = std::make_unique<QPlainTextEdit>();
    list->resize(481, 221);
    list->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    ShowOnScreen(*list);
    return list;
}

void ScrollToPosition(QPlainTextEdit &list, int line, int column)
{
    const QTextBlock block = list.document()->findBlockByNumber(line);
    QTextCursor caret(block);
    caret.setPosition(block.position() + qMin(column, block.length() - 1));
    list.setTextCursor(caret);
    list.ensureCursorVisible();
}

QPoint PointOfPosition(const QPlainTextEdit &list, int line, int column)
{
    const QTextBlock block = list.document()->findBlockByNumber(line);
    QTextCursor caret(block);
    caret.setPosition(block.position() + qMin(column, block.length() - 1));
    return list.cursorRect(caret).center() + QPoint(1, 0);
}

int ListLines(const QPlainTextEdit &list)
{
    const QTextDocument *document = list.document();
    return document->blockCount() - (document->lastBlock().text().isEmpty() ? 1 : 0);
}

QString LineText(const QPlainTextEdit &list, int line)
{
    return list.document()->findBlockByNumber(line).text();
}

Window::Window(QString folder) : m_folder(std::move(folder)) {}

Window::~Window() = default;

bool Window::start()
{
    m_form = std::make_unique<Form1>(m_folder, messages);
    if (!m_form->Form_Load())
        return false;
    if (!ShowOnScreen(*m_form))
        return false;
    paint();
    return true;
}

void Window::close()
{
    m_form.reset();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

QPlainTextEdit &Window::list()
{
    return *m_form->findChild<QPlainTextEdit *>(QStringLiteral("Text5"));
}

QLineEdit &Window::field(const char *name)
{
    return *m_form->findChild<QLineEdit *>(QString::fromLatin1(name));
}

void Window::paint()
{
    m_form->repaint();
}

void Window::setSearchText(const QString &text)
{
    field("Text4").setText(text);
}

void Window::typeKey(char key)
{
    QTest::keyClick(&field("Text4"), key);
}

void Window::typeLastKey(const QString &query)
{
    setSearchText(query.chopped(1));
    typeKey(query.back().toLatin1());
}

void Window::showWholeList()
{
    setSearchText(QStringLiteral("x"));
    QTest::keyClick(&field("Text4"), Qt::Key_Backspace);
}

QPoint Window::prepareClick(int line, int column)
{
    QPlainTextEdit &text5 = list();
    ScrollToPosition(text5, line, column);
    const int neighbour = line + 1 < ListLines(text5) ? line + 1 : line - 1;
    text5.setTextCursor(QTextCursor(text5.document()->findBlockByNumber(neighbour)));
    fill({}, {}, {}, {});
    return PointOfPosition(text5, line, column);
}

void Window::clickList(QPoint point)
{
    QTest::mouseClick(list().viewport(), Qt::LeftButton, {}, point);
}

void Window::press(const char *button)
{
    QTest::mouseClick(m_form->findChild<QPushButton *>(QString::fromLatin1(button)),
                      Qt::LeftButton);
}

void Window::fill(const QString &box, const QString &item, const QString &quantity,
                  const QString &type)
{
    field("Text1").setText(box);
    field("Text2").setText(item);
    field("Text3").setText(quantity);
    m_form->findChild<QComboBox *>(QStringLiteral("Combo1"))->setEditText(type);
}

} // namespace Bench
