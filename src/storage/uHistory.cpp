#include "storage/uHistory.h"

#include "model/uConfig.h"
#include "model/uNotify.h"
#include "model/uReport.h"
#include "storage/uCatalog.h"
#include "storage/uDB.h"
#include "storage/uFileOps.h"

#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QProcessEnvironment>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryFile>

#include <algorithm>

#ifdef Q_OS_UNIX
#include <sys/stat.h>
#endif

namespace {

const QString Section = QStringLiteral("History");
const QString Shared = QStringLiteral("refs/remotes/origin/main");
const QString ConfigFile = QStringLiteral("config.cfg");
const QString ReportFile = QStringLiteral("config.json");

// The configuration file is binary; the report is compared as text but never merged line by
// line, so that a merge never makes one report of two sites' states.
const QByteArray Attributes = "*.cfg binary\n*.json -text merge=binary\n";

QString ModuleFile(const QString &moduleID, const QString &name) { return moduleID + u'/' + name; }

// The environment git runs in: nothing of a repository the program was started from, messages
// in English for parsing, and never a pager, an editor or a prompt that would wait for a
// person who cannot see it. Git's own settings (SSH keys, credential helpers) stay.
QProcessEnvironment GitEnvironment(const QStringList &variables)
{
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    for (const char *name : {"GIT_DIR", "GIT_WORK_TREE", "GIT_INDEX_FILE", "GIT_OBJECT_DIRECTORY",
                             "GIT_COMMON_DIR", "LANGUAGE"})
        environment.remove(QString::fromLatin1(name));
    const QStringList fixed{
        QStringLiteral("LC_ALL=C"),      QStringLiteral("GIT_TERMINAL_PROMPT=0"),
        QStringLiteral("GIT_PAGER=cat"), QStringLiteral("PAGER=cat"),
        QStringLiteral("GIT_EDITOR=:"),  QStringLiteral("GIT_MERGE_AUTOEDIT=no")};
    for (const QString &variable : fixed + variables)
        environment.insert(variable.section(u'=', 0, 0), variable.section(u'=', 1));
    return environment;
}

// What git said went wrong: its first line that is not a hint.
QString GitMessage(const QByteArray &errors)
{
    for (const QString &line : QString::fromUtf8(errors).split(u'\n')) {
        const QString text = line.trimmed();
        if (!text.isEmpty() && !text.startsWith(u"hint:"))
            return text;
    }
    return QString();
}

// A moment in git's own form: seconds since 1970 and the offset from UTC.
QString GitDate(const QDateTime &when)
{
    const int minutes = when.offsetFromUtc() / 60;
    const int size = std::abs(minutes);
    return QStringLiteral("%1 %2%3%4")
        .arg(when.toSecsSinceEpoch())
        .arg(minutes < 0 ? u'-' : u'+')
        .arg(size / 60, 2, 10, QLatin1Char('0'))
        .arg(size % 60, 2, 10, QLatin1Char('0'));
}

QString DateText(const QDateTime &when)
{
    return when.toString(QStringLiteral("dd.MM.yyyy hh:mm"));
}

// The fields of git log's format "%H%x1f%h%x1f%at%x1f%an%x1f%s".
const QString LogFormat = QStringLiteral("%H%x1f%h%x1f%at%x1f%an%x1f%s");

THistoryVersion ParseVersion(const QString &line, const QString &moduleID)
{
    const QStringList f = line.split(u'\x1f');
    return {.Commit = f.value(0),
            .Short = f.value(1),
            .ModuleID = moduleID,
            .When = QDateTime::fromSecsSinceEpoch(f.value(2).toLongLong()),
            .Author = f.value(3),
            .Message = f.value(4)};
}

// The configuration without what its devices report (their versions and states), which is no
// setting of the site: a read that brings other versions alone takes no version.
std::unique_ptr<TConfig> SettingsOf(const TConfig &config)
{
    std::unique_ptr<TConfig> settings = config.Clone();
    for (int a = 1; a <= TConfig::MaxAddress; ++a)
        if (TDevice *device = settings->Device(a)) {
            device->vSoft.clear();
            device->vDev.clear();
            device->State = 0;
        }
    return settings;
}

const QString KeptLocally = QStringLiteral("Локальная история цела; синхронизируйте позже.");

} // namespace

THistorySettings LoadHistorySettings(const TIniPath &iniPath)
{
    const TIniFile ini(iniPath);
    const auto read = [&ini](const char *key) {
        return ini.ReadString(Section, QString::fromLatin1(key), QString()).trimmed();
    };
    THistorySettings settings{read("Folder"), read("Remote"), read("Author")};
    if (settings.Folder.isEmpty())
        settings.Folder = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) +
                          QStringLiteral("/lorim/history");
    return settings;
}

QString VersionMessage(THistoryEvent event, const QString &site)
{
    const char16_t *texts[] = {u"Считано из модуля", u"Перед записью в модуль",
                               u"Записано в модуль", u"Изменено в реальном времени", u"Сохранено"};
    const QString text = QString::fromUtf16(texts[static_cast<int>(event)]);
    return site.isEmpty() ? text : text + QStringLiteral(": ") + site;
}

QString HistorySiteName(const TIniPath &iniPath, const QString &file, const QString &moduleID)
{
    if (!file.isEmpty()) {
        const QString name = CatalogName(iniPath, file);
        return name.isEmpty() ? QFileInfo(file).fileName() : name;
    }
    if (moduleID.isEmpty())
        return QString();
    TDBConfig db(nullptr, nullptr);
    for (const TCatalogEntry &entry : LoadCatalog(iniPath))
        if (!entry.Name.isEmpty() && db.Connect(CatalogFilePath(iniPath, entry.Path)) &&
            db.ReadModuleID() == moduleID)
            return entry.Name;
    return QString();
}

THistory::THistory(THistorySettings settings, TLogSink *log)
    : FSettings(std::move(settings)), FLog(log)
{
}

THistory::TGitRun THistory::Git(const QStringList &args, const QByteArray &input, int timeoutMs,
                                const QStringList &variables)
{
    QProcess git;
    git.setWorkingDirectory(FSettings.Folder);
    git.setProcessEnvironment(GitEnvironment(FUserVariables + variables));
#ifdef Q_OS_UNIX
    // What git makes (the folders of sites received, the files it checks out) is its owner's
    // alone, as the history holds every password of every site.
    git.setChildProcessModifier([] { ::umask(077); });
#endif
    git.start(QStringLiteral("git"), args);
    TGitRun run;
    if (!git.waitForStarted(timeoutMs)) {
        run.Error = QStringLiteral("не удалось запустить git (установлен ли он?)");
        return run;
    }
    git.write(input);
    git.closeWriteChannel();
    if (!git.waitForFinished(timeoutMs)) {
        git.kill();
        git.waitForFinished();
        run.Error = QStringLiteral("git не ответил за %1 с").arg(timeoutMs / 1000);
        return run;
    }
    run.Out = git.readAllStandardOutput();
    run.Exit = git.exitStatus() == QProcess::NormalExit ? git.exitCode() : -1;
    run.Error = GitMessage(git.readAllStandardError());
    if (run.Error.isEmpty() && run.Exit != 0)
        run.Error = QStringLiteral("git %1 завершился с кодом %2").arg(args.value(0)).arg(run.Exit);
    return run;
}

bool THistory::Fail(const QString &reason)
{
    FFailure = reason;
    return false;
}

bool THistory::Run(const QStringList &args, const QByteArray &input, int timeoutMs,
                   const QStringList &variables)
{
    const TGitRun run = Git(args, input, timeoutMs, variables);
    return run.Ok() || Fail(run.Error);
}

bool THistory::EnsureRepository()
{
    const QDir folder(FSettings.Folder);
    if (!MakePrivatePath(folder.path()))
        return Fail(QStringLiteral("не удалось создать папку ") + folder.path());
    if (!QFileInfo(folder.filePath(QStringLiteral(".git"))).isDir() &&
        !Run({QStringLiteral("init"), QStringLiteral("-q"),
              QStringLiteral("--initial-branch=main")}))
        return false;
    const QString attributes = folder.filePath(QStringLiteral(".git/info/attributes"));
    if (!QFileInfo::exists(attributes) && !(MakePrivatePath(QFileInfo(attributes).path()) &&
                                            WritePrivateFile(attributes, Attributes)))
        return Fail(QStringLiteral("не удалось создать файл ") + attributes);
    // A sync that was cut off half-way leaves its merge behind; the next one starts afresh.
    if (QFileInfo::exists(folder.filePath(QStringLiteral(".git/MERGE_HEAD"))))
        Git({QStringLiteral("merge"), QStringLiteral("--abort")});
    TakeUserSettings();
    return true;
}

// What git's environment takes from the user's settings: the author of our versions (the INI
// file's, else git's user.name, else the login name; no e-mail address when git has none, rather
// than git refusing the versions), and an SSH that fails rather than asks for a passphrase or
// about an unknown server, unless the user has chosen an SSH command of their own.
void THistory::TakeUserSettings()
{
    if (FUserSettingsTaken)
        return;
    FUserSettingsTaken = true;
    const TGitRun settings = Git({QStringLiteral("config"), QStringLiteral("--get-regexp"),
                                  QStringLiteral("^(user\\.(name|email)|core\\.sshcommand)$")});
    QString name;
    bool email = false;
    bool ssh = qEnvironmentVariableIsSet("GIT_SSH_COMMAND") || qEnvironmentVariableIsSet("GIT_SSH");
    for (const QString &line : QString::fromUtf8(settings.Out).split(u'\n')) {
        if (line.startsWith(u"user.name "))
            name = line.section(u' ', 1).trimmed();
        email = email || line.startsWith(u"user.email ");
        ssh = ssh || line.startsWith(u"core.sshcommand ");
    }
    QString author = FSettings.Author;
    if (author.isEmpty())
        author = name;
    if (author.isEmpty())
        author = qEnvironmentVariable("USER", qEnvironmentVariable("USERNAME"));
    if (author.isEmpty())
        author = QStringLiteral("lorim");
    for (const char *role : {"AUTHOR", "COMMITTER"}) {
        const QString prefix = QStringLiteral("GIT_") + QString::fromLatin1(role);
        FUserVariables << prefix + QStringLiteral("_NAME=") + author;
        if (!email)
            FUserVariables << prefix + QStringLiteral("_EMAIL=");
    }
    if (!ssh)
        FUserVariables << QStringLiteral(
            "GIT_SSH_COMMAND=ssh -o BatchMode=yes -o ConnectTimeout=20");
}

bool THistory::HasCommit(const QString &revision)
{
    return Git({QStringLiteral("rev-parse"), QStringLiteral("--verify"), QStringLiteral("-q"),
                revision + QStringLiteral("^{commit}")})
        .Ok();
}

bool THistory::IsAncestor(const QString &older, const QString &newer)
{
    return Git({QStringLiteral("merge-base"), QStringLiteral("--is-ancestor"), older, newer}).Ok();
}

int THistory::CountVersions(const QString &range)
{
    return Git({QStringLiteral("rev-list"), QStringLiteral("--count"),
                QStringLiteral("--no-merges"), range})
        .Out.trimmed()
        .toInt();
}

bool THistory::WriteVersionFiles(TConfig &config, const QString &moduleID)
{
    const QDir folder(QDir(FSettings.Folder).filePath(moduleID));
    if (!MakePrivatePath(folder.path()))
        return Fail(QStringLiteral("не удалось создать папку ") + folder.path());
    const QString file = folder.filePath(ConfigFile);
    const TSaveResult saved = SaveConfigFile(config, file, TemplatePath(), nullptr, nullptr);
    if (saved != TSaveResult::Saved)
        return Fail(SaveFailure(saved, file));
    const QString report = folder.filePath(ReportFile);
    return WritePrivateFile(report, SiteReport(config, TReportFormat::Json, false)) ||
           Fail(QStringLiteral("не удалось создать файл ") + report);
}

bool THistory::Commit(const QString &message, const QDateTime &when)
{
    const QStringList dates{QStringLiteral("GIT_AUTHOR_DATE=") + GitDate(when),
                            QStringLiteral("GIT_COMMITTER_DATE=") + GitDate(when)};
    return Run({QStringLiteral("commit"), QStringLiteral("-q"), QStringLiteral("--no-verify"),
                QStringLiteral("-F"), QStringLiteral("-")},
               message.toUtf8(), LocalTimeout, when.isValid() ? dates : QStringList());
}

bool THistory::TakeVersion(const TConfig &config, const QString &message, const QDateTime &when)
{
    const TDevice *module = config.Device(1);
    if (!module || module->ID.isEmpty())
        return Fail(QStringLiteral("нет идентификатора модуля"));
    const QString moduleID = module->ID;
    if (!EnsureRepository() || !WriteVersionFiles(*SettingsOf(config), moduleID))
        return false;
    const QStringList files{QStringLiteral("--"), ModuleFile(moduleID, ConfigFile),
                            ModuleFile(moduleID, ReportFile)};
    if (!Run(QStringList{QStringLiteral("add")} + files))
        return false;
    const TGitRun staged = Git(
        QStringList{QStringLiteral("diff"), QStringLiteral("--cached"), QStringLiteral("--quiet")} +
        files);
    if (staged.Exit == 0) // the module's last version holds the same
        return true;
    if (staged.Exit != 1)
        return Fail(staged.Error);
    if (!Commit(message, when))
        return false;
    if (FLog)
        FLog->WriteLog(
            QStringLiteral("История: версия %1 «%2»")
                .arg(QString::fromUtf8(Git({QStringLiteral("rev-parse"), QStringLiteral("--short"),
                                            QStringLiteral("HEAD")})
                                           .Out.trimmed()),
                     message));
    return true;
}

bool THistory::Record(const TConfig &config, const QString &message, const QDateTime &when)
{
    FFailure.clear();
    if (TakeVersion(config, message, when))
        return true;
    FFailure = QStringLiteral("Версия не записана в историю: ") + FFailure;
    if (FLog)
        FLog->WriteLog(FFailure);
    return false;
}

QList<THistoryVersion> THistory::Versions(const QString &moduleID)
{
    if (!EnsureRepository() || !HasCommit(QStringLiteral("HEAD")))
        return {};
    // Every version, also those a merge did not keep as the site's current one.
    QStringList args{QStringLiteral("log"),
                     QStringLiteral("--full-history"),
                     QStringLiteral("--no-merges"),
                     QStringLiteral("--name-only"),
                     QStringLiteral("--format=%x1e") + LogFormat,
                     QStringLiteral("HEAD"),
                     QStringLiteral("--")};
    if (!moduleID.isEmpty())
        args << moduleID;
    QList<THistoryVersion> versions;
    for (const QString &entry :
         QString::fromUtf8(Git(args).Out).split(u'\x1e', Qt::SkipEmptyParts)) {
        const QStringList lines = entry.split(u'\n', Qt::SkipEmptyParts);
        const QString module = lines.value(1).section(u'/', 0, 0);
        if (!module.isEmpty())
            versions << ParseVersion(lines.value(0), module);
    }
    std::stable_sort(
        versions.begin(), versions.end(),
        [](const THistoryVersion &a, const THistoryVersion &b) { return a.When > b.When; });
    return versions;
}

QString THistory::Resolve(const QString &moduleID, const QString &revision)
{
    static const QRegularExpression back(QStringLiteral("^@(?:~(\\d{1,6}))?$"));
    static const QRegularExpression hash(QStringLiteral("^[0-9a-fA-F]{4,40}$"));
    FFailure.clear();
    if (const QRegularExpressionMatch match = back.match(revision); match.hasMatch()) {
        const QList<THistoryVersion> versions = Versions(moduleID);
        const qsizetype n = match.captured(1).toLongLong();
        if (n < versions.size())
            return versions[n].Commit;
        Fail(QStringLiteral("У объекта %1 нет версии %2").arg(moduleID, revision));
        return QString();
    }
    if (!hash.match(revision).hasMatch()) {
        Fail(QStringLiteral("Версия задаётся хешем или @~N, а не «%1»").arg(revision));
        return QString();
    }
    if (!EnsureRepository())
        return QString();
    const TGitRun commit = Git({QStringLiteral("rev-parse"), QStringLiteral("--verify"),
                                QStringLiteral("-q"), revision + QStringLiteral("^{commit}")});
    const QString full = QString::fromUtf8(commit.Out.trimmed());
    if (!commit.Ok()) {
        Fail(QStringLiteral("В истории нет версии ") + revision);
        return QString();
    }
    if (!Git({QStringLiteral("cat-file"), QStringLiteral("-e"),
              full + u':' + ModuleFile(moduleID, ConfigFile)})
             .Ok()) {
        Fail(QStringLiteral("В версии %1 нет объекта %2").arg(revision, moduleID));
        return QString();
    }
    return full;
}

bool THistory::Load(const QString &moduleID, const QString &commit, TConfig &config)
{
    FFailure.clear();
    const TGitRun file =
        Git({QStringLiteral("show"), commit + u':' + ModuleFile(moduleID, ConfigFile)});
    if (!file.Ok())
        return Fail(file.Error);
    // SQLite opens files by name: the version goes into a file of its owner's alone.
    QTemporaryFile copy(QDir::tempPath() + QStringLiteral("/lorim-version-XXXXXX.cfg"));
    if (!copy.open() || copy.write(file.Out) != file.Out.size() || !copy.flush())
        return Fail(QStringLiteral("Не удалось создать временный файл"));
    copy.close();
    TDBConfig db(&config, nullptr);
    return (db.Connect(copy.fileName()) && db.LoadConfig()) || Fail(db.Failure());
}

// The last version of a module on one side of a merge.
THistory::TSide THistory::LastChange(const QString &side, const QString &moduleID)
{
    const QStringList f = QString::fromUtf8(Git({QStringLiteral("log"), QStringLiteral("-1"),
                                                 QStringLiteral("--format=") + LogFormat, side,
                                                 QStringLiteral("--"), moduleID})
                                                .Out.trimmed())
                              .split(u'\x1f');
    return {side, f.value(2).toLongLong(), f.value(3), f.value(4)};
}

// Both installers changed the module: the later version becomes its current one, the other
// stays in the history as it was. What the user is told.
QString THistory::KeepLaterSide(const QString &moduleID)
{
    const TSide ours = LastChange(QStringLiteral("HEAD"), moduleID);
    const TSide theirs = LastChange(Shared, moduleID);
    const bool theirsLater = theirs.When > ours.When;
    Run({QStringLiteral("checkout"), (theirsLater ? theirs : ours).Commit, QStringLiteral("--"),
         moduleID});
    return QStringLiteral("Объект %1: есть версия от %2 (%3, «%4»), отличная от вашей. Обе версии "
                          "сохранены в истории; текущей %5.")
        .arg(moduleID, theirs.Author, DateText(QDateTime::fromSecsSinceEpoch(theirs.When)),
             theirs.Message,
             theirsLater ? QStringLiteral("стала она, как более поздняя")
                         : QStringLiteral("осталась ваша, как более поздняя"));
}

bool THistory::MergeShared(TSyncResult &result)
{
    if (!HasCommit(QStringLiteral("HEAD")) || IsAncestor(QStringLiteral("HEAD"), Shared))
        return Run(
            {QStringLiteral("merge"), QStringLiteral("-q"), QStringLiteral("--ff-only"), Shared});
    if (IsAncestor(Shared, QStringLiteral("HEAD")))
        return true;
    const TGitRun merge =
        Git({QStringLiteral("merge"), QStringLiteral("-q"), QStringLiteral("--no-commit"),
             QStringLiteral("--allow-unrelated-histories"), Shared});
    if (!QFileInfo::exists(QDir(FSettings.Folder).filePath(QStringLiteral(".git/MERGE_HEAD"))))
        return Fail(merge.Error);
    QStringList modules;
    if (!merge.Ok())
        for (const QString &path :
             QString::fromUtf8(Git({QStringLiteral("diff"), QStringLiteral("--name-only"),
                                    QStringLiteral("--diff-filter=U")})
                                   .Out)
                 .split(u'\n', Qt::SkipEmptyParts))
            if (const QString module = path.section(u'/', 0, 0); !modules.contains(module))
                modules << module;
    QStringList told;
    for (const QString &module : std::as_const(modules))
        told << KeepLaterSide(module);
    result.Lines << told;
    QString message = QStringLiteral("Синхронизация с общим хранилищем");
    if (!told.isEmpty())
        message += QStringLiteral("\n\n") + told.join(u'\n');
    return Commit(message, QDateTime());
}

bool THistory::FetchShared(TSyncResult &result)
{
    const TGitRun fetch = Git({QStringLiteral("fetch"), QStringLiteral("-q"),
                               QStringLiteral("--no-tags"), QStringLiteral("origin")},
                              {}, NetworkTimeout);
    if (fetch.Ok())
        return true;
    result.Lines << QStringLiteral("Нет связи с общим хранилищем истории ") + FSettings.Remote +
                        QStringLiteral(": ") + fetch.Error
                 << KeptLocally;
    return false;
}

TSyncResult THistory::Sync()
{
    FFailure.clear();
    const TSyncResult result = Share();
    if (FLog)
        for (const QString &line : result.Lines)
            FLog->WriteLog(line);
    return result;
}

TSyncResult THistory::Share()
{
    TSyncResult result;
    if (FSettings.Remote.isEmpty()) {
        result.Lines << QStringLiteral("Общее хранилище истории не задано: ключ Remote раздела "
                                       "History INI-файла.");
        return result;
    }
    const QString head = QStringLiteral("HEAD");
    if (!EnsureRepository() ||
        (HasCommit(head) &&
         !Run({QStringLiteral("reset"), QStringLiteral("-q"), QStringLiteral("--hard")})) ||
        !Run({QStringLiteral("config"), QStringLiteral("remote.origin.url"), FSettings.Remote}) ||
        !Run({QStringLiteral("config"), QStringLiteral("remote.origin.fetch"),
              QStringLiteral("+refs/heads/*:refs/remotes/origin/*")})) {
        result.Lines << QStringLiteral("История не синхронизирована: ") + FFailure;
        return result;
    }
    int received = 0;
    int sent = -1;
    QString refused;
    // Another installer may send versions between our fetch and our push: then again.
    for (int attempt = 0; attempt < 3; ++attempt) {
        if (!FetchShared(result))
            return result;
        const bool theirs = HasCommit(Shared);
        const bool ours = HasCommit(head);
        if (theirs)
            received += CountVersions(ours ? head + QStringLiteral("..") + Shared : Shared);
        if (sent < 0)
            sent = !ours ? 0 : CountVersions(theirs ? Shared + QStringLiteral("..") + head : head);
        if (theirs && !MergeShared(result)) {
            result.Lines << QStringLiteral("История не синхронизирована: ") + FFailure
                         << KeptLocally;
            return result;
        }
        if (!HasCommit(head) || (theirs && IsAncestor(head, Shared))) {
            refused.clear();
            break;
        }
        const TGitRun push = Git({QStringLiteral("push"), QStringLiteral("-q"),
                                  QStringLiteral("origin"), QStringLiteral("HEAD:refs/heads/main")},
                                 {}, NetworkTimeout);
        refused = push.Ok() ? QString() : push.Error;
        if (!refused.contains(u"[rejected]"))
            break;
    }
    if (!refused.isEmpty()) {
        result.Lines << QStringLiteral("Общее хранилище истории не приняло версии: ") + refused
                     << KeptLocally;
        return result;
    }
    result.Ok = true;
    result.Lines.prepend(
        QStringLiteral("История синхронизирована: получено версий: %1, отправлено: %2.")
            .arg(received)
            .arg(sent));
    return result;
}
