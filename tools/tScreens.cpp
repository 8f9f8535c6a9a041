// Saves a picture of every dialog of the tool as it opens on the simulator's demo site, into
// the folder given: run under a real display (scripts/screenshots.sh runs it under Xvfb), so
// the pictures show what a user sees.  Usage: lorim_screens FOLDER

#include "model/uCheck.h"
#include "model/uCompare.h"
#include "model/uConfig.h"
#include "model/uReport.h"
#include "sim/uDemoSite.h"
#include "storage/uCatalog.h"
#include "storage/uHistory.h"
#include "ui/uAddShlf.h"
#include "ui/uCheckView.h"
#include "ui/uCompareView.h"
#include "ui/uCreateDev.h"
#include "ui/uHistoryView.h"
#include "ui/uMessageBoxes.h"
#include "ui/uStatus.h"
#include "ui/uTuningAccess.h"
#include "ui/uTuningDev.h"
#include "ui/uTuningIndic.h"
#include "ui/uTuningKeyDB.h"
#include "ui/uTuningLink.h"
#include "ui/uTuningPart.h"
#include "ui/uTuningRelay.h"
#include "ui/uTuningSMS.h"
#include "ui/uTuningShlf.h"
#include "ui/uTuningUser.h"
#include "ui/uUpdateCfg.h"
#include "ui/uViewCfg.h"

#include <QApplication>
#include <QDir>
#include <QImage>
#include <QLibraryInfo>
#include <QMessageBox>
#include <QPainter>
#include <QTemporaryDir>
#include <QTextDocument>
#include <QTimer>
#include <QTranslator>
#include <QTreeWidget>

#include <cstdio>

namespace {

// Shows the window, lets it paint, and saves it as FOLDER/name.png.
void Save(QWidget &window, const QString &folder, const char *name)
{
    window.show();
    for (int i = 0; i < 10; ++i)
        QApplication::processEvents();
    const QString path = folder + u'/' + QString::fromLatin1(name) + QStringLiteral(".png");
    window.grab().save(path);
    std::printf("%s\n", qPrintable(path));
    window.close();
}

// Saves the next modal window as FOLDER/name.png once it is up, which closes it.
void SaveNextModal(const QString &folder, const char *name)
{
    auto *poll = new QTimer;
    QObject::connect(poll, &QTimer::timeout, poll, [poll, folder, name] {
        if (QWidget *window = QApplication::activeModalWidget()) {
            poll->stop();
            poll->deleteLater();
            Save(*window, folder, name);
        }
    });
    poll->start(20);
}

// The history of the demo site as two installers made it over a week, and two of its versions
// compared.
void SaveHistory(const QString &folder, const QString &historyFolder, TMessageBoxes &boxes)
{
    TConfig site;
    FillDemoSite(site);
    const auto record = [&](const char16_t *author, int day, int hour, const QString &message) {
        THistory history({historyFolder, {}, QString::fromUtf16(author)}, nullptr);
        history.Record(site, message, QDateTime(QDate(2026, 12, day), QTime(hour, 20)));
    };
    record(u"Иванов", 1, 10, VersionMessage(THistoryEvent::Read, QStringLiteral("Демо")));
    site.Device(2)->AsVEKT()->Loop(6)->SetPart(1);
    record(u"Иванов", 1, 11, VersionMessage(THistoryEvent::Written, QStringLiteral("Демо")));
    site.Part(1)->SMS(3)->Phone = QStringLiteral("79161234567");
    record(u"Петров", 3, 15, VersionMessage(THistoryEvent::Saved, QStringLiteral("demo.cfg")));
    site.DeleteUser(3);
    record(u"Петров", 7, 9, VersionMessage(THistoryEvent::RealTime, QStringLiteral("Демо")));
    THistory history({historyFolder, {}, {}}, nullptr);
    TfmHistory view(history, site.Device(1)->ID, QString(), boxes, [](const QString &) {});
    view.show();
    auto *versions = view.findChild<QTreeWidget *>(QStringLiteral("lvHistory"));
    versions->topLevelItem(0)->setSelected(true);
    versions->topLevelItem(2)->setSelected(true);
    SaveNextModal(folder, "history-compare");
    view.Compare();
    Save(view, folder, "history");
}

// The first page of the site's report as the editor prints it to PDF, A4 at 96 dpi.
void SaveReportPage(const TConfig &site, const QString &folder)
{
    QTextDocument document;
    document.setHtml(
        QString::fromUtf8(SiteReport(site, TReportFormat::Html, false, QStringLiteral("Демо"))));
    const QSizeF page(794, 1123);
    document.setPageSize(page);
    QImage image(page.toSize(), QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    document.drawContents(&painter, QRectF(QPointF(0, 0), page));
    painter.end();
    const QString path = folder + QStringLiteral("/report-page1.png");
    image.save(path);
    std::printf("%s\n", qPrintable(path));
}

} // namespace

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    if (argc < 2) {
        std::fprintf(stderr, "usage: lorim_screens FOLDER\n");
        return 2;
    }
    QTranslator qtTexts;
    if (qtTexts.load(QLocale(QLocale::Russian), QStringLiteral("qtbase"), QStringLiteral("_"),
                     QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QApplication::installTranslator(&qtTexts);
    InitAppDir();
    const QString folder = QString::fromLocal8Bit(argv[1]);
    QDir().mkpath(folder);
    QTemporaryDir dir;
    const QString ini = dir.filePath(QStringLiteral("lorim-config.ini"));
    TMessageBoxes boxes;
    boxes.Scripted = true;
    TConfig site;
    FillDemoSite(site);
    site.AddDevice(7, QStringLiteral("ИБ-8"), QStringLiteral("0020FF78CA02"), 0, {}, {}, {});
    site.Device(7)->AsIndicDev()->Mode = 2;
    site.Device(7)->AsIndicDev()->Part = 1;

    const TOptnLink link{1, QStringLiteral("/dev/ttyS0"), 57600, QStringLiteral("127.0.0.2"),
                         10001};
    TfmTuningLink linkDialog(link, ini, {QStringLiteral("/dev/ttyS0")}, boxes);
    Save(linkDialog, folder, "link-settings");
    TfmCreateDev create;
    Save(create, folder, "create-device");
    TfmTuningDev module(site, true, 1, *site.Device(1), boxes);
    Save(module, folder, "device-module");
    TfmTuningDev panel(site, false, 3, *site.Device(3), boxes);
    Save(panel, folder, "device-panel");
    TfmTuningKP keypad(site, false, 4, *site.Device(4)->AsKP(), boxes);
    Save(keypad, folder, "device-keypad");
    TfmTuningVMS vms(site, false, 6, *site.Device(6)->AsIndicDev(), boxes);
    Save(vms, folder, "device-vms");
    TfmTuningIB ib(site, false, 7, *site.Device(7)->AsIndicDev(), boxes);
    Save(ib, folder, "device-ib8");
    TfmTuningKeyDB key(site, site.Device(2)->KeyDB, boxes);
    Save(key, folder, "key-db");
    TfmTuningPart part(site, false, 1, *site.Part(1), boxes);
    Save(part, folder, "partition");
    TfmTuningUser user(site, false, 1, *site.User(1), boxes);
    Save(user, folder, "user");
    TfmTuningUser admin(site, false, 111, *site.User(111), boxes);
    Save(admin, folder, "user-administrator");
    // Values the lists do not offer, as a file or the module may hold them, shown by name.
    TUser typeTwo(TUser::TypeAdmin, 1, 0, QStringLiteral("1234"), QStringLiteral("5678"));
    TfmTuningUser keptType(site, false, 1, typeTwo, boxes);
    Save(keptType, folder, "user-type-not-offered");
    site.AddDevice(8, QStringLiteral("ВЕКТ-8 v4"), QStringLiteral("0020FF78CA03"), 0, {}, {}, {});
    TShleif &v4Loop = *site.Device(8)->AsVEKT()->Loop(1);
    v4Loop.Assign({.Type = 8, .Delay = 30, .Part = 1});
    TfmTuningShlf keptLoop(site, v4Loop, false, false, boxes);
    Save(keptLoop, folder, "loop-type-not-offered");
    TfmAddShlf loops(site, 3, false, {}, boxes);
    Save(loops, folder, "add-loops");
    TfmTuningShlf loop(site, *site.Device(3)->AsVEKT()->Loop(1), false, true, boxes);
    Save(loop, folder, "loop");
    TfmTuningRelay relay(site, *site.Device(1)->AsRelayDev()->Relay(2), boxes);
    Save(relay, folder, "relay-aspt");
    TfmTuningRelay relayPart(site, *site.Device(1)->AsRelayDev()->Relay(1), boxes);
    Save(relayPart, folder, "relay-partition");
    TfmTuningIndic indicator(site, *site.Device(6)->AsIndicDev()->Indicator(2), boxes);
    Save(indicator, folder, "indicator");
    TfmTuningSMS sms(*site.Part(1)->SMS(1), boxes);
    Save(sms, folder, "sms");
    TfmTuningSMS longNumber(TSMS{.Phone = QStringLiteral("1234567890123456"), .Plus = 1}, boxes);
    Save(longNumber, folder, "sms-long-number");
    TfmTuningAccess access(TOptnAccess{QStringLiteral("8522")}, boxes);
    Save(access, folder, "access");
    SaveCatalog(ini,
                {{QStringLiteral("Демо"), QStringLiteral("Демонстрационный объект"),
                  QStringLiteral("/srv/lorim/demo.cfg")},
                 {QStringLiteral("Склад"), QStringLiteral("Северный склад"),
                  QStringLiteral("sites/sklad.cfg")}},
                boxes);
    TfmViewCfg catalogue(boxes, ini, link);
    Save(catalogue, folder, "catalogue");
    TfmUpdateCfg entry(TfmUpdateCfg::Change,
                       {QStringLiteral("Склад"), QStringLiteral("Северный склад"),
                        QStringLiteral("sites/sklad.cfg")},
                       ini, boxes);
    Save(entry, folder, "catalogue-entry");
    TConfig changed;
    FillDemoSite(changed);
    changed.Device(2)->AsVEKT()->Loop(6)->SetPart(1);
    changed.Part(1)->SMS(3)->Phone = QStringLiteral("79161234567");
    changed.DeleteUser(3);
    TfmCompare compare(CompareConfigs(site, changed));
    Save(compare, folder, "compare");
    SaveHistory(folder, dir.filePath(QStringLiteral("history")), boxes);
    SaveReportPage(site, folder);
    // A site with an installer's mistakes: an "АСПТ" relay on a loop in no partition, an SMS
    // record without its number, a partition without loops, a password two users share.
    TConfig faulty;
    FillDemoSite(faulty);
    faulty.Device(1)->AsRelayDev()->Relay(2)->Shlf = 7;
    faulty.Part(2)->SMS(2)->Type = 2;
    faulty.PutPart(4, faulty.CreatePart(0, {}));
    faulty.User(2)->Pswrd1 = QStringLiteral("1234");
    TfmCheck check(CheckConfig(faulty), [](const TObjectRef &) {});
    Save(check, folder, "check");

    // A question as the program asks it: Qt's own Russian texts on its standard buttons.
    QMessageBox question(QMessageBox::Question, QStringLiteral("Внимание"),
                         QStringLiteral("Вы действительно хотите изменить настройки?"),
                         QMessageBox::Yes | QMessageBox::No);
    Save(question, folder, "question");
    // An error as the program shows it: the warning icon, a cause on a second line.
    QMessageBox error(QMessageBox::Warning, QStringLiteral("ЛОРИМ"),
                      QStringLiteral("Не удалось загрузить конфигурацию\n"
                                     "файл повреждён: не удалось прочитать таблицу User"),
                      QMessageBox::Ok);
    Save(error, folder, "error");

    TfmStatus progress;
    progress.SetMax(10);
    for (int i = 0; i < 4; ++i)
        progress.Step();
    Save(progress, folder, "progress");
    return 0;
}
