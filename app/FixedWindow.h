#pragma once

#include <QIcon>
#include <QPalette>
#include <QRect>
#include <QWidget>

// The about and fix windows: owned by nobody, a title and a close button
// only, one fixed size, deleted when closed.
namespace fixedWindow {

inline constexpr Qt::WindowFlags flags = Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint
                                       | Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint;

void setUp(QWidget *window, const QString &name, const QString &title, const QIcon &icon, const QPalette &palette,
           QSize size);

} // namespace fixedWindow
