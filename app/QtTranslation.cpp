#include "app/QtTranslation.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QTranslator>

namespace qtTranslation {

QTranslator *installRussian(QCoreApplication &app)
{
    return installRussian(app, QLibraryInfo::path(QLibraryInfo::TranslationsPath));
}

QTranslator *installRussian(QCoreApplication &app, const QString &folder)
{
    auto translator = new QTranslator(&app);
    if (!translator->load(QStringLiteral("qtbase_ru"), folder) || !QCoreApplication::installTranslator(translator)) {
        delete translator;
        return nullptr;
    }
    return translator;
}

} // namespace qtTranslation
