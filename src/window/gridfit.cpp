#include "gridfit.h"

#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QWidget>

#include <algorithm>
#include <cmath>

void FitGridToFont(QWidget &window)
{
    double scale = 1.0;
    const auto fit = [&scale](const QWidget *control, const QString &caption, int padding) {
        const int needed = control->fontMetrics().horizontalAdvance(caption) + padding;
        scale = std::max(scale, double(needed) / control->width());
    };
    for (const QLabel *label : window.findChildren<QLabel *>())
        fit(label, label->text(), 2);
    for (const QPushButton *button : window.findChildren<QPushButton *>())
        fit(button, button->text(), 8);
    if (scale == 1.0)
        return;

    QList<QWidget *> controls;
    for (QGroupBox *frame : window.findChildren<QGroupBox *>(Qt::FindDirectChildrenOnly)) {
        controls += frame;
        controls += frame->findChildren<QWidget *>(Qt::FindDirectChildrenOnly);
    }
    const auto scaled = [scale](int length) { return int(std::lround(length * scale)); };
    for (QWidget *control : controls) {
        const QRect place = control->geometry();
        control->setGeometry(scaled(place.x()), scaled(place.y()), scaled(place.width()), scaled(place.height()));
    }
    window.resize(scaled(window.width()), scaled(window.height()));
}
