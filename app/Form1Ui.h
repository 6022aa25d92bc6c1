#pragma once

#include "encoding/InputMode.h"

class ChannelListModel;
class ChannelListView;
class ClickLabel;
class NewListView;
class QAction;
class QFrame;
class QLabel;
class QListView;
class QMainWindow;
class QMenu;
class QPushButton;
class QRadioButton;
class QTimer;
class QWidget;
class SelectAllBox;

// The controls of the main window, named as in the window's design. Places
// are in twips; everything stands on the background panel Picture1.
struct Form1Ui
{
    QFrame *Picture1;
    ClickLabel *Image1;
    QPushButton *Command1;
    QRadioButton *Option1;
    QLabel *Label7;
    QRadioButton *Option2;
    QLabel *Label8;
    QLabel *Label1;
    QLabel *Label2;
    QPushButton *Command3;
    QLabel *Label3;
    QLabel *Label4;
    SelectAllBox *Check1;
    QLabel *Label5;
    ChannelListView *List1;
    NewListView *List2;
    ClickLabel *Image2;
    QPushButton *Command4;
    QPushButton *Command5;
    QFrame *Picture2;
    QRadioButton *Option4;
    QLabel *Label10;
    QRadioButton *Option3;
    QLabel *Label9;
    QPushButton *Command2;
    QLabel *Label6;
    QLabel *Label11;
    QTimer *Timer1;
    QTimer *Timer2;
    QTimer *Timer3;
    QTimer *Timer4;

    ChannelListModel *list1Model;
    ChannelListModel *list2Model;

    QMenu *A1;
    QAction *A13, *A4, *A5, *A6, *A9, *A7, *A10;
    QMenu *A2;
    QAction *A14, *A11, *A16, *A12, *dfsf, *razban, *A17;
    QAction *krakozyabry;
    QAction *A3;

    void setupUi(QMainWindow *window);

    // UTF-8 mode while Option2 is selected, ANSI mode while Option1 is.
    [[nodiscard]] InputMode inputMode() const;
    void showChannelCount(int count) const;

private:
    void createControls(QWidget *client);
    void createSaveFormat();
    void createMenu(QMainWindow *window);
    void setTabOrder();
};
