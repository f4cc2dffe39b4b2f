#pragma once

#include <QString>

#include <memory>

class QMessageBox;
class QWidget;

// Every message the window shows goes through here, so that tests can read
// the messages instead of facing a modal box.
class Messages
{
public:
    virtual ~Messages() = default;
    virtual void inform(QWidget *parent, const QString &text) = 0;
    virtual void warn(QWidget *parent, const QString &text) = 0;
    // A yes/no question; true for yes.
    virtual bool ask(QWidget *parent, const QString &text) = 0;
};

// Modal message boxes captioned with the program's name.
class MessageBoxes final : public Messages
{
public:
    void inform(QWidget *parent, const QString &text) override;
    void warn(QWidget *parent, const QString &text) override;
    bool ask(QWidget *parent, const QString &text) override;
};

// The box behind MessageBoxes::ask, not yet shown: Sì and No, No the default
// and the answer to Esc. No button answers to a letter: a question raised
// while the user types would otherwise take the next letter as its answer.
std::unique_ptr<QMessageBox> QuestionBox(QWidget *parent, const QString &text);
