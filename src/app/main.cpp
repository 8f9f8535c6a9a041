// lorim-config: the configuration tool's windows.

#include "storage/uCatalog.h"
#include "storage/uIniFile.h"
#include "ui/uMain.h"
#include "ui/uMessageBoxes.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QLibraryInfo>
#include <QScreen>
#include <QTranslator>

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("lorim-config"));
    QApplication::setApplicationVersion(QStringLiteral(LORIM_VERSION));
    QCommandLineParser args;
    args.setApplicationDescription(QStringLiteral(
        "The configuration tool of the LORIM alarm network: reads, edits and writes the "
        "configuration of a network through its communication module, and keeps configurations "
        "as files listed in a catalogue. It takes no options besides these."));
    args.addHelpOption();
    args.addVersionOption();
    args.process(app);
    // The standard buttons of message boxes and dialogs in Russian ("Да", "Нет", "Отмена").
    QTranslator qtTexts;
    if (qtTexts.load(QLocale(QLocale::Russian), QStringLiteral("qtbase"), QStringLiteral("_"),
                     QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QApplication::installTranslator(&qtTexts);
    // The start window is hidden while a mode window is open; the program ends with the start
    // window only.
    QApplication::setQuitOnLastWindowClosed(false);
    InitAppDir();

    TMessageBoxes boxes;
    TfmMain start(boxes, DefaultIniPath());
    QObject::connect(&start, &QDialog::finished, &app, &QApplication::quit);
    start.adjustSize();
    start.move(start.screen()->availableGeometry().center() - start.rect().center());
    start.show();
    return QApplication::exec();
}
