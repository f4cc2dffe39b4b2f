#pragma once

#include <QObject>

// Emits clicked() when the left mouse button is released over the watched
// widget, after the widget has placed its caret for that click.
class MouseClicks : public QObject
{
    Q_OBJECT

public:
    using QObject::QObject;

signals:
    void clicked();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
};
