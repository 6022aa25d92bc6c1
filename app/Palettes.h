#pragma once

#include <QPalette>

class QWidget;

// The main window is black with white text; a few things keep the light look
// they have on any window, or they would vanish on black.
namespace palettes {

void setBlackWindow(QWidget *window);
// Tick boxes and option buttons: a white box with a black mark.
[[nodiscard]] QPalette indicator(const QPalette &base);
void setLightIndicator(QWidget *control);
// A list: black inside, with a frame that shows on black.
void setFramedList(QWidget *list);
// The menu bar keeps the desktop's colours.
void setDesktopColours(QWidget *widget);

} // namespace palettes
