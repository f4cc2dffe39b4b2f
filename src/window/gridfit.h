#pragma once

class QWidget;

// The window's grid was drawn for a 9-point font. With a larger default font
// the whole grid grows by one factor, so that every caption of a label or a
// button stays whole and the controls keep their places relative to each
// other: the frames' children, the frames themselves and the window.
void FitGridToFont(QWidget &window);
