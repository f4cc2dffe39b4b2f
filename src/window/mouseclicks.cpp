#include "mouseclicks.h"

#include <QMouseEvent>

bool MouseClicks::eventFilter(QObject *watched, QEvent *event)
{
    // The press has already placed the caret (or started the selection) by now.
    if (event->type() == QEvent::MouseButtonRelease
        && static_cast<QMouseEvent *>(event)->button() == Qt::LeftButton)
        emit clicked();
    return QObject::eventFilter(watched, event);
}
