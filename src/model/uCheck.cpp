#include "model/uCheck.h"

#include "model/uConfig.h"

#include <QHash>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <algorithm>
#include <array>
#include <optional>

// Texts are joined with "+" rather than QString::arg, so that a value holding "%1" stays as it is.

namespace {

using TRef = TObjectRef;
using TList = TObjectRef::TList;
using TPiece = TObjectRef::TPiece;

// What the records carry: an identifier of 6 bytes, a telephone number of at most 16 digits, a
// password of at most 15 digits whose value fits 28 bits.
constexpr int IDDigits = 12;
constexpr int MaxPhoneDigits = 16;
constexpr int MaxPasswordDigits = 15;
constexpr quint64 MaxPasswordValue = (quint64{1} << 28) - 1;
// A password shorter than this is easy to guess.
constexpr int ShortPassword = 4;
constexpr unsigned AnyPart = 255;

QString N(qint64 n) { return QString::number(n); }
QString Quoted(const QString &text) { return u'«' + text + u'»'; }

template <typename Pred> bool AllOf(const QString &text, Pred pred)
{
    return std::all_of(text.cbegin(), text.cend(), pred);
}
bool IsDigits(const QString &text)
{
    return AllOf(text, [](QChar c) { return c >= u'0' && c <= u'9'; });
}
bool IsHexDigits(const QString &text)
{
    return AllOf(text, [](QChar c) {
        return (c >= u'0' && c <= u'9') || (c >= u'A' && c <= u'F') || (c >= u'a' && c <= u'f');
    });
}

// A partition reference as a sentence names it: "№2", or "«Любой»".
QString PartRefText(unsigned ref)
{
    return ref == AnyPart ? Quoted(NumToName(255)) : u'№' + N(ref);
}

TRef DeviceAt(int address) { return {TList::Devices, address}; }
TRef PieceOf(TRef owner, TPiece piece, int number)
{
    owner.Piece = piece;
    owner.PieceNumber = number;
    return owner;
}

// Each piece of an object: how lines and the JSON document name it.
struct TPieceName {
    TPiece Piece;
    const char16_t *Word;
    const char16_t *Key;
};
constexpr std::array<TPieceName, 4> PieceNames{{{TPiece::Loop, u"шлейф", u"loop"},
                                                {TPiece::Relay, u"реле", u"relay"},
                                                {TPiece::Indicator, u"индикатор", u"indicator"},
                                                {TPiece::SMS, u"СМС", u"sms"}}};

const TPieceName &NameOf(TPiece piece)
{
    return *std::find_if(PieceNames.cbegin(), PieceNames.cend(),
                         [piece](const TPieceName &name) { return name.Piece == piece; });
}

QString ModelAt(const TConfig &config, int address)
{
    const TDevice *d = config.Device(address);
    return d ? d->Type : QString();
}

QString ObjectName(const TConfig &config, const TRef &at)
{
    const QString owner = at.List == TList::Devices
                              ? DeviceName(at.Number, ModelAt(config, at.Number))
                          : at.List == TList::Parts ? PartName(at.Number)
                                                    : UserName(at.Number);
    return at.Piece == TPiece::Whole
               ? owner
               : owner + PieceName(QStringView(NameOf(at.Piece).Word), at.PieceNumber);
}

// An object after "что у": "устройства [2] ВЕКТ-8", "раздела №3", "пользователя №5".
QString OwnerOf(const TConfig &config, const TRef &at)
{
    if (at.List == TList::Devices) {
        const QString model = ModelAt(config, at.Number);
        return QStringLiteral("устройства [") + N(at.Number) + u']' +
               (model.isEmpty() ? QString() : u' ' + model);
    }
    return (at.List == TList::Parts ? QStringLiteral("раздела №")
                                    : QStringLiteral("пользователя №")) +
           N(at.Number);
}

class TChecker {
public:
    explicit TChecker(const TConfig &config) : FConfig(config), FHasParts(config.PartCount() > 0)
    {
        for (int a = 1; a <= TConfig::MaxAddress; ++a)
            if (const TVEKT *panel = config.Device(a) ? config.Device(a)->AsVEKT() : nullptr)
                for (int n = 1; n <= panel->Count(); ++n)
                    ++FLoopsOfPart[panel->Loop(n)->Part];
    }

    QList<TProblem> Run()
    {
        for (int a = 1; a <= TConfig::MaxAddress; ++a)
            CheckDevice(a);
        for (int p = 1; p <= TConfig::MaxPart; ++p)
            if (const TPart *part = FConfig.Part(p))
                CheckPart(p, *part);
        for (int n = 1; n <= TConfig::MaxUser; ++n)
            CheckUser(n);
        std::stable_partition(FProblems.begin(), FProblems.end(), [](const TProblem &problem) {
            return problem.Severity == TSeverity::Error;
        });
        return FProblems;
    }

private:
    void Add(TSeverity severity, const TRef &at, const QString &text)
    {
        FProblems.append({severity, at, ObjectName(FConfig, at), text});
    }
    void Error(const TRef &at, const QString &text) { Add(TSeverity::Error, at, text); }
    void Warning(const TRef &at, const QString &text) { Add(TSeverity::Warning, at, text); }

    // The object that held the value first, or none, when at is the first to hold it.
    static std::optional<TRef> HeldBefore(QHash<QString, TRef> &held, const QString &value,
                                          const TRef &at)
    {
        if (const auto first = held.constFind(value); first != held.cend())
            return *first;
        held.insert(value, at);
        return std::nullopt;
    }

    // What is wrong with a reference to a partition: "Любой" names a partition only while there
    // is one, a number only when it is a partition of the configuration. None is the caller's.
    std::optional<QString> MissingPart(unsigned ref, const QString &role) const
    {
        if (ref == 0 ||
            (ref == AnyPart ? FHasParts : FConfig.Part(static_cast<int>(ref)) != nullptr))
            return std::nullopt;
        return role + u' ' + PartRefText(ref) +
               (ref == AnyPart ? QStringLiteral(", а в конфигурации нет ни одного раздела")
                               : QStringLiteral(" не существует"));
    }
    void ReportMissingPart(const TRef &at, unsigned ref, const QString &role)
    {
        if (const std::optional<QString> missing = MissingPart(ref, role))
            Error(at, *missing);
    }
    // A partition a mode needs: none is an error too.
    void CheckNeededPart(const TRef &at, unsigned ref, const QString &none)
    {
        if (ref == 0)
            Error(at, none);
        else
            ReportMissingPart(at, ref, QStringLiteral("раздел"));
    }

    void CheckKey(const TRef &at, const QString &key)
    {
        const QString trimmed = TrimControls(key);
        if (trimmed.isEmpty())
            return;
        if (const std::optional<TRef> first = HeldBefore(FKeys, trimmed, at))
            Error(at, QStringLiteral("тот же ключ БД ") + Quoted(trimmed) +
                          QStringLiteral(", что у ") + OwnerOf(FConfig, *first));
    }

    void CheckIdentifier(const TRef &at, const QString &id)
    {
        const QString trimmed = TrimControls(id);
        if (trimmed.isEmpty()) {
            Error(at, QStringLiteral("нет идентификатора"));
        } else if (trimmed.size() > IDDigits || !IsHexDigits(trimmed)) {
            Error(at, QStringLiteral("идентификатор ") + Quoted(id) +
                          QStringLiteral(" не может быть передан модулю (нужно до 12 "
                                         "шестнадцатеричных цифр)"));
        } else if (const std::optional<TRef> first =
                       HeldBefore(FIDs, PadLeft(trimmed.toUpper(), u'0', IDDigits), at)) {
            Error(at, QStringLiteral("тот же идентификатор, что у ") + OwnerOf(FConfig, *first));
        }
    }

    void CheckDevice(int address)
    {
        const TRef at = DeviceAt(address);
        const TDevice *d = FConfig.Device(address);
        if (address == 1 && (!d || !d->IsCM()))
            Error(at, QStringLiteral("по адресу 1 должен стоять ЦМ"));
        if (!d)
            return;
        if (d->IsCM() && address != 1)
            Error(at, QStringLiteral("ЦМ должен стоять по адресу 1"));
        CheckIdentifier(at, d->ID);
        CheckKey(at, d->KeyDB);
        if (const TVEKT *panel = d->AsVEKT())
            CheckLoops(at, *panel);
        else if (const TRelayDev *relays = d->AsRelayDev())
            CheckRelays(at, *relays);
        else if (const TIndicDev *unit = d->AsIndicDev())
            CheckIndicationUnit(at, *unit);
        else if (const TKP *keypad = d->AsKP())
            CheckKeypad(at, *keypad);
    }

    void CheckLoops(const TRef &owner, const TVEKT &panel)
    {
        for (int n = 1; n <= panel.Count(); ++n) {
            const TShleif &loop = *panel.Loop(n);
            const TRef at = PieceOf(owner, TPiece::Loop, n);
            if (loop.Part == 0) {
                if (loop.Type != 0)
                    Warning(at, QStringLiteral("тип ") + Quoted(loop.TypeName()) +
                                    QStringLiteral(", но шлейф не входит ни в один раздел — модуль "
                                                   "его не получит"));
            } else if (const std::optional<QString> missing =
                           MissingPart(loop.Part, QStringLiteral("раздел"))) {
                Error(at, *missing);
            } else if (loop.Type == 0) {
                Warning(at, QStringLiteral("входит в раздел ") + PartRefText(loop.Part) +
                                QStringLiteral(" с типом ") + Quoted(loop.TypeName()));
            }
        }
    }

    // The panel whose loop a relay or an indicator watches, when that loop is there and in a
    // partition; else null, the error reported.
    const TVEKT *WatchedPanel(const TRef &at, int address, int loop)
    {
        const TDevice *d = FConfig.Device(address);
        const TVEKT *panel = d ? d->AsVEKT() : nullptr;
        if (!panel)
            Error(at, QStringLiteral("по адресу ") + N(address) + QStringLiteral(" нет ВЕКТ"));
        else if (!panel->Loop(loop))
            Error(at, QStringLiteral("у ") + OwnerOf(FConfig, DeviceAt(address)) +
                          QStringLiteral(" нет шлейфа ") + N(loop));
        else if (panel->Loop(loop)->Part == 0)
            Error(at, QStringLiteral("шлейф ") + PairText(address, loop) +
                          QStringLiteral(" не входит ни в один раздел"));
        else
            return panel;
        return nullptr;
    }

    // A relay or an indicator in use points to a partition, or in its loop mode to a loop of a
    // panel: that panel when the loop is there and in a partition, else null.
    template <typename T>
    const TVEKT *CheckTarget(const TRef &at, const T &output, const char16_t *panelWord)
    {
        const QString inMode = QStringLiteral("в режиме ") + Quoted(output.ModeName());
        if (!output.PointsToLoop())
            CheckNeededPart(at, output.Device, inMode + QStringLiteral(" не выбран раздел"));
        else if (output.Device == 0)
            Error(at, inMode + QStringLiteral(" не выбран ") + QString::fromUtf16(panelWord));
        else
            return WatchedPanel(at, output.Device, output.Shlf);
        return nullptr;
    }

    // An "АСПТ" relay is for a fire loop, and with two loops for a pair of them.
    void CheckFireLoops(const TRef &at, const TRelay &relay, const TVEKT &panel)
    {
        if (!panel.Loop(relay.Shlf)->IsFire())
            Warning(at, QStringLiteral("АСПТ на шлейфе ") + PairText(relay.Device, relay.Shlf) +
                            QStringLiteral(", который не пожарный"));
        else if (relay.TwoShlf != 0 && !panel.PairIsFire(relay.Shlf))
            Warning(at, QStringLiteral("сработка по двум шлейфам, но парный шлейф ") +
                            PairText(relay.Device, TVEKT::PairOf(relay.Shlf)) +
                            QStringLiteral(" не пожарный"));
    }

    void CheckRelays(const TRef &owner, const TRelayDev &device)
    {
        for (int n = 1; n <= device.Count(); ++n) {
            const TRelay &relay = *device.Relay(n);
            const TRef at = PieceOf(owner, TPiece::Relay, n);
            if (relay.Mode == 0)
                continue;
            if (const TVEKT *panel = CheckTarget(at, relay, u"ВЕКТ"))
                CheckFireLoops(at, relay, *panel);
        }
    }

    void CheckIndicationUnit(const TRef &at, const TIndicDev &unit)
    {
        if (unit.ModeNeedsPart())
            CheckNeededPart(at, unit.Part,
                            QStringLiteral("в режиме ") + Quoted(unit.ModeName()) +
                                QStringLiteral(" не выбрана привязка к разделу"));
        else if (unit.CarriesPart())
            ReportMissingPart(at, unit.Part, QStringLiteral("раздел"));
        // Only an individually set up unit has its indicators sent.
        if (!unit.IsIndividual())
            return;
        for (int n = 1; n <= unit.Count(); ++n)
            if (const TIndicator &x = *unit.Indicator(n); x.Mode != 0)
                CheckTarget(PieceOf(at, TPiece::Indicator, n), x, u"расширитель");
    }

    void CheckKeypad(const TRef &at, const TKP &keypad)
    {
        if (keypad.Part == 0)
            Warning(at, QStringLiteral("клавиатура не привязана к разделу"));
        else
            ReportMissingPart(at, keypad.Part, QStringLiteral("раздел"));
    }

    void CheckPart(int number, const TPart &part)
    {
        const TRef at{TList::Parts, number};
        CheckKey(at, part.KeyDB);
        if (FLoopsOfPart[static_cast<size_t>(number)] == 0)
            Warning(at, QStringLiteral("в разделе нет ни одного шлейфа"));
        for (int k = 1; k <= TPart::SMSCount; ++k)
            CheckSMS(PieceOf(at, TPiece::SMS, k), *part.SMS(k));
    }

    void CheckSMS(const TRef &at, const TSMS &sms)
    {
        const bool number = DigitsValue(sms.Phone) != 0;
        if (sms.Phone.size() > MaxPhoneDigits || !IsDigits(sms.Phone))
            Error(at, QStringLiteral("номер ") + Quoted(sms.Phone) +
                          QStringLiteral(" не может быть передан модулю (нужно до 16 цифр)"));
        else if (sms.Type != 0 && !number)
            Error(at, QStringLiteral("тип ") + Quoted(sms.TypeName()) +
                          QStringLiteral(", но нет номера телефона"));
        else if (sms.Type == 0 && number)
            Warning(at, QStringLiteral("номер задан, но тип ") + Quoted(sms.TypeName()) +
                            QStringLiteral(" — сообщения не отправляются"));
    }

    void CheckPassword(const TRef &at, const QString &password, const QString &role)
    {
        if (password.size() > MaxPasswordDigits || !IsDigits(password) ||
            DigitsValue(password) > MaxPasswordValue)
            Error(at, role + QStringLiteral(" не может быть передан модулю (нужно до 15 цифр со "
                                            "значением до 268435455)"));
        else if (password.size() < ShortPassword)
            Warning(at, role + QStringLiteral(" короче 4 цифр"));
    }

    void CheckUser(int number)
    {
        const TRef at{TList::Users, number};
        const TUser *user = FConfig.User(number);
        const bool admin = number == TUser::AdminNumber;
        if (admin && (!user || user->Type != TUser::TypeAdmin))
            Error(at,
                  (user ? QStringLiteral("тип ") + Quoted(user->TypeName()) +
                              QStringLiteral(" вместо ") + Quoted(TUser::Administrator().TypeName())
                        : QStringLiteral("нет администратора")) +
                      QStringLiteral(" — программа не сможет войти в модуль"));
        if (!user)
            return;
        // The administrator works every partition there is, or will be.
        if (user->Part1 == 0 && !admin)
            Warning(at, QStringLiteral("не назначен основной раздел"));
        else if (!admin || user->Part1 != AnyPart)
            ReportMissingPart(at, user->Part1, QStringLiteral("основной раздел"));
        if (user->HasPart2() && user->Part2 != 0 && user->Part2 == user->Part1)
            Warning(at, QStringLiteral("дополнительный раздел совпадает с основным"));
        else if (user->HasPart2())
            ReportMissingPart(at, user->Part2, QStringLiteral("дополнительный раздел"));
        CheckPassword(at, user->Pswrd1, QStringLiteral("основной пароль"));
        CheckPassword(at, user->Pswrd2, QStringLiteral("пароль тихой тревоги"));
        if (admin && user->Pswrd1 == QStringView(TUser::DefaultPswrd1))
            Warning(at, QStringLiteral("основной пароль — заводской ") + user->Pswrd1);
        if (user->Pswrd1.isEmpty())
            return;
        if (const std::optional<TRef> first = HeldBefore(FPasswords, user->Pswrd1, at))
            Warning(at, QStringLiteral("тот же основной пароль, что у ") +
                            OwnerOf(FConfig, *first) +
                            QStringLiteral(" — клавиатура их не различит"));
    }

    const TConfig &FConfig;
    const bool FHasParts;
    std::array<int, 256> FLoopsOfPart{};
    QHash<QString, TRef> FIDs;
    QHash<QString, TRef> FKeys;
    QHash<QString, TRef> FPasswords;
    QList<TProblem> FProblems;
};

QJsonObject ProblemJson(const TProblem &problem)
{
    const TRef &at = problem.Object;
    QJsonObject o{{QStringLiteral("kind"), problem.Severity == TSeverity::Error
                                               ? QStringLiteral("error")
                                               : QStringLiteral("warning")},
                  {QStringLiteral("object"), problem.ObjectName},
                  {QStringLiteral("text"), problem.Text}};
    o.insert(at.List == TList::Devices ? QStringLiteral("address")
             : at.List == TList::Parts ? QStringLiteral("partition")
                                       : QStringLiteral("user"),
             at.Number);
    if (at.Piece != TPiece::Whole)
        o.insert(QString::fromUtf16(NameOf(at.Piece).Key), at.PieceNumber);
    return o;
}

} // namespace

QList<TProblem> CheckConfig(const TConfig &config) { return TChecker(config).Run(); }

int CountErrors(const QList<TProblem> &problems)
{
    return static_cast<int>(
        std::count_if(problems.cbegin(), problems.cend(),
                      [](const TProblem &p) { return p.Severity == TSeverity::Error; }));
}

QString SeverityName(TSeverity severity)
{
    return severity == TSeverity::Error ? QStringLiteral("ошибка")
                                        : QStringLiteral("предупреждение");
}

QString ProblemCounts(const QList<TProblem> &problems)
{
    const int errors = CountErrors(problems);
    return QStringLiteral("Ошибок: ") + N(errors) + QStringLiteral(", предупреждений: ") +
           N(problems.size() - errors);
}

QStringList ProblemLines(const QList<TProblem> &problems)
{
    QStringList lines;
    for (const TProblem &p : problems)
        lines << SeverityName(p.Severity) + QStringLiteral(": ") + p.ObjectName +
                     QStringLiteral(": ") + p.Text;
    return lines;
}

QByteArray ProblemsJson(const QList<TProblem> &problems)
{
    QJsonArray list;
    for (const TProblem &p : problems)
        list.append(ProblemJson(p));
    const int errors = CountErrors(problems);
    const QJsonObject document{{QStringLiteral("schema"), QStringLiteral("lorim-check")},
                               {QStringLiteral("version"), 1},
                               {QStringLiteral("errors"), errors},
                               {QStringLiteral("warnings"), problems.size() - errors},
                               {QStringLiteral("problems"), list}};
    return QJsonDocument(document).toJson(QJsonDocument::Indented);
}
