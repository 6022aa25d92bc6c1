#include "app/QtTranslation.h"
#include "app/PlaylistDialog.h"

#include <QDialogButtonBox>
#include <QDir>
#include <QFileDialog>
#include <QLibraryInfo>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QTest>
#include <QTranslator>

#include <memory>

class TestQtTranslation : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void qtTexts_data();
    void qtTexts();

private:
    QTemporaryDir m_noTranslations;
};

void TestQtTranslation::qtTexts_data()
{
    QTest::addColumn<QString>("folder");
    QTest::addColumn<bool>("loaded");
    QTest::addColumn<QString>("open");
    QTest::addColumn<QString>("cancel");
    QTest::addColumn<QString>("fileName");
    QTest::addColumn<QString>("undo");

    QTest::addRow("Qt's translations") << QLibraryInfo::path(QLibraryInfo::TranslationsPath) << true
                                       << QStringLiteral("&Открыть") << QStringLiteral("Отмена")
                                       << QStringLiteral("&Имя файла:") << QStringLiteral("&Отменить действие");
    // The program still starts; Qt's texts stay as they are built in.
    QTest::addRow("no translation file") << m_noTranslations.path() << false << QStringLiteral("&Open")
                                         << QStringLiteral("Cancel") << QStringLiteral("File &name:") << QStringLiteral("&Undo");
}

// The open-file dialog and a text field's context menu, made after start-up
// has loaded (or failed to load) Qt's Russian texts. (Message boxes show only
// «OK», which the Russian translation keeps as it is.)
void TestQtTranslation::qtTexts()
{
    QFETCH(QString, folder);
    QFETCH(bool, loaded);
    QFETCH(QString, open);
    QFETCH(QString, cancel);
    QFETCH(QString, fileName);
    QFETCH(QString, undo);

    QTranslator *translator = qtTranslation::installRussian(*qApp, folder);
    const auto removeTranslator = qScopeGuard([translator] {
        QCoreApplication::removeTranslator(translator);
        delete translator;
    });
    QCOMPARE(translator != nullptr, loaded);

    const std::unique_ptr<QFileDialog> dialog(playlistDialog::create(nullptr, playlistDialog::load(QDir::tempPath())));
    const auto buttons = dialog->findChild<QDialogButtonBox *>();
    QVERIFY(buttons);
    QVERIFY(buttons->button(QDialogButtonBox::Open) && buttons->button(QDialogButtonBox::Cancel));
    QCOMPARE(buttons->button(QDialogButtonBox::Open)->text(), open);
    QCOMPARE(buttons->button(QDialogButtonBox::Cancel)->text(), cancel);
    QCOMPARE(dialog->labelText(QFileDialog::FileName), fileName);

    QLineEdit edit;
    const std::unique_ptr<QMenu> menu(edit.createStandardContextMenu());
    QVERIFY(!menu->actions().isEmpty());
    QCOMPARE(menu->actions().constFirst()->text().section(QLatin1Char('\t'), 0, 0), undo);
}

QTEST_MAIN(TestQtTranslation)
#include "tst_qttranslation.moc"
