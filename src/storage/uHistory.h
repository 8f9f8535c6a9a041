#pragma once

#include "storage/uIniFile.h"

#include <QByteArray>
#include <QDateTime>
#include <QList>
#include <QString>
#include <QStringList>

class TConfig;
class TLogSink;

// The history of the sites: every event that changes or reveals a module's configuration is a
// version in a git repository, which installers share through any git server. Section
// "History" of the INI file: "Folder" (the user's data folder, ~/.local/share/lorim/history,
// when missing), "Remote" (a git URL; none: the history is not shared) and "Author" (git's
// user.name, else the login name, when missing).
struct THistorySettings {
    QString Folder;
    QString Remote;
    QString Author;
};

THistorySettings LoadHistorySettings(const TIniPath &iniPath);

// What took a version; its message begins with the event's text.
enum class THistoryEvent {
    Read,        // "Считано из модуля"
    BeforeWrite, // "Перед записью в модуль": what the module held before a whole write
    Written,  // "Записано в модуль"
    RealTime, // "Изменено в реальном времени": the end of a session that changed the module
    Saved     // "Сохранено"
};

// The message of a version: the event's text, then the site's name when there is one
// ("Считано из модуля: Объект №1").
QString VersionMessage(THistoryEvent event, const QString &site);

// How the history names a site: the catalogue's name for the file, else the file's own name;
// without a file, the name of the catalogue's entry whose file holds the module; else empty.
QString HistorySiteName(const TIniPath &iniPath, const QString &file, const QString &moduleID);

// One version of a module's configuration.
struct THistoryVersion {
    QString Commit; // the full hash
    QString Short;  // its abbreviation, as git shows it
    QString ModuleID;
    QDateTime When; // of the event
    QString Author;
    QString Message;
};

// How a sync ended: whether the shared history and ours now hold each other's versions, and
// what the user is told (the counts, a site that has versions from two installers, or why it
// failed).
struct TSyncResult {
    bool Ok = false;
    QStringList Lines;
};

// The history repository: the folder holds one folder per module identifier with the
// configuration file "config.cfg" and "config.json" (the site's report with passwords masked,
// so that any git viewer shows a readable difference). The system's git program does the work,
// with a fixed environment (no pager, no prompt, messages in English for parsing) and time
// limits. The folder is made on first use, for its owner alone, as a git repository. Nothing
// here shows a window: what happens goes into the log.
class THistory {
public:
    THistory(THistorySettings settings, TLogSink *log);

    // Takes a version of the configuration with the message, dated when, unless the module's
    // last version holds the same. What the devices report (their versions and states) is no
    // setting of the site and is not kept. False, with the reason logged and kept in Failure,
    // when it could not be written: the caller goes on regardless.
    bool Record(const TConfig &config, const QString &message, const QDateTime &when);

    // The versions of a module (of every module when the identifier is empty), newest first.
    QList<THistoryVersion> Versions(const QString &moduleID = {});

    // The commit of a version of the module: a commit hash or a prefix of one, or "@~N", the
    // Nth version of the module before its newest ("@" or "@~0" the newest). Empty, with the
    // reason in Failure, when there is none.
    QString Resolve(const QString &moduleID, const QString &revision);

    // The module's configuration as a commit holds it; false, with the reason in Failure.
    bool Load(const QString &moduleID, const QString &commit, TConfig &config);

    // Brings in the versions of the shared history and sends ours: fetch, merge, push. When two
    // installers changed a site, the merge keeps the later version as the site's current one;
    // the other stays in the history as the version it was, and the user is told.
    TSyncResult Sync();

    QString Failure() const { return FFailure; }

private:
    struct TGitRun {
        int Exit = -1; // -1: git did not start or did not end in time
        QByteArray Out;
        QString Error; // why it failed, for the user
        bool Ok() const { return Exit == 0; }
    };
    // What the last version of a module on one side of a merge was.
    struct TSide {
        QString Commit;
        qint64 When = 0;
        QString Author;
        QString Message;
    };

    // Runs git in the history's folder with the environment variables given besides the fixed
    // ones; Exit is -1 when git did not start or did not end within the time.
    TGitRun Git(const QStringList &args, const QByteArray &input = {}, int timeoutMs = LocalTimeout,
                const QStringList &variables = {});
    // Git, false with git's reason in Failure when it did not end well.
    bool Run(const QStringList &args, const QByteArray &input = {}, int timeoutMs = LocalTimeout,
             const QStringList &variables = {});
    bool Fail(const QString &reason);
    bool EnsureRepository();
    void TakeUserSettings();
    bool HasCommit(const QString &revision);
    bool IsAncestor(const QString &older, const QString &newer);
    int CountVersions(const QString &range);
    bool WriteVersionFiles(TConfig &config, const QString &moduleID);
    // Commits what is staged, dated when (now when it is not valid).
    bool Commit(const QString &message, const QDateTime &when);
    bool TakeVersion(const TConfig &config, const QString &message, const QDateTime &when);
    TSyncResult Share();
    bool FetchShared(TSyncResult &result);
    bool MergeShared(TSyncResult &result);
    TSide LastChange(const QString &side, const QString &moduleID);
    QString KeepLaterSide(const QString &moduleID);

    static constexpr int LocalTimeout = 30000;
    static constexpr int NetworkTimeout = 60000;

    THistorySettings FSettings;
    TLogSink *FLog;
    QString FFailure;
    QStringList FUserVariables; // NAME=value pairs for git's environment
    bool FUserSettingsTaken = false;
};
