#pragma once

#include <QWidget>

class PlaylistSession;
class QFrame;
class QPushButton;

// The fix window: explains garbled Cyrillic text and has the session write
// the repair script next to the program. It has no owner and deletes itself when closed.
class Form3 : public QWidget
{
    Q_OBJECT
public:
    explicit Form3(PlaylistSession &session);

private:
    void createFrame();
    void createLabels();
    void createButton();

    void createScript();

    PlaylistSession &m_session;
    QFrame *m_frame = nullptr;
    QWidget *m_panel = nullptr;
    QPushButton *m_createButton = nullptr;
};
