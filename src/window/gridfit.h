#pragma once

#include <QList>
#include <QRect>
#include <QSize>

#include <utility>

class QWidget;

// The window's grid was drawn for a 9-point font on a screen of 96 dpi. With a
// larger font, or one that the system's display scaling makes larger in pixels,
// the whole grid grows by one factor, so that every caption of a label or a
// button stays whole and the controls keep their places relative to each
// other: the frames' children, the frames themselves and the window.
class GridFit
{
public:
    // Keeps the grid as drawn.
    explicit GridFit(QWidget &window);

    // Fits the grid as drawn to the window's font as it is now: at start, and
    // again when the font changes, as it does on a screen of another scaling.
    void fit();

private:
    QWidget &m_window;
    QList<std::pair<QWidget *, QRect>> m_drawn;
    QSize m_drawnSize;
};
