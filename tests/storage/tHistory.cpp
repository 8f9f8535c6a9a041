// The history of the sites: a version only when a site changed, kept for its owner alone; two
// installers sharing their versions through a bare repository on disk, the company's server.

#include "storage/uHistory.h"

#include "model/uConfig.h"
#include "sim/uDemoSite.h"
#include "storage/uCatalog.h"
#include "support/uSampleConfigs.h"
#include "support/uTestSupport.h"

#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace {

const QString Site = u"0020FF78C534"_s;

struct History : testing::Test {
    QTemporaryDir Dir;
    QString Server = Dir.filePath(u"server.git"_s);

    void SetUp() override
    {
        InitAppDir();
        ASSERT_EQ(QProcess::execute(u"git"_s, {u"init"_s, u"-q"_s, u"--bare"_s, Server}), 0);
    }
    // An installer's settings: an INI file of their own names their history folder, the
    // server and their name.
    THistorySettings Installer(const QString &name, const QString &remote) const
    {
        const QString ini = Dir.filePath(name + u".ini"_s);
        WriteText(ini, u"[History]\nFolder=%1\nRemote=%2\nAuthor=%3\n"_s.arg(Dir.filePath(name),
                                                                             remote, name));
        return LoadHistorySettings(ini);
    }
    static QDateTime At(int hour) { return QDateTime(QDate(2026, 12, 7), QTime(hour, 0)); }
    // "author: message" of each version of the site, newest first.
    static QStringList Versions(THistory &history)
    {
        QStringList lines;
        for (const THistoryVersion &v : history.Versions(Site))
            lines << v.Author + u": "_s + v.Message;
        return lines;
    }
};

} // namespace

// A version is taken only when the site's settings changed; each can be loaded back by its hash
// or as "@~N". The history and its files are readable by their owner alone, and the report in it
// masks the passwords. A history that cannot be written says why in the log.
TEST_F(History, TakesAVersionWhenTheSiteChanged)
{
    TLogRecorder log;
    THistory history(Installer(u"Иванов"_s, Server), &log);
    TConfig site;
    FillDemoSite(site);
    const std::unique_ptr<TConfig> read = site.Clone();
    ASSERT_TRUE(history.Record(site, u"Считано из модуля: Объект №1"_s, At(10)));
    site.Device(3)->vSoft = u"9.9"_s; // reported by the panel, no setting
    ASSERT_TRUE(history.Record(site, u"Сохранено: plan.cfg"_s, At(11)));
    site.Device(2)->AsVEKT()->Loop(5)->Part = 3;
    ASSERT_TRUE(history.Record(site, u"Записано в модуль: Объект №1"_s, At(12)));
    EXPECT_EQ(Versions(history), (QStringList{u"Иванов: Записано в модуль: Объект №1"_s,
                                              u"Иванов: Считано из модуля: Объект №1"_s}));
    EXPECT_EQ(history.Versions().value(0).When, At(12));
    EXPECT_EQ(log.Lines.size(), 2);

    const QString first = history.Versions(Site).value(1).Commit;
    for (const QString &revision : {u"@~1"_s, first.left(7)}) {
        TConfig loaded;
        ASSERT_TRUE(history.Load(Site, history.Resolve(Site, revision), loaded))
            << history.Failure().toStdString();
        EXPECT_EQ(ConfigDifferences(*read, loaded, TCompare::Settings), QStringList());
    }
    for (const QString &revision : {u"@~2"_s, u"-x"_s, u"abcdef"_s}) {
        EXPECT_TRUE(history.Resolve(Site, revision).isEmpty());
        EXPECT_FALSE(history.Failure().isEmpty());
    }

    const QString folder = Dir.filePath(u"Иванов"_s);
    const QString report = ReadText(folder + u"/0020FF78C534/config.json"_s);
    EXPECT_TRUE(report.contains(u"\"****\""_s));
    EXPECT_FALSE(report.contains(u"8522"_s));
    const QFile::Permissions others = QFile::ReadGroup | QFile::WriteGroup | QFile::ExeGroup |
                                      QFile::ReadOther | QFile::WriteOther | QFile::ExeOther;
    for (const char *path :
         {"", "/.git", "/0020FF78C534", "/0020FF78C534/config.cfg", "/0020FF78C534/config.json"})
        EXPECT_EQ(QFileInfo(folder + QString::fromLatin1(path)).permissions() & others,
                  QFile::Permissions())
            << path;

    THistory blocked({Dir.filePath(u"Иванов.ini/x"_s), {}, {}}, &log);
    EXPECT_FALSE(blocked.Record(site, u"Сохранено"_s, At(13)));
    EXPECT_TRUE(log.Lines.last().startsWith(u"Версия не записана в историю: "_s));
}

// Two installers share their versions through the server. When both changed the same site, both
// versions stay in both histories, the later one is the site's current version, and the
// installer who brings in the other's is told.
TEST_F(History, TwoInstallersShareTheirVersions)
{
    THistory ivanov(Installer(u"Иванов"_s, Server), nullptr);
    THistory petrov(Installer(u"Петров"_s, Server), nullptr);
    TConfig site;
    FillDemoSite(site);
    ASSERT_TRUE(ivanov.Record(site, u"Считано из модуля"_s, At(10)));
    const auto sync = [](THistory &history) {
        const TSyncResult result = history.Sync();
        EXPECT_TRUE(result.Ok) << result.Lines.join(u'\n').toStdString();
        return result.Lines;
    };
    EXPECT_EQ(sync(ivanov).value(0),
              u"История синхронизирована: получено версий: 0, отправлено: 1."_s);
    EXPECT_EQ(sync(petrov).value(0),
              u"История синхронизирована: получено версий: 1, отправлено: 0."_s);
    EXPECT_EQ(Versions(petrov), QStringList{u"Иванов: Считано из модуля"_s});

    site.Device(2)->AsVEKT()->Loop(5)->Part = 3;
    ASSERT_TRUE(ivanov.Record(site, u"Записано в модуль"_s, At(11)));
    TConfig later;
    FillDemoSite(later);
    later.User(3)->Pswrd1 = u"4444"_s;
    ASSERT_TRUE(petrov.Record(later, u"Сохранено"_s, At(12)));
    sync(petrov);
    const QStringList told = sync(ivanov);
    ASSERT_EQ(told.size(), 2);
    EXPECT_TRUE(told[1].startsWith(u"Объект 0020FF78C534: есть версия от Петров "
                                   "(07.12.2026 12:00, «Сохранено»)"_s))
        << told[1].toStdString();
    EXPECT_TRUE(told[1].endsWith(u"текущей стала она, как более поздняя."_s));
    sync(petrov);
    const QStringList all{u"Петров: Сохранено"_s, u"Иванов: Записано в модуль"_s,
                          u"Иванов: Считано из модуля"_s};
    for (THistory *history : {&ivanov, &petrov}) {
        EXPECT_EQ(Versions(*history), all);
        TConfig current;
        ASSERT_TRUE(history->Load(Site, u"HEAD"_s, current));
        EXPECT_EQ(ConfigDifferences(later, current, TCompare::Settings), QStringList());
    }
}
