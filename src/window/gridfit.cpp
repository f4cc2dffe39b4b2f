#include "gridfit.h"

#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QWidget>

#include <algorithm>
#include <cmath>

GridFit::GridFit(QWidget &window) : m_window(window), m_drawnSize(window.size())
{
    for (QGroupBox *frame : window.findChildren<QGroupBox *>(Qt::FindDirectChildrenOnly)) {
        m_drawn.append({frame, frame->geometry()});
        for (QWidget *control : frame->findChildren<QWidget *>(Qt::FindDirectChildrenOnly))
            m_drawn.append({control, control->geometry()});
    }
}

void GridFit::fit()
{
    // Where the system leaves its display scaling to the fonts (Windows at
    // 125 % and 150 %, see ConfigureDisplayScaling), the grid follows them as
    // the system's own scaling would, margins included.
    const double fontScale = std::max(1.0, m_window.logicalDpiY() / 96.0);
    double scale = fontScale;
    for (const auto &[control, drawn] : m_drawn) {
        QString caption;
        int padding = 0;
        if (const auto *label = qobject_cast<const QLabel *>(control)) {
            caption = label->text();
            padding = 2;
        } else if (const auto *button = qobject_cast<const QPushButton *>(control)) {
            caption = button->text();
            padding = 8;
        } else {
            continue;
        }
        const double needed = control->fontMetrics().horizontalAdvance(caption) + padding * fontScale;
        scale = std::max(scale, needed / drawn.width());
    }

    const auto scaled = [scale](int length) { return int(std::lround(length * scale)); };
    for (const auto &[control, drawn] : m_drawn)
        control->setGeometry(scaled(drawn.x()), scaled(drawn.y()), scaled(drawn.width()), scaled(drawn.height()));
    m_window.resize(scaled(m_drawnSize.width()), scaled(m_drawnSize.height()));
}
