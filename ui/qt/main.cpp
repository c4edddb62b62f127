#include <QApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

#include "QtMainWindow.h"
#include "SettingsFile.h"
#ifndef _WIN32
#include "StandardDescriptors.h"
#endif

// The process lives exactly as long as the main window; however it ends, the status is 0.
int main(int argc, char* argv[]) {
#ifndef _WIN32
    // Qt's own warnings go to standard error, which must not be a patch opened in its place.
    quorrel::OpenStandardDescriptors();
#endif
    QApplication application(argc, argv);

    // Qt's own buttons and choosers speak the desktop's language, as native ones would.
    QTranslator qtTexts;
    if (qtTexts.load(QLocale::system(), QStringLiteral("qtbase"), QStringLiteral("_"),
                     QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
        QApplication::installTranslator(&qtTexts);
    }

    quorrel::qt::QtMainWindow window(quorrel::SettingsFile::ForExecutable());
    window.exec();
    return 0;
}
