#pragma once

#include <QWidget>

class QFrame;
class QLabel;

// The about window: what the program is for, and three links that underline
// under the mouse. A click anywhere else closes it. It has no owner and
// deletes itself when closed.
class Form2 : public QWidget
{
    Q_OBJECT
public:
    // Opens centred over centreOver, or over the screen without one.
    explicit Form2(QWidget *centreOver = nullptr);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void showEvent(QShowEvent *event) override;

private:
    void createPanels();
    void createLabels();
    QLabel *addLabel(const char *name, QRect place, const QString &text, const QFont &font);
    void watchControls();

    void hover(QObject *control);
    void click(QObject *control);
    void clearUnderlines();

    QWidget *m_panel = nullptr;
    QFrame *m_frame = nullptr;
    QLabel *m_playlistSite = nullptr;
    QLabel *m_authorSite = nullptr;
    QLabel *m_messenger = nullptr;
    QLabel *m_spare = nullptr;
    QObject *m_pressed = nullptr;
};
