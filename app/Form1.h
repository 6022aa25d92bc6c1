#pragma once

#include "app/Form1Ui.h"
#include "app/Session.h"

#include <QMainWindow>
#include <QPointer>

class EncodingSwitch;
class Form2;
class Form3;
class NewListBuilder;
class OperationGate;
class PlaylistLoader;
class Reorder;
class SaveCommand;
class SelectAll;

// The main window. It owns the controls and the session; each control hands
// its work to the controller of its folder.
class Form1 : public QMainWindow
{
    Q_OBJECT
public:
    // programFolder: where outputs and the repair script go, and where the
    // open-file dialog starts.
    explicit Form1(const QString &programFolder, QWidget *parent = nullptr);
    ~Form1() override;

    [[nodiscard]] const Session &session() const { return m_session; }
    [[nodiscard]] PlaylistLoader &loader() const { return *m_loader; }
    [[nodiscard]] Reorder &reorder() const { return *m_reorder; }
    [[nodiscard]] bool isBusy() const;
    // Long operations give the window its turn after every line.
    void setEveryLineASliceForTesting();

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    void createControllers();
    void connectLinks();
    void centreOnScreen();
    void showAbout();
    void showFix();
    void deleteWorkingFiles();

    Form1Ui m_ui;
    Session m_session;
    OperationGate *m_gate;
    PlaylistLoader *m_loader;
    EncodingSwitch *m_encodingSwitch;
    SelectAll *m_selectAll;
    NewListBuilder *m_newListBuilder;
    Reorder *m_reorder;
    SaveCommand *m_saveCommand;
    QPointer<Form2> m_about;
    QPointer<Form3> m_fix;
};
