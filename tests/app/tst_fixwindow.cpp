#include "app/Form3.h"
#include "app/InfoMessage.h"
#include "app/SingleWindow.h"
#include "app/Twips.h"
#include "app/session/PlaylistSession.h"
#include "common/Windows.h"
#include "fix/FixScript.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFontMetrics>
#include <QFrame>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QTemporaryDir>
#include <QTest>

namespace {

const QColor green(128, 255, 128);
const QColor lightBlue(192, 192, 255);
const QColor red(255, 0, 0);
const QString successText = QStringLiteral("Файл-фикс fix_krakozyabry.cmd создан рядом с программой!");

struct Message
{
    QString text;
    bool formVisible;
};

} // namespace

class TestFixWindow : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void init();
    void cleanup();

    void window();
    void controls_data();
    void controls();
    void labels_data();
    void labels();
    void createsScriptThenClosesThenTells();
    void failureKeepsWindowAndNamesFile();
    void showSingleKeepsOneWindow();

private:
    [[nodiscard]] QPointer<Form3> openForm();

    QTemporaryDir m_folder;
    QTemporaryDir m_temp;
    std::unique_ptr<PlaylistSession> m_session;
    QList<Message> m_messages;
    QPointer<Form3> m_form;
};

void TestFixWindow::init()
{
    QVERIFY(m_folder.isValid());
    m_session = std::make_unique<PlaylistSession>(m_folder.path(), m_temp.path());
    infoMessage::setHookForTesting([this](QWidget *, const QString &text) {
        m_messages << Message{text, m_form && m_form->isVisible()};
    });
}

void TestFixWindow::cleanup()
{
    infoMessage::setHookForTesting({});
    m_messages.clear();
    for (QWidget *window : QApplication::topLevelWidgets()) {
        if (qobject_cast<Form3 *>(window))
            delete window;
    }
    QFile::remove(fixScriptPath(m_folder.path()));
    m_session.reset();
}

QPointer<Form3> TestFixWindow::openForm()
{
    m_form = new Form3(*m_session);
    m_form->show();
    if (!QTest::qWaitForWindowExposed(m_form))
        return nullptr;
    return m_form;
}

void TestFixWindow::window()
{
    Form3 form(*m_session);
    QCOMPARE(form.windowTitle(), QStringLiteral("Исправление кракозябров в Windows"));
    testsupport::verifyFixedDialog(form, QSize(482, 331));
    if (QTest::currentTestFailed())
        return;
    QCOMPARE(form.parentWidget(), nullptr);
    QVERIFY(form.testAttribute(Qt::WA_DeleteOnClose));
    QCOMPARE(form.windowIcon().availableSizes().size(), 3);
    QCOMPARE(form.palette().color(QPalette::Window), QColor(Qt::black));
    QVERIFY((form.frameGeometry().center() - form.screen()->availableGeometry().center()).manhattanLength() <= 1);
}

void TestFixWindow::controls_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("parentName");
    QTest::addColumn<QString>("className");
    QTest::addColumn<QRect>("place");

    QTest::addRow("Frame1") << "Frame1" << "Form3" << "QFrame" << twips::rect(210, 150, 6810, 4590);
    QTest::addRow("Picture1") << "Picture1" << "Frame1" << "QWidget" << twips::rect(1230, 3555, 4470, 855);
    QTest::addRow("Command1") << "Command1" << "Picture1" << "QPushButton" << twips::rect(435, 240, 3390, 495);
}

void TestFixWindow::controls()
{
    QFETCH(QString, name);
    QFETCH(QString, parentName);
    QFETCH(QString, className);
    QFETCH(QRect, place);

    Form3 form(*m_session);
    auto control = form.findChild<QWidget *>(name);
    QVERIFY(control);
    QCOMPARE(QString::fromLatin1(control->metaObject()->className()), className);
    QCOMPARE(control->parentWidget()->objectName(), parentName);
    QCOMPARE(control->geometry(), place);
    if (auto button = qobject_cast<QPushButton *>(control)) {
        QCOMPARE(button->text(), QStringLiteral("Создать файл fix_krakozyabry.cmd "));
        QVERIFY(QFontMetrics(button->font()).horizontalAdvance(button->text()) < button->width());
    } else {
        QVERIFY(control->autoFillBackground());
        QCOMPARE(control->palette().color(QPalette::Window), QColor(Qt::black));
    }
}

void TestFixWindow::labels_data()
{
    QTest::addColumn<int>("left");
    QTest::addColumn<int>("top");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QColor>("colour");

    QTest::addRow("Label1") << 135 << 270 << "Кракозябры вместо русских букв..." << green;
    QTest::addRow("Label2") << 135 << 570 << "Почему такое случается? Однозначного ответа Вы не найдёте. Это может быть в" << green;
    QTest::addRow("Label3") << 135 << 855 << "следствии проделок вирусов, может из-за сбоя работы Windows (например, пропало" << green;
    QTest::addRow("Label4") << 135 << 1140 << "электричество и компьютер выключился аварийно), может программа создала" << green;
    QTest::addRow("Label5") << 135 << 1410 << "конфликт с другой или ОС и всё \"полетело\". В общем причин может быть много," << green;
    QTest::addRow("Label6") << 135 << 1695 << "но самая интересная причина - это \"Оно само вот так взяло и сломалось\"." << green;
    QTest::addRow("Label7") << 135 << 2100 << "Нажмите на кнопку \"Создать фикс\" и рядом с программой появится файл" << green;
    QTest::addRow("Label8") << 135 << 2385 << "fix_krakozyabry.cmd" << lightBlue;
    QTest::addRow("Label14") << 1590 << 2385 << ", который надо запустить" << green;
    QTest::addRow("Label9") << 3615 << 2385 << "от имени Администратора" << red;
    QTest::addRow("Label10") << 5700 << 2385 << "и затем" << green;
    QTest::addRow("Label11") << 135 << 2670 << "перезагрузить компьютер." << green;
    QTest::addRow("Label12") << 135 << 3045 << "Данное исправление поможет для всех программ, которые отображают текст" << green;
    QTest::addRow("Label13") << 135 << 3315 << "в виде кракозябров. Фикс применяется один раз." << green;
}

// Each label shows its whole line inside the frame.
void TestFixWindow::labels()
{
    QFETCH(int, left);
    QFETCH(int, top);
    QFETCH(QString, text);
    QFETCH(QColor, colour);

    Form3 form(*m_session);
    auto label = form.findChild<QLabel *>(QLatin1String(QTest::currentDataTag()));
    QVERIFY(label);
    QCOMPARE(label->parentWidget()->objectName(), QStringLiteral("Frame1"));
    QCOMPARE(label->text(), text);
    QCOMPARE(label->pos(), twips::rect(left, top, 0, 0).topLeft());
    QCOMPARE(label->palette().color(QPalette::WindowText), colour);
    QCOMPARE(label->font().families().value(0), QStringLiteral("MS Sans Serif"));
    QCOMPARE(label->font().pointSizeF(), 8.0);
    const QFontMetrics metrics(label->font());
    QVERIFY(metrics.horizontalAdvance(text) <= label->width());
    QVERIFY(metrics.height() <= label->height());
    QVERIFY2(label->geometry().right() < label->parentWidget()->contentsRect().right(),
             qPrintable(QStringLiteral("ends at %1").arg(label->geometry().right())));
}

void TestFixWindow::createsScriptThenClosesThenTells()
{
    QPointer<Form3> form = openForm();
    QVERIFY(form);
    QTest::mouseClick(form->findChild<QPushButton *>(QStringLiteral("Command1")), Qt::LeftButton);

    QTRY_COMPARE(m_messages.size(), 1);
    QCOMPARE(m_messages[0].text, successText);
    QVERIFY2(!m_messages[0].formVisible, "the window must be closed before the message");
    QFile script(fixScriptPath(m_folder.path()));
    QVERIFY(script.open(QIODevice::ReadOnly));
    QCOMPARE(script.readAll(), fixScriptBytes());
    QTRY_VERIFY(form.isNull());
}

void TestFixWindow::failureKeepsWindowAndNamesFile()
{
    const QString path = fixScriptPath(m_folder.path());
    QVERIFY(QDir().mkdir(path));
    QPointer<Form3> form = openForm();
    QVERIFY(form);
    QTest::mouseClick(form->findChild<QPushButton *>(QStringLiteral("Command1")), Qt::LeftButton);

    QTRY_COMPARE(m_messages.size(), 1);
    QVERIFY(m_messages[0].text != successText);
    QVERIFY(m_messages[0].text.contains(QDir::toNativeSeparators(path)));
    QVERIFY(m_messages[0].formVisible);
    QVERIFY(form);
    QVERIFY(form->isVisible());
    QCOMPARE(form->focusWidget(), form->findChild<QWidget *>(QStringLiteral("Picture1")));
    QVERIFY(QDir().rmdir(path));
}

void TestFixWindow::showSingleKeepsOneWindow()
{
    QPointer<Form3> slot;
    Form3 *first = showSingle(slot, *m_session);
    QVERIFY(QTest::qWaitForWindowExposed(first));
    QCOMPARE(showSingle(slot, *m_session), first);
    QCOMPARE(testsupport::visibleWindows<Form3>(), 1);

    first->close();
    QTRY_VERIFY(slot.isNull());
    QVERIFY(showSingle(slot, *m_session));
    QCOMPARE(testsupport::visibleWindows<Form3>(), 1);
}

QTEST_MAIN(TestFixWindow)
#include "tst_fixwindow.moc"
