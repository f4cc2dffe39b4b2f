#pragma once

#include "messages.h"

#include <QStringList>

// Keeps the messages the window would have shown, so tests can read them.
class RecordingMessages final : public Messages
{
public:
    void inform(QWidget *, const QString &text) override { informations << text; }
    void warn(QWidget *, const QString &text) override { warnings << text; }
    bool ask(QWidget *, const QString &text) override
    {
        questions << text;
        return answer;
    }

    QStringList informations;
    QStringList warnings;
    QStringList questions;
    bool answer = false; // the reply to every question
};
