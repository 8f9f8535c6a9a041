#include "storage/uDB.h"

#include "model/uConfig.h"
#include "model/uNotify.h"
#include "storage/uCatalog.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryFile>

#include <QList>
#include <filesystem>
#include <system_error>

namespace {

// A value written into a statement: a number in decimal, a text quoted with every single quote
// inside doubled, so whatever a text holds it is stored as it is.
struct TLiteral {
    TLiteral(qint64 n) : Text(QString::number(n)) {}
    TLiteral(const QString &s)
        : Text(u'\'' + QString(s).replace(u'\'', QStringLiteral("''")) + u'\'')
    {
    }
    QString Text;
};

QString Insert(const QString &table, const QStringList &columns, const QList<TLiteral> &values)
{
    QStringList texts;
    for (const TLiteral &v : values)
        texts.append(v.Text);
    return QStringLiteral("INSERT INTO [") + table + QStringLiteral("] ([") +
           columns.join(QStringLiteral("],[")) + QStringLiteral("]) VALUES (") +
           texts.join(QStringLiteral(", ")) + u')';
}

QString SelectAll(const QString &table) { return QStringLiteral("SELECT * FROM [") + table + u']'; }

QString Num(qint64 n) { return QString::number(n); }

QString DeviceLine(const QString &type, int address, bool ok)
{
    return QStringLiteral("  ") + type + QStringLiteral(" [") + Num(address) +
           (ok ? QStringLiteral("]: OK") : QStringLiteral("]: Error"));
}

QString Result(bool ok) { return ok ? QStringLiteral(": OK") : QStringLiteral(": Error"); }

// A value from a table of names: values past the table read as 0.
std::uint8_t InTable(qint64 value, int last) { return value >= 0 && value <= last ? value : 0; }

QString NotConfiguration() { return QStringLiteral("не является файлом конфигурации"); }
QString Damaged(const QString &what) { return QStringLiteral("файл повреждён: ") + what; }

const QStringList UserColumns{QStringLiteral("Num"),    QStringLiteral("Type"),
                              QStringLiteral("Part1"),  QStringLiteral("Part2"),
                              QStringLiteral("Pswrd1"), QStringLiteral("Pswrd2")};

} // namespace

TDBConfig::TDBConfig(TConfig *config, TLogSink *log, TProgress *progress)
    : FConfig(config), FLog(log), FProgress(progress)
{
}

bool TDBConfig::Connect(const QString &path)
{
    if (FConnection.Open(path))
        return true;
    if (!QFileInfo(path).isFile())
        FFailure = QStringLiteral("файл не найден");
    else if (FConnection.NotADatabase())
        FFailure = NotConfiguration();
    else
        FFailure = Damaged(QStringLiteral("не удалось прочитать список таблиц"));
    return false;
}

void TDBConfig::Log(const QString &line)
{
    if (FLog)
        FLog->WriteLog(line);
}

void TDBConfig::Step()
{
    if (FProgress)
        FProgress->ProgressStep();
}

bool TDBConfig::Run(const QString &sql)
{
    FQuery.Close();
    const bool ok = FConnection.Execute(sql);
    FAllWritten = FAllWritten && ok;
    return ok;
}

bool TDBConfig::HasColumn(const QString &table, const QString &column)
{
    FQuery.Open(FConnection, QStringLiteral("PRAGMA table_info([") + table + QStringLiteral("])"));
    bool found = false;
    for (; !FQuery.Eof() && !found; FQuery.Next())
        found = FQuery.AsText(QStringLiteral("name")).compare(column, Qt::CaseInsensitive) == 0;
    FQuery.Close();
    return found;
}

bool TDBConfig::HasTable(const QString &table)
{
    return FQuery.Open(FConnection, QStringLiteral("SELECT name FROM sqlite_master WHERE "
                                                   "type='table' AND name=") +
                                        TLiteral(table).Text + QStringLiteral(" COLLATE NOCASE")) &&
           !FQuery.Eof();
}

// A file with neither of the tables every configuration has is some other database; one with
// either is a configuration file that is damaged.
void TDBConfig::FailedToRead(const QString &table)
{
    FFailure = HasTable(QStringLiteral("Part")) || HasTable(QStringLiteral("User"))
                   ? Damaged(QStringLiteral("не удалось прочитать таблицу ") + table)
                   : NotConfiguration();
}

// ---- saving ----

bool TDBConfig::SaveConfig()
{
    if (!FConfig || !FConnection.IsOpen())
        return false;
    Log(QStringLiteral("Сохранение конфигурации в БД..."));
    if (FProgress) {
        FProgress->ProgressMax(FConfig->PartCount() + FConfig->DeviceCount() +
                               FConfig->UserCount());
        FProgress->ProgressReset();
    }
    // The pair-of-loops flag has a column of its own only in files made from our template; a
    // file with the older table keeps the rest.
    FRelayTwoShlf = HasColumn(QStringLiteral("Relay"), QStringLiteral("TwoShlf"));
    FAllWritten = FConnection.Execute(QStringLiteral("BEGIN"));
    SaveParts();
    SaveDevices();
    SaveUsers();
    if (FAllWritten && FConnection.Execute(QStringLiteral("COMMIT")))
        return true;
    FConnection.Execute(QStringLiteral("ROLLBACK"));
    return false;
}

void TDBConfig::SaveParts()
{
    Log(QStringLiteral("Запись разделов..."));
    for (int p = 1; p <= TConfig::MaxPart; ++p) {
        const TPart *part = FConfig->Part(p);
        if (!part)
            continue;
        const bool ok =
            Run(Insert(QStringLiteral("Part"),
                       {QStringLiteral("Num"), QStringLiteral("KeyDB"), QStringLiteral("Delay")},
                       {p, part->KeyDB, part->Delay}));
        Log(QStringLiteral("  ") + Num(p) + Result(ok));
        if (!ok)
            continue;
        Log(QStringLiteral("  Запись СМС..."));
        for (int i = 1; i <= TPart::SMSCount; ++i) {
            const TSMS *sms = part->SMS(i);
            const bool smsOk = Run(
                Insert(QStringLiteral("SMS"),
                       {QStringLiteral("Part"), QStringLiteral("Num"), QStringLiteral("Type"),
                        QStringLiteral("Phone"), QStringLiteral("Plus"), QStringLiteral("Code")},
                       {p, i, sms->Type, sms->Phone, sms->Plus, sms->Code}));
            Log(QStringLiteral("    СМС") + Num(i) + Result(smsOk));
        }
        Step();
    }
}

void TDBConfig::SaveDevices()
{
    Log(QStringLiteral("Запись устройств..."));
    for (int a = 1; a <= TConfig::MaxAddress; ++a) {
        const TDevice *d = FConfig->Device(a);
        if (!d)
            continue;
        if (!Run(Insert(QStringLiteral("Device"),
                        {QStringLiteral("NA"), QStringLiteral("ID"), QStringLiteral("KeyDB"),
                         QStringLiteral("Type"), QStringLiteral("vSoft"), QStringLiteral("vDev"),
                         QStringLiteral("State")},
                        {a, d->ID, d->KeyDB, d->Type, d->vSoft, d->vDev, d->State})))
            continue;
        QString kindRow;
        if (d->AsRelayDev())
            kindRow = Insert(QStringLiteral("RelayDev"), {QStringLiteral("NA")}, {a});
        else if (d->AsVEKT())
            kindRow = Insert(QStringLiteral("VEKT"), {QStringLiteral("NA")}, {a});
        else if (const TIndicDev *i = d->AsIndicDev())
            kindRow = Insert(QStringLiteral("IndicDev"),
                             {QStringLiteral("NA"), QStringLiteral("Mode"), QStringLiteral("Sound"),
                              QStringLiteral("Part")},
                             {a, i->Mode, i->Sound, i->Part});
        else if (const TKP *k = d->AsKP())
            kindRow =
                Insert(QStringLiteral("KP"),
                       {QStringLiteral("NA"), QStringLiteral("Sound"), QStringLiteral("Part")},
                       {a, k->Sound, k->Part});
        const bool ok = Run(kindRow);
        Log(DeviceLine(d->Type, a, ok));
        if (!ok)
            continue;
        SaveDeviceOutputs(a, *d);
        Step();
    }
}

void TDBConfig::SaveDeviceOutputs(int a, const TDevice &d)
{
    if (const TVEKT *v = d.AsVEKT()) {
        Log(QStringLiteral("  Запись шлейфов..."));
        for (int i = 1; i <= v->Count(); ++i) {
            const TShleif *l = v->Loop(i);
            const bool ok = Run(
                Insert(QStringLiteral("Shleif"),
                       {QStringLiteral("NA"), QStringLiteral("Num"), QStringLiteral("Type"),
                        QStringLiteral("Delay"), QStringLiteral("Flags"), QStringLiteral("Part")},
                       {a, i, l->Type, l->Delay, l->Flags, l->Part}));
            Log(QStringLiteral("    Шлейф") + Num(i) + Result(ok));
        }
    } else if (const TRelayDev *r = d.AsRelayDev()) {
        Log(QStringLiteral("  Запись реле..."));
        for (int i = 1; i <= r->Count(); ++i) {
            const TRelay *relay = r->Relay(i);
            const bool aspt = relay->IsASPT();
            QStringList columns{QStringLiteral("NA"),   QStringLiteral("Num"),
                                QStringLiteral("Mode"), QStringLiteral("Device"),
                                QStringLiteral("Shlf"), QStringLiteral("Delay")};
            QList<TLiteral> values{
                a, i, relay->Mode, relay->Device, aspt ? relay->Shlf : 0, relay->Delay};
            if (FRelayTwoShlf) {
                columns << QStringLiteral("TwoShlf");
                values << TLiteral(aspt ? relay->TwoShlf : 0);
            }
            const bool ok = Run(Insert(QStringLiteral("Relay"), columns, values));
            Log(QStringLiteral("    Реле") + Num(i) + Result(ok));
        }
    } else if (const TIndicDev *u = d.AsIndicDev()) {
        Log(QStringLiteral("  Запись индикаторов..."));
        for (int i = 1; i <= u->Count(); ++i) {
            const TIndicator *ind = u->Indicator(i);
            const bool ok =
                Run(Insert(QStringLiteral("Indicator"),
                           {QStringLiteral("NA"), QStringLiteral("Num"), QStringLiteral("Mode"),
                            QStringLiteral("Device"), QStringLiteral("Shlf")},
                           {a, i, ind->Mode, ind->Device, ind->IsShlfMode() ? ind->Shlf : 0}));
            Log(QStringLiteral("    Индикатор") + Num(i) + Result(ok));
        }
    }
}

void TDBConfig::SaveUsers()
{
    Log(QStringLiteral("Запись пользователей..."));
    for (int n = 1; n <= TConfig::MaxUser; ++n) {
        const TUser *u = FConfig->User(n);
        if (!u)
            continue;
        const bool ok = Run(Insert(QStringLiteral("User"), UserColumns,
                                   {n, u->Type, u->Part1, u->Part2, u->Pswrd1, u->Pswrd2}));
        Log(QStringLiteral("  ") + Num(n) + Result(ok));
        if (ok)
            Step();
    }
}

bool TDBConfig::SaveAdminPassword(const QString &password)
{
    if (!FConnection.IsOpen())
        return false;
    const QString where = QStringLiteral(" WHERE [Num]=") + Num(TUser::AdminNumber);
    if (FQuery.Open(FConnection, QStringLiteral("SELECT [Num] FROM [User]") + where) &&
        !FQuery.Eof())
        return Run(QStringLiteral("UPDATE [User] SET [Pswrd1]=") + TLiteral(password).Text + where);
    const TUser admin = TUser::Administrator();
    return Run(
        Insert(QStringLiteral("User"), UserColumns,
               {TUser::AdminNumber, admin.Type, admin.Part1, admin.Part2, password, admin.Pswrd2}));
}

// ---- point queries ----

QString TDBConfig::ReadModuleID()
{
    if (!FQuery.Open(FConnection, QStringLiteral("SELECT ID FROM [Device] WHERE NA=1")))
        return QString();
    return PlainText(QStringLiteral("ID"));
}

QString TDBConfig::ReadAdminPassword()
{
    if (!FQuery.Open(FConnection, QStringLiteral("SELECT Pswrd1 FROM [User] WHERE Num=111")))
        return QString();
    return PlainText(QStringLiteral("Pswrd1"));
}

QString TDBConfig::PlainText(const QString &column) const
{
    try {
        return FQuery.AsText(column);
    } catch (const TSqlError &) {
        return QString();
    }
}

// ---- loading ----

int TDBConfig::ByteOf(const QString &column) const
{
    return static_cast<std::uint8_t>(FQuery.AsInteger(column));
}

bool TDBConfig::IsPartRef(int ref) const
{
    return ref == 255 || (ref >= 1 && ref <= TConfig::MaxPart && FConfig->Part(ref));
}

bool TDBConfig::OpenTable(const QString &sql, const QString &failure)
{
    if (FQuery.Open(FConnection, sql))
        return true;
    Log(failure);
    return false;
}

int TDBConfig::CountRows()
{
    int total = 0;
    for (const char16_t *table :
         {u"Part", u"SMS", u"Device", u"Shleif", u"Relay", u"Indicator", u"User"})
        if (FQuery.Open(FConnection, SelectAll(QString::fromUtf16(table))))
            total += FQuery.RecordCount();
    return total;
}

bool TDBConfig::LoadConfig()
{
    if (!FConfig || !FConnection.IsOpen())
        return false;
    Log(QStringLiteral("Загрузка конфигурации из БД..."));
    const int total = CountRows();
    if (FProgress) {
        FProgress->ProgressMax(total);
        FProgress->ProgressReset();
    }
    if (!LoadParts())
        return false;
    LoadSMS();
    Log(QStringLiteral("Загрузка устройств..."));
    LoadDevices(QStringLiteral("VEKT"));
    LoadLoops();
    LoadDevices(QStringLiteral("RelayDev"));
    LoadRelays();
    LoadDevices(QStringLiteral("IndicDev"));
    LoadIndicators();
    LoadDevices(QStringLiteral("KP"));
    return LoadUsers();
}

// Each loader walks its rows with one guard per row: reading the row's own number may throw
// (the row is then passed over without a line), filling or placing it may throw (its line then
// ends in Error). The progress bar steps for every row.

template <typename Place>
bool TDBConfig::LoadNumbered(const QString &table, const QString &header, int last, Place place)
{
    Log(header);
    if (!OpenTable(SelectAll(table), QStringLiteral("Не удалось открыть таблицу ") + table)) {
        FailedToRead(table);
        return false;
    }
    for (; !FQuery.Eof(); FQuery.Next(), Step()) {
        int num;
        try {
            num = ByteOf(QStringLiteral("Num"));
        } catch (const TSqlError &) {
            continue;
        }
        if (num < 1 || num > last)
            continue;
        bool ok = false;
        try {
            ok = place(num);
        } catch (const TSqlError &) {
        }
        Log(QStringLiteral("  ") + Num(num) + Result(ok));
    }
    return true;
}

bool TDBConfig::LoadParts()
{
    return LoadNumbered(QStringLiteral("Part"), QStringLiteral("Загрузка разделов..."),
                        TConfig::MaxPart, [this](int num) {
                            auto part = FConfig->CreatePart(0, QString());
                            if (!part)
                                return false;
                            part->KeyDB = FQuery.AsText(QStringLiteral("KeyDB"));
                            part->Delay =
                                static_cast<unsigned>(FQuery.AsInteger(QStringLiteral("Delay")));
                            return FConfig->PutPart(num, std::move(part));
                        });
}

void TDBConfig::LoadSMS()
{
    Log(QStringLiteral("  Загрузка СМС..."));
    if (!OpenTable(SelectAll(QStringLiteral("SMS")),
                   QStringLiteral("  Не удалось открыть таблицу SMS")))
        return;
    for (; !FQuery.Eof(); FQuery.Next(), Step()) {
        TPart *part;
        int num;
        try {
            part = FConfig->Part(ByteOf(QStringLiteral("Part")));
            if (!part)
                continue;
            num = ByteOf(QStringLiteral("Num"));
        } catch (const TSqlError &) {
            continue;
        }
        TSMS *sms = part->SMS(num);
        if (!sms)
            continue;
        bool ok = true;
        try {
            sms->Type = InTable(FQuery.AsInteger(QStringLiteral("Type")), 3);
            sms->Phone = FQuery.AsText(QStringLiteral("Phone"));
            sms->Plus = static_cast<unsigned>(FQuery.AsInteger(QStringLiteral("Plus")));
            sms->Code = InTable(FQuery.AsInteger(QStringLiteral("Code")), 1);
        } catch (const TSqlError &) {
            ok = false;
        }
        Log(QStringLiteral("    СМС") + Num(num) + Result(ok));
    }
}

void TDBConfig::LoadDevices(const QString &kindTable)
{
    if (!OpenTable(SelectAll(kindTable) +
                       QStringLiteral(" tb INNER JOIN [Device] d ON tb.[NA]=d.[NA]"),
                   QStringLiteral("Не удалось открыть таблицы Device и ") + kindTable))
        return;
    for (; !FQuery.Eof(); FQuery.Next(), Step()) {
        int address;
        try {
            address = ByteOf(QStringLiteral("tb.NA"));
        } catch (const TSqlError &) {
            continue;
        }
        if (address >= 1 && address <= TConfig::MaxAddress)
            LoadDeviceRow(address);
    }
}

void TDBConfig::LoadDeviceRow(int address)
{
    QString type;
    bool ok = false;
    try {
        type = FQuery.AsText(QStringLiteral("Type"));
        auto device = FConfig->CreateDevice(type, QString(), 0, QString(), QString(), QString());
        if (device) {
            device->ID = FQuery.AsText(QStringLiteral("ID"));
            device->KeyDB = FQuery.AsText(QStringLiteral("KeyDB"));
            device->vSoft = FQuery.AsText(QStringLiteral("vSoft"));
            device->vDev = FQuery.AsText(QStringLiteral("vDev"));
            device->State = ByteOf(QStringLiteral("State"));
            if (TKP *k = device->AsKP()) {
                k->Sound = ByteOf(QStringLiteral("Sound"));
                if (const int p = ByteOf(QStringLiteral("Part")); IsPartRef(p))
                    k->Part = p;
            } else if (TIndicDev *i = device->AsIndicDev()) {
                i->Sound = ByteOf(QStringLiteral("Sound"));
                i->Mode = InTable(ByteOf(QStringLiteral("Mode")), 3);
                if (const int p = ByteOf(QStringLiteral("Part")); IsPartRef(p))
                    i->Part = p;
            }
            // A later row for the same address replaces the earlier one, without questions.
            FConfig->DeleteDevice(address, true);
            ok = FConfig->PutDevice(address, std::move(device));
        }
    } catch (const TSqlError &) {
        ok = false;
    }
    Log(DeviceLine(type, address, ok));
}

template <typename Out, typename Find, typename Fill>
void TDBConfig::LoadOutputs(const QString &table, const QString &header, const QString &word,
                            Find outputAt, Fill fill)
{
    Log(header);
    if (!OpenTable(SelectAll(table), QStringLiteral("  Не удалось открыть таблицу ") + table))
        return;
    for (; !FQuery.Eof(); FQuery.Next(), Step()) {
        Out *output;
        int num;
        try {
            num = ByteOf(QStringLiteral("Num"));
            output = outputAt(ByteOf(QStringLiteral("NA")), num);
        } catch (const TSqlError &) {
            continue;
        }
        if (!output)
            continue;
        bool ok = true;
        try {
            fill(*output);
        } catch (const TSqlError &) {
            ok = false;
        }
        Log(QStringLiteral("    ") + word + Num(num) + Result(ok));
    }
}

bool TDBConfig::ReadTarget(bool loopMode, int &device, int &shlf) const
{
    device = ByteOf(QStringLiteral("Device"));
    shlf = 0;
    if (!loopMode)
        return IsPartRef(device);
    const TDevice *d = FConfig->Device(device);
    const TVEKT *panel = d ? d->AsVEKT() : nullptr;
    if (!panel)
        return false;
    shlf = ByteOf(QStringLiteral("Shlf"));
    return panel->Loop(shlf) != nullptr;
}

void TDBConfig::LoadLoops()
{
    LoadOutputs<TShleif>(
        QStringLiteral("Shleif"), QStringLiteral("  Загрузка шлейфов..."), QStringLiteral("Шлейф"),
        [this](int address, int n) {
            TDevice *d = FConfig->Device(address);
            return d && d->AsVEKT() ? d->AsVEKT()->Loop(n) : nullptr;
        },
        [this](TShleif &loop) {
            const int part = ByteOf(QStringLiteral("Part"));
            if (part < 1 || part > TConfig::MaxPart)
                return;
            const int type = ByteOf(QStringLiteral("Type"));
            if (type < 1 || type > 9 || !FConfig->Part(part))
                return;
            loop.Part = part;
            loop.Type = type;
            loop.Flags = ByteOf(QStringLiteral("Flags"));
            if (loop.HasDelay())
                loop.Delay = ByteOf(QStringLiteral("Delay"));
        });
}

void TDBConfig::LoadRelays()
{
    LoadOutputs<TRelay>(
        QStringLiteral("Relay"), QStringLiteral("  Загрузка реле..."), QStringLiteral("Реле"),
        [this](int address, int n) {
            TDevice *d = FConfig->Device(address);
            return d && d->AsRelayDev() ? d->AsRelayDev()->Relay(n) : nullptr;
        },
        [this](TRelay &relay) {
            const int mode = InTable(ByteOf(QStringLiteral("Mode")), 9);
            int device;
            int shlf;
            if (mode == 0 || !ReadTarget(mode == TRelay::ModeASPT, device, shlf))
                return;
            relay.Mode = mode;
            if (relay.HasDelay())
                relay.Delay = ByteOf(QStringLiteral("Delay"));
            relay.Device = device;
            relay.Shlf = shlf;
            // Files written before the "two loops" option was stored have no such column.
            if (relay.IsASPT() && FQuery.HasColumn(QStringLiteral("TwoShlf")))
                relay.TwoShlf = FQuery.AsInteger(QStringLiteral("TwoShlf")) != 0 ? 1 : 0;
        });
}

void TDBConfig::LoadIndicators()
{
    LoadOutputs<TIndicator>(
        QStringLiteral("Indicator"), QStringLiteral("  Загрузка индикаторов..."),
        QStringLiteral("Индикатор"),
        [this](int address, int n) {
            TDevice *d = FConfig->Device(address);
            TIndicDev *owner = d ? d->AsIndicDev() : nullptr;
            return owner && owner->IsIndividual() ? owner->Indicator(n) : nullptr;
        },
        [this](TIndicator &indicator) {
            const int mode = InTable(ByteOf(QStringLiteral("Mode")), 2);
            int device;
            int shlf;
            if (mode == 0 || !ReadTarget(mode == TIndicator::ModeShlf, device, shlf))
                return;
            indicator.Mode = mode;
            indicator.Device = device;
            indicator.Shlf = shlf;
        });
}

bool TDBConfig::LoadUsers()
{
    return LoadNumbered(QStringLiteral("User"), QStringLiteral("Загрузка пользователей..."),
                        TConfig::MaxUser, [this](int num) {
                            auto user = std::make_unique<TUser>(TUser::Default());
                            user->Type = InTable(FQuery.AsInteger(QStringLiteral("Type")), 2);
                            user->Pswrd1 = FQuery.AsText(QStringLiteral("Pswrd1"));
                            user->Pswrd2 = FQuery.AsText(QStringLiteral("Pswrd2"));
                            if (const int p1 = ByteOf(QStringLiteral("Part1")); IsPartRef(p1)) {
                                user->Part1 = p1;
                                if (p1 != 255) {
                                    const int p2 = ByteOf(QStringLiteral("Part2"));
                                    if (p2 != 255 && IsPartRef(p2))
                                        user->Part2 = p2;
                                }
                            }
                            return FConfig->PutUser(num, std::move(user));
                        });
}

// ---- saving a file safely ----

namespace {

// A file that cannot be written, or that carries no write permission at all: one marked
// read-only, even for a user (root) who could write it.
bool IsReadOnly(const QFileInfo &file)
{
    const auto anyWrite = QFile::WriteOwner | QFile::WriteGroup | QFile::WriteOther;
    return file.exists() && (!file.isWritable() || (file.permissions() & anyWrite) == 0);
}

} // namespace

TSaveResult SaveConfigFile(TConfig &config, const QString &path, const QString &templatePath,
                           TLogSink *log, TProgress *progress)
{
    QFile source(templatePath);
    if (!source.exists())
        return TSaveResult::NoTemplate;
    const QFileInfo target(path);
    if (IsReadOnly(target))
        return TSaveResult::ReadOnly;
    QTemporaryFile copy(target.absolutePath() + QStringLiteral("/.") + target.fileName() +
                        QStringLiteral(".XXXXXX"));
    if (!source.open(QIODevice::ReadOnly) || !copy.open())
        return TSaveResult::CannotCreate;
    const QByteArray bytes = source.readAll();
    if (copy.write(bytes) != bytes.size() || !copy.flush())
        return TSaveResult::CannotCreate;
    copy.close();

    {
        TDBConfig db(&config, log, progress);
        if (!db.Connect(copy.fileName()))
            return TSaveResult::CannotOpen;
        if (!db.SaveConfig())
            return TSaveResult::NotWritten;
    } // the database is closed before the file is moved
    // The file keeps the permissions it had; a new one, which holds every password of a site,
    // is its owner's alone.
    copy.setPermissions(target.exists() ? target.permissions()
                                        : QFile::ReadOwner | QFile::WriteOwner);
    // The rename replaces the target in one step, on Windows too (where std::rename refuses an
    // existing target); the temporary name is then gone.
    std::error_code failure;
    std::filesystem::rename(copy.filesystemFileName(), target.filesystemAbsoluteFilePath(),
                            failure);
    if (failure)
        return TSaveResult::CannotReplace;
    copy.setAutoRemove(false);
    return TSaveResult::Saved;
}

QString SaveFailure(TSaveResult result, const QString &path)
{
    switch (result) {
    case TSaveResult::NoTemplate:
        return QStringLiteral("Не удалось найти файл config.md_");
    case TSaveResult::CannotCreate:
    case TSaveResult::CannotReplace:
        return QStringLiteral("Не удалось создать файл ") + path;
    case TSaveResult::CannotOpen:
        return QStringLiteral("Не удалось открыть БД ") + path;
    case TSaveResult::ReadOnly:
        return QStringLiteral("Файл ") + path + QStringLiteral(" доступен только для чтения");
    default:
        return QStringLiteral("Не удалось сохранить конфигурацию");
    }
}

QString TCatalogPasswordSearch::FindAccessPassword(const QString &moduleID)
{
    QStringList paths;
    ReadCatalogPaths(FIniPath, paths);
    TDBConfig db(nullptr, nullptr);
    for (const QString &path : std::as_const(paths)) {
        if (!db.Connect(CatalogFilePath(FIniPath, path)) || db.ReadModuleID() != moduleID)
            continue;
        if (const QString password = db.ReadAdminPassword(); !password.isEmpty())
            return password;
    }
    return QString();
}
