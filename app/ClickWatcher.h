#pragma once

#include <QObject>

class QWidget;

// Tells a click on a widget: a press of one of the counted buttons on it, then
// the release of one of them (over the widget, where that is asked). The
// widget handles both events itself first, so clicked() comes once the release
// has had its effect: the select-all box has taken its tick. Presses of
// counted buttons the widget would pass on to its parent stop here.
class ClickWatcher : public QObject
{
    Q_OBJECT
public:
    enum class Release {
        Anywhere,
        OverWidget,
    };

    ClickWatcher(QWidget *widget, Qt::MouseButtons buttons, Release release);

Q_SIGNALS:
    void clicked();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    QWidget *m_widget;
    Qt::MouseButtons m_buttons;
    Release m_release;
    bool m_pressed = false;
    bool m_forwarding = false; // the widget is handling the release
};
