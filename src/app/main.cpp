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

#include <cstdio>

namespace {

// Answers --help and --version (and refuses anything else) before the window system starts, so
// that they work without a display; ends the program when it has answered.
void ProcessOptions(int argc, char **argv)
{
    const QCoreApplication options(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("lorim-config"));
    QCoreApplication::setApplicationVersion(QStringLiteral(LORIM_VERSION));
    QCommandLineParser args;
    args.setApplicationDescription(QStringLiteral(
        "The configuration tool of the LORIM alarm network: reads, edits and writes the "
        "configuration of a network through its communication module, and keeps configurations "
        "as files listed in a catalogue. It takes no options besides these."));
    args.addHelpOption();
    args.addVersionOption();
    args.process(options);
}

// A window needs a display, or a platform named outright (QT_QPA_PLATFORM=offscreen).
bool HasDisplay()
{
    return qEnvironmentVariableIsSet("DISPLAY") || qEnvironmentVariableIsSet("WAYLAND_DISPLAY") ||
           qEnvironmentVariableIsSet("QT_QPA_PLATFORM");
}

} // namespace

int main(int argc, char **argv)
{
    ProcessOptions(argc, argv);
    if (!HasDisplay()) {
        std::fprintf(stderr, "lorim-config: no display (DISPLAY and WAYLAND_DISPLAY are not set); "
                             "lorim-cli does the link and file jobs without a window\n");
        return 1;
    }
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("lorim-config"));
    QApplication::setApplicationVersion(QStringLiteral(LORIM_VERSION));
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
