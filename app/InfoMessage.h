#pragma once

#include <QString>

#include <functional>

class QMessageBox;
class QWidget;

// The program's one kind of message box: an information icon, a single OK
// button and an empty title.
namespace infoMessage {

void show(QWidget *parent, const QString &text);

// The box show() runs, not yet shown; the caller owns it.
[[nodiscard]] QMessageBox *create(QWidget *parent, const QString &text);

// Tests record messages instead of running a modal box. An empty hook
// restores the box.
using Hook = std::function<void(QWidget *parent, const QString &text)>;
void setHookForTesting(Hook hook);

} // namespace infoMessage
