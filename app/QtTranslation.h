#pragma once

class QCoreApplication;
class QString;
class QTranslator;

namespace qtTranslation {

// Installs Qt's own Russian texts (file dialog, message-box buttons, context
// menus) on the application whatever the system's language, since all of the
// program's own texts are Russian. Reads qtbase_ru from Qt's translations
// folder, or from the folder given. Returns the translator, owned by the
// application, or nullptr when the file is missing or unreadable: Qt's texts
// then stay English and the program works as before.
QTranslator *installRussian(QCoreApplication &app);
QTranslator *installRussian(QCoreApplication &app, const QString &folder);

} // namespace qtTranslation
