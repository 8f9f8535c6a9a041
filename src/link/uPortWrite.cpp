// The write job and the clock job of the link thread.

#include "link/uPort.h"

#include "model/uConfig.h"
#include "model/uNotify.h"

#include <QElapsedTimer>

namespace {

constexpr std::uint8_t GroupConfig = 0x04;

constexpr std::uint8_t CodeErasing = 0x03;
constexpr std::uint8_t CodeDeleteDevice = 0x30;
constexpr std::uint8_t CodeDeletePart = 0x31;
constexpr std::uint8_t CodeDeleteUser = 0x32;
constexpr std::uint8_t CodeDevice = 0x40;
constexpr std::uint8_t CodeUser = 0x44;
constexpr std::uint8_t CodePart = 0x45;
constexpr std::uint8_t CodeDeviceChange = 0x46;
constexpr std::uint8_t CodeMove = 0x47;
constexpr std::uint8_t CodeSMS = 0x4A;
constexpr std::uint8_t CodeClock = 0x50;
constexpr std::uint8_t CodeConnect = 0x80;
constexpr std::uint8_t CodeErase = 0x81;

QString N(int n) { return QString::number(n); }
std::uint8_t B(int n) { return static_cast<std::uint8_t>(n); }

// Device, partition and user lines end in Latin "OK"; output and SMS lines in Cyrillic "ОК".
QString Latin(bool ok) { return ok ? QStringLiteral(": OK") : QStringLiteral(": Error"); }
QString Cyrillic(bool ok) { return ok ? QStringLiteral("): ОК") : QStringLiteral("): Error"); }

// "ВЕКТ-8 [2]"
QString DeviceName(const TDevice &d, int address)
{
    return d.Type + QStringLiteral(" [") + N(address) + u']';
}

QString OutputLine(const char16_t *word, int n, int address, bool ok)
{
    return QString::fromUtf16(word) + N(n) + QStringLiteral("(СА: ") + N(address) + Cyrillic(ok);
}

} // namespace

QString WholeWriteOutcome(TRestore restore, TModuleEffect effect, const QString &backup)
{
    const QString file = backup.isEmpty() ? QStringLiteral(" Резервная копия в файл не сохранена.")
                                          : QStringLiteral(" Резервная копия: ") + backup;
    switch (restore) {
    case TRestore::Done:
        return QStringLiteral("Модуль восстановлен из резервной копии, сделанной перед записью.");
    case TRestore::Failed:
        return QStringLiteral("Модуль частично стёрт: резервную копию записать не удалось.") + file;
    case TRestore::LinkLost:
        return QStringLiteral("Модуль частично стёрт, связь потеряна: запишите в него резервную "
                              "копию, когда связь восстановится.") +
               file;
    case TRestore::Declined:
        return QStringLiteral("Модуль частично стёрт.") + file;
    case TRestore::NotNeeded:
        break;
    }
    return effect == TModuleEffect::None ? QStringLiteral("Модуль не изменился.")
                                         : QStringLiteral("Модуль частично стёрт.") + file;
}

struct TThreadPort::TOutputKind {
    const char16_t *Header; // logged before the outputs in a whole write
    std::uint8_t DeleteCode;
    const char16_t *DeleteWord; // "    Удаление шлейфа №" ...
    // A module may refuse to delete a loop it does not hold yet (one bound for the first time);
    // that is no failure and is not logged. A refused relay or indicator delete is.
    bool RefusedDeleteFails;
    std::uint8_t Command;
    const char16_t *Word; // "    Шлейф №" ...
};

void TThreadPort::ProgressStep()
{
    if (Progress)
        Progress->ProgressStep();
}

TThreadPort::TSent TThreadPort::SendObject(bool acknowledgeOnly, bool refusalFails)
{
    // A request that got no verdict may have been carried out all the same.
    if (!Transact() || !Poll()) {
        ++FUnknown;
        return TSent::Lost;
    }
    const bool refused = Frame.IsRefused();
    if (refused && refusalFails)
        ++FFailures;
    if (!refused)
        ++FChanges;
    // The verdict stands even when the exchange cannot be finished; a lost link then stops the
    // job at its next step.
    if (acknowledgeOnly)
        Acknowledge(Frame.ReplySeq());
    else
        FinishExchange(Frame.ReplySeq());
    return refused ? TSent::Refused : TSent::Accepted;
}

void TThreadPort::Forget(TSent sent)
{
    if (sent == TSent::Accepted)
        --FChanges;
    else if (sent == TSent::Lost)
        --FUnknown;
}

bool TThreadPort::WriteConfiguration()
{
    WriteLog(QStringLiteral("Запись конфигурации..."));
    if (Progress) {
        Progress->ProgressMax(Config->DeviceCount() + Config->PartCount() + Config->UserCount());
        Progress->ProgressReset();
    }
    FFailures = 0;
    bool result = false;
    if (Config->WriteAll && !EraseConfiguration()) {
        if (!Terminated())
            WriteLog(QStringLiteral("Очистка конфигурации не выполнена"));
        Terminate();
    }
    if (!Terminated())
        result = SendPanels();
    if (!Terminated() && !SendPartitions())
        result = false;
    if (!Terminated() && !SendDevices())
        result = false;
    if (!Terminated() && !SendUsers())
        result = false;
    if (Config->WriteAll && !ConnectDevices())
        result = false;
    if (Progress)
        Progress->ProgressFull();
    // Whatever the module refused on the way, the write as a whole is not a success, and the
    // log says so at its end.
    if (FFailures > 0) {
        WriteLog(QStringLiteral("Отклонено запросов: ") + N(FFailures));
        result = false;
    }
    if (Config->WriteAll && !(result && !Terminated()) && (FChanges > 0 || FUnknown > 0))
        RestorePrevious();
    return result;
}

// A whole write that failed after the erase leaves the module with part of a configuration:
// what it held before is written back whole, in the same session, since the part written may
// lack the very user the next login would need.
void TThreadPort::RestorePrevious()
{
    if (!Previous)
        return;
    if (LinkLost) {
        Restore = TRestore::LinkLost;
        return;
    }
    if (RestoreQuestion &&
        !RestoreQuestion->AskYesNo(QStringLiteral("Запись не удалась, модуль частично стёрт. "
                                                  "Записать в модуль резервную копию, сделанную "
                                                  "перед записью?"),
                                   QStringLiteral("Внимание"))) {
        Restore = TRestore::Declined;
        return;
    }
    WriteLog(QStringLiteral("Запись резервной копии..."));
    // A cancel of the write does not hold for the restore the user has just asked for.
    *CancelRequest = false;
    FStop = false;
    TConfig *written = Config;
    Config = Previous;
    Config->WriteAll = true;
    Previous = nullptr;
    const bool restored = WriteConfiguration() && !Terminated();
    Previous = Config;
    Config = written;
    Restore = restored ? TRestore::Done : TRestore::Failed;
    WriteLog(restored ? QStringLiteral("Резервная копия записана в модуль")
                      : QStringLiteral("Резервная копия не записана в модуль"));
}

bool TThreadPort::EraseConfiguration()
{
    WriteLog(QStringLiteral("Очистка конфигурации ЛОРИМ..."));
    BuildCommand(GroupConfig, CodeErase);
    // From the moment the erase goes out the module may be erasing.
    ++FUnknown;
    if (!Transact() || !Poll())
        return false;
    QElapsedTimer erasing;
    erasing.start();
    while (Frame.ReplyCode() == CodeErasing) {
        // A module still erasing after the longest erase there is will not finish.
        if (erasing.elapsed() > Timings.EraseMs)
            break;
        QThread::msleep(static_cast<unsigned long>(Timings.ErasePollMs));
        if (!Acknowledge(Frame.ReplySeq()) || !Poll())
            return false;
    }
    const bool erased = Frame.ReplyCode() == CodeErase;
    const bool refused = Frame.IsRefused();
    --FUnknown;
    if (!refused)
        ++FChanges;
    if (erased)
        WriteLog(QStringLiteral("Кофигурация стёрта успешно"));
    FinishExchange(Frame.ReplySeq());
    return erased;
}

bool TThreadPort::SendPanels() { return SendDeviceGroup(true); }
bool TThreadPort::SendDevices() { return SendDeviceGroup(false); }

template <typename Exists, typename Send>
bool TThreadPort::SendTable(const QString &header, int last, Exists exists, Send send)
{
    if (Config->WriteAll)
        WriteLog(header);
    bool result = true;
    for (int n = 1; n <= last && !Terminated(); ++n) {
        if (!exists(n))
            continue;
        if (!send(n))
            result = false;
        ProgressStep();
    }
    return result;
}

// The control panels go first, with their loops; the other devices after the partitions.
bool TThreadPort::SendDeviceGroup(bool panels)
{
    return SendTable(
        panels ? QStringLiteral("Запись ВЕКТ...") : QStringLiteral("Запись устройств..."),
        TConfig::MaxAddress,
        [this, panels](int a) {
            const TDevice *d = Config->Device(a);
            return d && d->IsVEKT() == panels;
        },
        [this](int a) { return SendDevice(a); });
}

bool TThreadPort::SendDevice(int a)
{
    TDevice &d = *Config->Device(a);
    bool send = true;
    bool move = false;
    std::uint8_t code = CodeDevice;
    if (!Config->WriteAll) {
        if (!d.Changed) {
            send = false;
        } else {
            d.Changed = false;
            code = CodeDeviceChange;
            move = d.NewNA != 0 && d.NewNA != a;
            if (d.Deleted)
                return DeleteLogged(CodeDeleteDevice, a,
                                    QStringLiteral("  Удаление ") + DeviceName(d, a));
        }
    }
    // A whole write leaves the module's own record alone; its relays are sent.
    if (Config->WriteAll && d.IsCM())
        send = false;

    bool ok = true;
    if (send) {
        BuildCommand(GroupConfig, code);
        Config->WriteDevice(a, Frame);
        const TSent sent = SendObject();
        if (sent == TSent::Lost)
            return true; // the lost link has been reported and ends the job
        ok = sent == TSent::Accepted;
        WriteLog(QStringLiteral("  ") + DeviceName(d, a) + Latin(ok));
    }
    if (Terminated())
        return ok;
    if (move) {
        // A device that moves is sent without its outputs this time.
        const bool moved = ChangeAddress(a);
        if (!LinkLost)
            WriteLog(QStringLiteral("  Смена СА ") + d.Type + QStringLiteral(" [") + N(a) +
                     QStringLiteral(" на ") + N(d.NewNA) + u']' + Latin(moved));
        return ok && moved;
    }
    bool outputs = true;
    if (d.IsRelayDevKind())
        outputs = SendRelays(a);
    else if (d.IsVEKT())
        outputs = SendLoops(a);
    else if (d.IsIndicDevKind())
        outputs = SendIndicators(a);
    return ok && outputs;
}

template <typename OutputAt, typename Taken>
bool TThreadPort::SendOutputs(int a, int count, OutputAt outputAt, const TOutputKind &kind,
                              Taken taken)
{
    if (Config->WriteAll)
        WriteLog(QString::fromUtf16(kind.Header));
    bool ok = true;
    for (int n = 1; n <= count && !Terminated(); ++n) {
        auto &output = *outputAt(*Config, n);
        TSent deleted = TSent::NotSent;
        if (!Config->WriteAll) {
            if (!output.Changed)
                continue;
            // A changed output is deleted on the module, then sent again if still in use.
            output.Changed = false;
            deleted = Delete(kind.DeleteCode, B(a), B(n), kind.RefusedDeleteFails);
            const bool refusalCounts = deleted == TSent::Refused && kind.RefusedDeleteFails;
            if (refusalCounts)
                ok = false;
            if (deleted == TSent::Accepted || refusalCounts)
                WriteLog(OutputLine(kind.DeleteWord, n, a, deleted == TSent::Accepted));
        }
        if (!taken(output))
            continue;
        TSent sent = TSent::NotSent;
        if (!Terminated()) {
            BuildCommand(GroupConfig, kind.Command, {B(a), B(n)});
            output.WriteRecord(Frame);
            sent = SendObject();
            ok = ok && sent == TSent::Accepted;
            if (sent != TSent::Lost)
                WriteLog(OutputLine(kind.Word, n, a, sent == TSent::Accepted));
        }
        // The output was deleted (or may have been) and its new record did not take: the
        // module gets the old one back, so that it is left as it was.
        if ((deleted == TSent::Accepted || deleted == TSent::Lost) && sent != TSent::Accepted &&
            PutBackOutput(a, n, outputAt, kind, taken)) {
            Forget(deleted);
            Forget(sent);
        }
    }
    return ok;
}

template <typename OutputAt, typename Taken>
bool TThreadPort::PutBackOutput(int a, int n, OutputAt outputAt, const TOutputKind &kind,
                                Taken taken)
{
    const auto *old = Previous ? outputAt(*Previous, n) : nullptr;
    // An output that was not in use on the module has nothing to put back.
    if (!old || !taken(*old))
        return false;
    BuildCommand(GroupConfig, kind.Command, {B(a), B(n)});
    old->WriteRecord(Frame);
    const TSent sent = SendObject(false, false);
    const bool restored = sent == TSent::Accepted;
    if (restored)
        Forget(sent);
    WriteLog(QString::fromUtf16(kind.Word) + N(n) + QStringLiteral("(СА: ") + N(a) +
             (restored ? QStringLiteral("): прежние настройки восстановлены")
                       : QStringLiteral("): прежние настройки не восстановлены")));
    if (!restored)
        ShowError(QString::fromUtf16(kind.Word).trimmed() + N(n) + QStringLiteral(" (СА: ") + N(a) +
                  QStringLiteral("): новые настройки модуль не принял, а прежние вернуть в "
                                 "него не удалось"));
    return restored;
}

namespace {

// Output n of the device at an address of a configuration, when that device has outputs of the
// kind owner gives; null otherwise.
template <typename Owner, typename At> auto OutputOf(int a, Owner owner, At at)
{
    return [a, owner, at](TConfig &config, int n) {
        TDevice *d = config.Device(a);
        auto *o = d ? owner(*d) : nullptr;
        return o && n >= 1 && n <= o->Count() ? at(*o, n) : nullptr;
    };
}

} // namespace

bool TThreadPort::SendLoops(int a)
{
    static const TOutputKind kind{
        u"  Запись шлейфов...", 0x33, u"    Удаление шлейфа №", false, 0x41, u"    Шлейф №"};
    return SendOutputs(
        a, Config->Device(a)->AsVEKT()->Count(),
        OutputOf(
            a, [](TDevice &d) { return d.AsVEKT(); }, [](TVEKT &v, int n) { return v.Loop(n); }),
        kind, [](const TShleif &l) { return l.Part != 0; });
}

bool TThreadPort::SendRelays(int a)
{
    // The header names the module but stands for every relay device.
    static const TOutputKind kind{u"  Запись реле ЦМ...", 0x35, u"    Удаление реле №", true, 0x43,
                                  u"    Реле №"};
    return SendOutputs(a, Config->Device(a)->AsRelayDev()->Count(),
                       OutputOf(
                           a, [](TDevice &d) { return d.AsRelayDev(); },
                           [](TRelayDev &r, int n) { return r.Relay(n); }),
                       kind, [](const TRelay &r) { return r.IsASPT() || r.Device != 0; });
}

bool TThreadPort::SendIndicators(int a)
{
    static const TOutputKind kind{
        u"  Запись индикаторов...", 0x34, u"    Удаление индикатора №", true, 0x42,
        u"    Индикатор №"};
    const TIndicDev &unit = *Config->Device(a)->AsIndicDev();
    // Only an individually set up unit has its indicators written.
    return SendOutputs(a, unit.IsIndividual() ? unit.Count() : 0,
                       OutputOf(
                           a, [](TDevice &d) { return d.AsIndicDev(); },
                           [](TIndicDev &i, int n) { return i.Indicator(n); }),
                       kind, [](const TIndicator &i) { return i.IsShlfMode() || i.Device != 0; });
}

bool TThreadPort::SendPartitions()
{
    return SendTable(
        QStringLiteral("Запись разделов"), TConfig::MaxPart,
        [this](int p) { return Config->Part(p) != nullptr; },
        [this](int p) { return SendPartition(p); });
}

bool TThreadPort::SendPartition(int p)
{
    TPart &part = *Config->Part(p);
    bool send = true;
    if (!Config->WriteAll) {
        if (!part.Changed) {
            send = false;
        } else {
            part.Changed = false;
            if (part.Deleted)
                return DeleteLogged(CodeDeletePart, p,
                                    QStringLiteral("  Удаление раздела №") + N(p));
        }
    }
    bool ok = true;
    if (send) {
        BuildCommand(GroupConfig, CodePart);
        Config->WritePart(p, Frame);
        const TSent sent = SendObject();
        if (sent == TSent::Lost)
            return true;
        ok = sent == TSent::Accepted;
        WriteLog(QStringLiteral("    Раздел №") + N(p) + Latin(ok));
    }
    // The SMS records go whether or not the partition itself changed.
    return SendSMS(p) && ok;
}

bool TThreadPort::SendSMS(int p)
{
    if (Config->WriteAll)
        WriteLog(QStringLiteral("  Запись СМС..."));
    TPart &part = *Config->Part(p);
    bool ok = true;
    for (int k = 1; k <= TPart::SMSCount && !Terminated(); ++k) {
        TSMS &sms = *part.SMS(k);
        if (!Config->WriteAll) {
            if (!sms.Changed)
                continue;
            sms.Changed = false;
        }
        BuildCommand(GroupConfig, CodeSMS, {B(p), B(k)});
        sms.WriteRecord(Frame);
        const TSent sent = SendObject();
        if (sent == TSent::Lost)
            break;
        ok = ok && sent == TSent::Accepted;
        // The partition's number stands where an output's address would.
        WriteLog(QStringLiteral("    СМС №") + N(k) + QStringLiteral("(СА: ") + N(p) +
                 Cyrillic(sent == TSent::Accepted));
    }
    return ok;
}

bool TThreadPort::SendUsers()
{
    return SendTable(
        QStringLiteral("Запись пользователей..."), TConfig::MaxUser,
        [this](int u) { return Config->User(u) != nullptr; },
        [this](int u) { return SendUser(u); });
}

bool TThreadPort::SendUser(int u)
{
    TUser &user = *Config->User(u);
    if (!Config->WriteAll) {
        if (!user.Changed)
            return true;
        user.Changed = false;
        if (user.Deleted)
            return DeleteLogged(CodeDeleteUser, u,
                                QStringLiteral("  Удаление пользователя №") + N(u));
    }
    BuildCommand(GroupConfig, CodeUser);
    Config->WriteUser(u, Frame);
    const TSent sent = SendObject();
    if (sent != TSent::Lost)
        WriteLog(QStringLiteral("  Пользователь №") + N(u) + Latin(sent == TSent::Accepted));
    return sent != TSent::Refused;
}

TThreadPort::TSent TThreadPort::Delete(std::uint8_t code, std::uint8_t first, std::uint8_t second,
                                       bool refusalFails)
{
    BuildCommand(GroupConfig, code, {first});
    if (second != 0)
        Frame.AddByte(second);
    return SendObject(true, refusalFails);
}

bool TThreadPort::DeleteObject(std::uint8_t code, std::uint8_t first, std::uint8_t second,
                               bool refusalFails)
{
    return Delete(code, first, second, refusalFails) != TSent::Refused;
}

bool TThreadPort::DeleteLogged(std::uint8_t code, int n, const QString &line)
{
    const TSent deleted = Delete(code, B(n), 0, true);
    // Without a verdict there is nothing to log; the stop request ends the job.
    if (deleted != TSent::Lost)
        WriteLog(line + Latin(deleted == TSent::Accepted));
    return deleted != TSent::Refused;
}

bool TThreadPort::ChangeAddress(int a)
{
    BuildCommand(GroupConfig, CodeMove, {B(a), Config->Device(a)->NewNA});
    return SendObject() != TSent::Refused;
}

bool TThreadPort::ConnectDevices()
{
    BuildCommand(GroupConfig, CodeConnect);
    const TSent sent = SendObject();
    if (sent == TSent::Lost)
        return true;
    WriteLog(QStringLiteral("Подключение устройств") + Latin(sent == TSent::Accepted));
    return sent == TSent::Accepted;
}

bool TThreadPort::SetClock()
{
    WriteLog(QStringLiteral("Запись даты и времени..."));
    // One reading of the clock, so that a date change between reading the time and the date
    // cannot give a moment a day off.
    const QDateTime now = Now();
    const QTime time = now.time();
    const QDate date = now.date();
    BuildCommand(GroupConfig, CodeClock,
                 {B(time.second()), B(time.minute()), B(time.hour()), B(date.dayOfWeek()),
                  B(date.day()), B(date.month()), B(date.year() - 2000)});
    const TSent sent = SendObject();
    if (sent != TSent::Lost && Progress)
        Progress->ProgressFull();
    return sent != TSent::Refused;
}
