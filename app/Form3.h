#pragma once

#include <QWidget>

class QFrame;
class QPushButton;

// The fix window: explains garbled Cyrillic text and writes the repair script
// next to the program. It has no owner and deletes itself when closed.
class Form3 : public QWidget
{
    Q_OBJECT
public:
    explicit Form3(const QString &programFolder);

private:
    void createFrame();
    void createLabels();
    void createButton();

    void createScript();

    QString m_programFolder;
    QFrame *m_frame = nullptr;
    QWidget *m_panel = nullptr;
    QPushButton *m_createButton = nullptr;
};
