#pragma once

class ChannelListView;
class QCheckBox;
class QComboBox;
class CountLabel;
class NewListView;
class QAction;
class QFrame;
class QLabel;
class QLineEdit;
class QMainWindow;
class QPushButton;
class QRadioButton;
class QTimer;
class QWidget;

// The controls of the main window that the window binds, named by their
// role; their object names are those of the window's design (in comments).
// Places are in twips; everything stands on the background panel.
struct Form1Ui
{
    QFrame *background;          // Picture1
    QLabel *playlistSiteLogo;     // Image1
    QLabel *authorLogo;           // Image2
    QPushButton *loadButton;     // Command1
    QPushButton *createButton;   // Command3
    QPushButton *saveButton;     // Command2
    QPushButton *upButton;       // Command4
    QPushButton *downButton;     // Command5
    QPushButton *previousButton; // Command6
    QRadioButton *ansiOption;    // Option1
    QRadioButton *utf8Option;    // Option2
    QRadioButton *m3u8Option;    // Option3
    QRadioButton *m3uOption;     // Option4
    QCheckBox *selectAllBox;     // Check1
    CountLabel *channelCount;    // Label2
    CountLabel *newCount;        // Label4
    QLineEdit *filterEdit;       // Text1
    QComboBox *groupChooser;     // Combo1
    QLabel *shownCount;          // Label12
    QLabel *busyLabel;           // Label6
    ChannelListView *sourceList; // List1
    NewListView *newList;        // List2
    QTimer *upRepeat;            // Timer1
    QTimer *downRepeat;          // Timer2
    QTimer *upDelay;             // Timer3
    QTimer *downDelay;           // Timer4

    QAction *authorHome;          // A4
    QAction *authorGamePrograms;  // A6
    QAction *authorPrograms;      // A7
    QAction *playlistSiteHome;    // A11
    QAction *playlistSiteIptv;    // A12
    QAction *playlistSiteUnblock; // razban
    QAction *fixCommand;          // krakozyabry
    QAction *aboutCommand;        // A3

    void setupUi(QMainWindow *window);

private:
    void createControls(QWidget *client);
    void createFinding();
    void createSaveFormat();
    void createTimers(QMainWindow *window);
    void createMenu(QMainWindow *window);
    void setTabOrder();
};
