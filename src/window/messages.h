#pragma once

#include <QString>

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
