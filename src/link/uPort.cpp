#include "link/uPort.h"

#include "link/uTransport.h"
#include "model/uConfig.h"
#include "model/uNaming.h"
#include "model/uNotify.h"
#include "model/uUser.h"

#include <QElapsedTimer>

namespace {

constexpr std::uint8_t ServiceConfig = 0x32;
constexpr std::uint8_t ServiceLinkCheck = 0x42;
constexpr std::uint8_t GroupIdent = 0x02;
constexpr std::uint8_t GroupConfig = 0x04;
constexpr std::uint8_t AdminUser = 0x6F; // user 111 logs in and out

// More frames than a module ever has waiting after one command, or records than a whole
// configuration holds (every device with 40 outputs, every partition with its SMS records,
// every user); past these a module is taken as broken.
constexpr int MaxPendingFrames = 255;
constexpr int MaxStreamRecords = 110 * 41 + 127 * 4 + 255;

// Control byte of a reply whose two low bits are 01: a data frame to acknowledge.
bool IsDataFrame(const TFrame &f) { return (f.Field(2) & 0x03) == 0x01; }

QString HexLine(const QString &head, const TFrame &f, int count, bool useOffset)
{
    QString line = head;
    for (int i = 0; i < count; ++i)
        line += u' ' + HexByte(f.GetByte(static_cast<std::uint8_t>(i), useOffset));
    return line;
}

QString LoginRefusal(std::uint8_t status)
{
    switch (status) {
    case 0:
        return QStringLiteral("Ошибка ввода пароля");
    case 2:
        return QStringLiteral("Пользователь в системе");
    case 3:
        return QStringLiteral("Недостаточно прав доступа");
    case 4:
        return QStringLiteral("Пользователь не зарегистрирован в системе");
    default:
        return QString();
    }
}

} // namespace

TThreadPort::TThreadPort() = default;
TThreadPort::~TThreadPort() = default;

void TThreadPort::WriteLog(const QString &line)
{
    if (Log)
        Log->WriteLog(line);
}

void TThreadPort::ShowError(const QString &text)
{
    if (!Errors || FShown.contains(text))
        return;
    FShown << text;
    Errors->ShowMessage(text);
}

bool TThreadPort::Terminated()
{
    if (*CancelRequest && !FStop) {
        Cancelled = true;
        WriteLog(QStringLiteral("Отменено пользователем"));
        FStop = true;
    }
    return FStop;
}

int TThreadPort::Attempts() const { return LinkLost || *CancelRequest ? 1 : Timings.Attempts; }

// ---- the job ----

void TThreadPort::Execute()
{
    ResultCode = -1;
    Effect = TModuleEffect::None;
    Restore = TRestore::NotNeeded;
    LinkLost = false;
    Cancelled = false;
    LoginStatus = -1;
    FChanges = 0;
    FUnknown = 0;
    FShown.clear();
    Frame.Clear();
    SeqNo = 0;
    FStop = false;
    try {
        // Every job but the clock reads into or writes from a configuration.
        if (Config || Job == JobClock) {
            FTransport = MakeTransport(Link);
            if (const QString failure = FTransport->Open(); failure.isEmpty()) {
                RunJob();
            } else {
                for (const QString &line : failure.split(u'\n'))
                    WriteLog(line);
                ShowError(failure);
            }
        }
    } catch (...) {
        // Whatever happens, the caller waiting for Done must wake.
    }
    FTransport.reset();
    Done = true;
}

void TThreadPort::RunJob()
{
    Initialised = false;
    ResultCode = -1;
    if (Job == JobConnect && Access.Password.isEmpty()) {
        if (!CheckLink())
            return;
        const QString id = Identify();
        if (!id.isEmpty()) {
            ResultCode = 0;
            const QString found =
                PasswordSearch ? PasswordSearch->FindAccessPassword(id) : QString();
            if (found.isEmpty())
                return;
            Access.Password = found;
            // From here on a failure is a failure of the link, not a missing password.
            ResultCode = -1;
        }
    }
    Initialised = false;
    if (!CheckLink() || Identify().isEmpty())
        return;
    if (!Login()) {
        ResultCode = 0;
        return;
    }
    // A link lost while the login was being finished: the job's commands are not begun (a
    // write would otherwise still send its erase).
    if (Terminated()) {
        Logout();
        return;
    }
    bool done = false;
    switch (Job) {
    case JobRead:
    case JobConnect:
        done = ReadConfiguration();
        break;
    case JobWrite:
        done = WriteConfiguration();
        break;
    case JobClock:
        done = SetClock();
        break;
    default:
        break;
    }
    if (done && !Terminated())
        ResultCode = 1;
    Effect = FUnknown > 0   ? TModuleEffect::Unknown
             : FChanges > 0 ? TModuleEffect::Changed
                            : TModuleEffect::None;
    Logout();
}

// ---- exchange primitives ----

std::uint8_t TThreadPort::NextSeq()
{
    SeqNo = SeqNo == 255 ? 1 : SeqNo + 1;
    return SeqNo;
}

void TThreadPort::Build(std::initializer_list<std::uint8_t> bytes)
{
    Frame.Clear();
    for (const std::uint8_t b : bytes)
        Frame.AddByte(b);
}

void TThreadPort::BuildCommand(std::uint8_t group, std::uint8_t code,
                               std::initializer_list<std::uint8_t> args)
{
    Build({0x00, ServiceConfig, 0x01, NextSeq(), group, 0x00, code});
    for (const std::uint8_t b : args)
        Frame.AddByte(b);
}

void TThreadPort::SendFrame()
{
    WriteLog(HexLine(QStringLiteral("out:  "), Frame, Frame.Size(), false));
    Frame.Encode();
    TFrame::TBytes wire;
    const int n = Frame.GetBytes(wire);
    Frame.Clear();
    FTransport->Send(QByteArray(reinterpret_cast<const char *>(wire.data()), n));
}

void TThreadPort::ReceiveFrame()
{
    QElapsedTimer clock;
    clock.start();
    // Wakes as soon as the end marker is in; gives up 100 ms after the request without any
    // byte, or 3000 ms after it without the end marker.
    for (;;) {
        const bool started = Frame.Size() >= 1;
        if (started && Frame.IsComplete())
            break;
        const qint64 left = (started ? Timings.EndMarkMs : Timings.FirstByteMs) - clock.elapsed();
        if (left < 0)
            break;
        FTransport->ReadInto(Frame, static_cast<int>(left) + 1);
    }
    Frame.Decode();
    WriteLog(HexLine(QStringLiteral("in:    "), Frame, Frame.Size(), true));
}

void TThreadPort::LoseLink()
{
    const QString text = QStringLiteral("Потеря связи с устройством!");
    WriteLog(text);
    ShowError(text);
    LinkLost = true;
    Terminate();
}

bool TThreadPort::Transact()
{
    TFrame::TBytes request;
    const int size = Frame.GetBytes(request);
    const int attempts = Attempts();
    bool answered = false;
    for (int attempt = 1; attempt <= attempts && !answered; ++attempt) {
        Frame.SetBytes(request, size);
        SendFrame();
        ReceiveFrame();
        answered = Frame.CheckCrc();
        if (answered) {
            WriteLog(QStringLiteral("CRC: ") +
                     HexByte(Frame.GetByte(static_cast<std::uint8_t>(Frame.Size() - 2), true)) +
                     HexByte(Frame.GetByte(static_cast<std::uint8_t>(Frame.Size() - 1), true)) +
                     QStringLiteral(" calc CRC: ") + QString::number(Frame.Crc()));
        } else if (*CancelRequest && !LinkLost) {
            // A cancel ends the retries of a line that does not answer; it is no lost link.
            Terminated();
            return false;
        } else if (attempt < attempts) {
            QThread::msleep(static_cast<unsigned long>(Timings.RetryPauseMs));
        }
    }
    if (!answered || (Initialised && Frame.IsLinkLost())) {
        LoseLink();
        return false;
    }
    return true;
}

bool TThreadPort::Poll()
{
    Build({0x00, ServiceConfig, 0x00});
    return Transact();
}

bool TThreadPort::Acknowledge(std::uint8_t seq)
{
    Build({0x00, ServiceConfig, 0x03, seq});
    SendFrame();
    ReceiveFrame();
    if (Frame.CheckCrc() || Frame.Size() < 1)
        return true;
    return Poll();
}

bool TThreadPort::FinishExchange(std::uint8_t seq)
{
    if (!Acknowledge(seq))
        return false;
    // A module that announces more without end is not a module that works.
    for (int more = 0; Frame.HasMore(); ++more) {
        if (more == MaxPendingFrames) {
            LoseLink();
            return false;
        }
        if (!Acknowledge(seq))
            return false;
    }
    if (IsDataFrame(Frame))
        return Acknowledge(Frame.ReplySeq());
    return true;
}

// ---- login and reading ----

bool TThreadPort::CheckLink()
{
    if (Terminated())
        return false;
    WriteLog(QStringLiteral("Проверка связи..."));
    Build({0x00, ServiceLinkCheck, 0x01});
    if (!Transact())
        return false;
    if (Frame.Field(1) == ServiceLinkCheck && Frame.Field(2) == 0x02 && !Frame.IsRefused())
        return true;
    const QString text = QStringLiteral("Нет связи с устройством!");
    WriteLog(text);
    ShowError(text);
    return false;
}

QString TThreadPort::Identify()
{
    if (Terminated())
        return QString();
    WriteLog(QStringLiteral("Инициализация..."));
    BuildCommand(GroupIdent, 0x10);
    if (!Transact() || Frame.Field(1) != ServiceConfig || Frame.IsRefused() || !Poll())
        return QString();
    QString id;
    for (int k = 18; k >= 13; --k)
        id += HexByte(Frame.Field(k));
    if (Job == JobWrite) {
        const TDevice *module = Config ? Config->Device(1) : nullptr;
        if (!module || module->ID != id) {
            const QString text =
                QStringLiteral("Связь с устройством прервана. Несоответствие идентификаторов");
            WriteLog(text);
            ShowError(text);
            return QString();
        }
    }
    if (!Acknowledge(Frame.ReplySeq()))
        return QString();
    Initialised = true;
    return id;
}

bool TThreadPort::Login()
{
    if (Terminated())
        return false;
    WriteLog(QStringLiteral("Вход пользователя (Login: 111, Password: ") + Access.Password +
             QStringLiteral(")..."));
    const auto p = EncodePassword(Access.Password);
    BuildCommand(GroupConfig, 0x03, {AdminUser, p[0], p[1], p[2], p[3]});
    if (!Transact() || !Poll())
        return false;
    bool loggedIn = false;
    if (Frame.ReplyCode() == 0x05 && !Frame.IsRefused()) {
        const QString refusal = LoginRefusal(Frame.Field(8));
        if (refusal.isEmpty()) {
            loggedIn = true;
        } else {
            LoginStatus = Frame.Field(8);
            WriteLog(refusal);
            ShowError(refusal);
        }
    }
    FinishExchange(Frame.ReplySeq());
    return loggedIn;
}

void TThreadPort::Logout()
{
    WriteLog(QStringLiteral("Выход пользователя (Login: 111)..."));
    BuildCommand(GroupConfig, 0x04, {AdminUser});
    if (Transact() && Poll())
        FinishExchange(Frame.ReplySeq());
}

bool TThreadPort::ReadConfiguration()
{
    WriteLog(QStringLiteral("Чтение конфигурации..."));
    Config->ClearAll();
    if (Progress)
        Progress->ProgressReset();
    if (!Terminated())
        ReadPartitions();
    if (!Terminated())
        ReadUsers();
    if (!Terminated())
        ReadDevices();
    return !Terminated();
}

bool TThreadPort::ReadPartitions()
{
    return ReadStream(QStringLiteral("Считывание разделов..."), 0x11);
}
bool TThreadPort::ReadUsers()
{
    return ReadStream(QStringLiteral("Считывание пользователей..."), 0x12);
}
bool TThreadPort::ReadDevices()
{
    return ReadStream(QStringLiteral("Считывание устройств..."), 0x10);
}

bool TThreadPort::ReadStream(const QString &title, std::uint8_t code)
{
    WriteLog(title);
    BuildCommand(GroupConfig, code, {0x00});
    return ReadRecordStream();
}

bool TThreadPort::ReadRecordStream()
{
    if (!Transact())
        return false;
    if (Frame.IsRefused() || !Frame.HasMore())
        return true;
    if (!Poll())
        return false;
    if (Progress)
        Progress->ProgressMax(Frame.Field(7) + Frame.Field(8) + Frame.Field(9));
    if (!AcknowledgeInStream())
        return false;
    for (int records = 0; Frame.HasMore() && !Terminated(); ++records) {
        if (records == MaxStreamRecords) {
            LoseLink();
            return false;
        }
        const std::uint8_t code = Frame.ReplyCode();
        if (code >= 0x10 && code <= 0x12)
            ProgressStep();
        Config->ApplyRecord(Frame, Log);
        if (!AcknowledgeInStream())
            return false;
    }
    return Acknowledge(Frame.ReplySeq());
}

// Within a record stream an acknowledgement must bring the next frame. When it brings nothing
// (the reply was lost) a poll with the full retries fetches the frame the module holds; when it
// brings the same frame back (the acknowledgement was lost) it is acknowledged again rather than
// taken twice. So one lost datagram can neither cut the read short nor repeat a record.
bool TThreadPort::AcknowledgeInStream()
{
    TFrame::TBytes acknowledged;
    const int size = Frame.GetBytes(acknowledged);
    for (int attempt = 0; attempt < Timings.Attempts; ++attempt) {
        if (!Acknowledge(Frame.ReplySeq()))
            return false;
        if (Frame.Size() < 1 && !Poll())
            return false;
        TFrame::TBytes reply;
        if (Frame.GetBytes(reply) != size || reply != acknowledged) {
            return true;
        }
        // Acknowledge what came back again: it is the same frame.
    }
    LoseLink();
    return false;
}
