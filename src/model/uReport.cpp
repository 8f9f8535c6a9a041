#include "model/uReport.h"

#include "model/uConfig.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <algorithm>
#include <array>

// Texts are joined with "+" rather than QString::arg, so that a name holding "%1" stays as it is.

namespace {

using TRow = QStringList;
using TRows = QList<TRow>;

QString N(qint64 n) { return QString::number(n); }
QString YesNo(bool yes) { return yes ? QStringLiteral("да") : QStringLiteral("нет"); }
QString Masked(const QString &password, bool shown)
{
    return shown ? password : QStringLiteral("****");
}

// What a report leaves out.
bool InUse(const TShleif &loop) { return loop.Part != 0; }
bool InUse(const TRelay &relay) { return relay.Mode != 0; }
bool InUse(const TIndicator &indicator) { return indicator.Mode != 0; }
bool InUse(const TSMS &sms) { return sms.Type != 0 || !sms.Phone.isEmpty(); }

// make(n, item) for each item in use of an owner (none when it is null): its loops, relays,
// indicators or SMS records, in number order. The accessor gives null past the last one.
template <typename TList, typename TOwner, typename TItem, typename TMake>
TList Used(const TOwner *owner, const TItem *(TOwner::*item)(int) const, TMake make)
{
    TList list;
    int n = 1;
    for (const TItem *x; owner && (x = (owner->*item)(n)) != nullptr; ++n)
        if (InUse(*x))
            list.append(make(n, *x));
    return list;
}

// make(n, object) for each device, partition or user of a configuration, in slot order.
template <typename TList, typename TItem, typename TMake>
TList Each(const TConfig &config, const TItem *(TConfig::*item)(int) const, int last, TMake make)
{
    TList list;
    for (int n = 1; n <= last; ++n)
        if (const TItem *x = (config.*item)(n))
            list.append(make(n, *x));
    return list;
}

QStringList LoopsOfPart(const TConfig &config, int p)
{
    QStringList loops;
    for (const TLoopRow &row : config.FillLoopsOfPart(static_cast<std::uint8_t>(p)))
        loops << row.Pair;
    return loops;
}

QString PhoneText(const TSMS &sms)
{
    return sms.Phone.isEmpty() || sms.Plus == 0 ? sms.Phone : u'+' + sms.Phone;
}

// ---- rows of the HTML and CSV tables ----

// A keypad sounds on key presses, on arming and disarming, both or neither.
QString KeypadSound(const TKP &keypad)
{
    QStringList on;
    if (keypad.SoundKeys())
        on << QStringLiteral("клавиатура");
    if (keypad.SoundArm())
        on << QStringLiteral("взятие/снятие");
    return on.isEmpty() ? YesNo(false) : on.join(QStringLiteral(", "));
}

// The settings of a keypad or an indication unit: mode, partition, sound.
TRow OwnCells(const TDevice &d)
{
    if (const TKP *k = d.AsKP())
        return {QString(), k->PartText(), KeypadSound(*k)};
    if (const TIndicDev *i = d.AsIndicDev())
        return {i->ModeName(), i->PartText(), YesNo(i->Sound != 0)};
    return {QString(), QString(), QString()};
}

TRow DeviceCells(int address, const TDevice &d)
{
    return TRow{N(address), d.Type, d.IDText(), d.KeyDB, d.vSoft, d.vDev, N(d.State)} + OwnCells(d);
}

// A relay or an indicator points to a partition, or in its loop mode to a panel's loop.
template <typename T> TRow TargetCells(const T &x)
{
    return {x.PartText(), x.PointsToLoop() ? PairText(x.Device, x.Shlf) : QString()};
}

TRow LoopCells(int n, const TShleif &l)
{
    return {N(n), l.TypeName(), l.PartText(), N(l.Flags), l.DelayText()};
}

TRow RelayCells(int n, const TRelay &r)
{
    return TRow{N(n), r.ModeName()} + TargetCells(r) +
           TRow{r.IsASPT() ? YesNo(r.TwoShlf != 0) : QString(),
                r.HasDelay() ? N(r.Delay) : QString()};
}

TRow IndicatorCells(int n, const TIndicator &i)
{
    return TRow{N(n), i.ModeName()} + TargetCells(i);
}

TRow PartCells(const TConfig &config, int p, const TPart &part)
{
    return {N(p), part.KeyDB, N(part.Delay), LoopsOfPart(config, p).join(QStringLiteral(", "))};
}

TRow SMSCells(int p, int k, const TSMS &s)
{
    return {N(p), N(k), s.TypeName(), PhoneText(s), s.CodeName()};
}

TRow UserCells(int n, const TUser &u, bool withPasswords)
{
    return {N(n),
            u.TypeName(),
            u.Part1Text(),
            u.HasPart2() ? u.Part2Text() : QString(),
            Masked(u.Pswrd1, withPasswords),
            Masked(u.Pswrd2, withPasswords)};
}

// ---- the tables ----

// One table: its CSV section name, its HTML heading, column headings and rows.
struct TTable {
    QString Kind;
    QString Heading;
    QStringList Columns;
    TRows Rows;
};

// One kind of device output: its table's heading and columns, and the rows of one device's
// outputs in use (none for a device of another class).
struct TOutputKind {
    const char16_t *Kind;
    const char16_t *Heading;
    QStringList Columns;
    TRows (*Rows)(const TDevice &);
};

const std::array<TOutputKind, 3> &OutputKinds()
{
    static const std::array<TOutputKind, 3> kinds{{
        {u"loops",
         u"Шлейфы",
         {QStringLiteral("№"), QStringLiteral("Тип"), QStringLiteral("Раздел"),
          QStringLiteral("Флаги"), QStringLiteral("Задержка, с")},
         [](const TDevice &d) { return Used<TRows>(d.AsVEKT(), &TVEKT::Loop, LoopCells); }},
        {u"relays",
         u"Реле",
         {QStringLiteral("№"), QStringLiteral("Режим работы"), QStringLiteral("Раздел"),
          QStringLiteral("Шлейф"), QStringLiteral("Сработка по двум шлейфам"),
          QStringLiteral("Задержка, с")},
         [](const TDevice &d) {
             return Used<TRows>(d.AsRelayDev(), &TRelayDev::Relay, RelayCells);
         }},
        {u"indicators",
         u"Индикаторы",
         {QStringLiteral("№"), QStringLiteral("Режим"), QStringLiteral("Раздел"),
          QStringLiteral("Шлейф")},
         [](const TDevice &d) {
             return Used<TRows>(d.AsIndicDev(), &TIndicDev::Indicator, IndicatorCells);
         }},
    }};
    return kinds;
}

TTable DeviceTable(const TConfig &c)
{
    return {QStringLiteral("devices"),
            QStringLiteral("Устройства"),
            {QStringLiteral("Адрес"), QStringLiteral("Модель"), QStringLiteral("Идентификатор"),
             QStringLiteral("Ключ БД"), QStringLiteral("Версия ПО"), QStringLiteral("Версия устр."),
             QStringLiteral("Сост."), QStringLiteral("Режим работы"), QStringLiteral("Раздел"),
             QStringLiteral("Звук")},
            Each<TRows>(c, &TConfig::Device, TConfig::MaxAddress, DeviceCells)};
}

// The outputs of one kind of every device, each row led by the device's address.
TTable OutputTable(const TConfig &c, const TOutputKind &kind)
{
    TTable table{QString::fromUtf16(kind.Kind),
                 QString::fromUtf16(kind.Heading),
                 QStringList{QStringLiteral("Адрес")} + kind.Columns,
                 {}};
    for (int a = 1; a <= TConfig::MaxAddress; ++a)
        if (const TDevice *d = c.Device(a))
            for (const TRow &row : kind.Rows(*d))
                table.Rows.append(TRow{N(a)} + row);
    return table;
}

TTable PartTable(const TConfig &c)
{
    return {QStringLiteral("partitions"),
            QStringLiteral("Разделы"),
            {QStringLiteral("№"), QStringLiteral("Ключ БД"), QStringLiteral("Задержка на выход, с"),
             QStringLiteral("Шлейфы")},
            Each<TRows>(c, &TConfig::Part, TConfig::MaxPart,
                        [&c](int p, const TPart &part) { return PartCells(c, p, part); })};
}

TTable SMSTable(const TConfig &c)
{
    TTable table{QStringLiteral("sms"),
                 QStringLiteral("СМС-оповещения"),
                 {QStringLiteral("Раздел"), QStringLiteral("№"), QStringLiteral("Тип сообщения"),
                  QStringLiteral("Номер телефона"), QStringLiteral("Кодировка")},
                 {}};
    for (int p = 1; p <= TConfig::MaxPart; ++p)
        table.Rows += Used<TRows>(c.Part(p), &TPart::SMS,
                                  [p](int k, const TSMS &s) { return SMSCells(p, k, s); });
    return table;
}

TTable UserTable(const TConfig &c, bool withPasswords)
{
    return {
        QStringLiteral("users"),
        QStringLiteral("Пользователи"),
        {QStringLiteral("№"), QStringLiteral("Тип"), QStringLiteral("Основной раздел"),
         QStringLiteral("Дополнительный раздел"), QStringLiteral("Основной пароль"),
         QStringLiteral("Пароль тихой тревоги")},
        Each<TRows>(c, &TConfig::User, TConfig::MaxUser, [withPasswords](int n, const TUser &u) {
            return UserCells(n, u, withPasswords);
        })};
}

// ---- CSV ----

QString CsvField(const QString &text)
{
    const bool quoted = std::any_of(text.cbegin(), text.cend(), [](QChar ch) {
        return ch == u',' || ch == u';' || ch == u'"' || ch == u'\n' || ch == u'\r';
    });
    if (!quoted)
        return text;
    QString field = text;
    field.replace(u'"', QStringLiteral("\"\""));
    return u'"' + field + u'"';
}

QString CsvLine(const TRow &fields)
{
    QStringList out;
    for (const QString &f : fields)
        out << CsvField(f);
    return out.join(u',') + QStringLiteral("\r\n");
}

QString CsvSection(const TTable &table)
{
    QString text = CsvLine({QStringLiteral("# ") + table.Kind}) + CsvLine(table.Columns);
    for (const TRow &row : table.Rows)
        text += CsvLine(row);
    return text + QStringLiteral("\r\n");
}

QByteArray Csv(const TConfig &c, bool withPasswords)
{
    QString text = CsvSection(DeviceTable(c));
    for (const TOutputKind &kind : OutputKinds())
        text += CsvSection(OutputTable(c, kind));
    text += CsvSection(PartTable(c)) + CsvSection(SMSTable(c)) +
            CsvSection(UserTable(c, withPasswords));
    return text.toUtf8();
}

// ---- HTML ----

// An element around a text, the text escaped.
QString Element(const QString &tag, const QString &text)
{
    return u'<' + tag + u'>' + text.toHtmlEscaped() + QStringLiteral("</") + tag + u'>';
}

QString HtmlRow(const TRow &cells, const QString &tag)
{
    QString html = QStringLiteral("<tr>");
    for (const QString &cell : cells)
        html += Element(tag, cell);
    return html + QStringLiteral("</tr>\n");
}

QString HtmlHeading(int level, const QString &text)
{
    return Element(u'h' + N(level), text) + u'\n';
}

// A heading and its table; "Нет" in place of a table without rows.
QString HtmlTable(int level, const QString &heading, const QStringList &columns, const TRows &rows)
{
    QString html = HtmlHeading(level, heading);
    if (rows.isEmpty())
        return html + QStringLiteral("<p>Нет</p>\n");
    html += QStringLiteral("<table border=\"1\" cellspacing=\"0\" cellpadding=\"3\">\n<thead>") +
            HtmlRow(columns, QStringLiteral("th")) + QStringLiteral("</thead>\n<tbody>\n");
    for (const TRow &row : rows)
        html += HtmlRow(row, QStringLiteral("td"));
    return html + QStringLiteral("</tbody></table>\n");
}

QString HtmlTable(int level, const TTable &table)
{
    return HtmlTable(level, table.Heading, table.Columns, table.Rows);
}

// Each device with outputs in use under its own heading, a table per kind of output.
QString HtmlOutputs(const TConfig &c)
{
    QString html;
    for (int a = 1; a <= TConfig::MaxAddress; ++a) {
        const TDevice *d = c.Device(a);
        if (!d)
            continue;
        QString tables;
        for (const TOutputKind &kind : OutputKinds())
            if (const TRows rows = kind.Rows(*d); !rows.isEmpty())
                tables += HtmlTable(4, QString::fromUtf16(kind.Heading), kind.Columns, rows);
        if (!tables.isEmpty())
            html += HtmlHeading(3, u'[' + N(a) + QStringLiteral("] ") + d->Type) + tables;
    }
    return html;
}

// The page's head: its title and a style sheet for screen and print.
QString HtmlHead(const QString &title)
{
    return QStringLiteral(
               "<!DOCTYPE html>\n<html lang=\"ru\">\n<head>\n<meta charset=\"utf-8\">\n") +
           Element(QStringLiteral("title"), title) +
           QStringLiteral("\n<style>\n"
                          "body { font-family: sans-serif; font-size: 10pt; }\n"
                          "table { border-collapse: collapse; margin-bottom: 8pt; }\n"
                          "th { background-color: #e0e0e0; text-align: left; }\n"
                          "th, td { border: 1px solid #808080; padding: 1px 3px; font-size: 7.5pt; "
                          "white-space: nowrap; }\n"
                          "</style>\n</head>\n");
}

QString HtmlCounts(const TConfig &c)
{
    return QStringLiteral("<p>Устройств: ") + N(c.DeviceCount()) + QStringLiteral(", разделов: ") +
           N(c.PartCount()) + QStringLiteral(", пользователей: ") + N(c.UserCount()) +
           QStringLiteral(".</p>\n");
}

QByteArray Html(const TConfig &c, bool withPasswords, const QString &title)
{
    const QString heading = QStringLiteral("Конфигурация объекта") +
                            (title.isEmpty() ? QString() : QStringLiteral(" «") + title + u'»');
    const QString body = HtmlHeading(1, heading) + HtmlCounts(c) + HtmlTable(2, DeviceTable(c)) +
                         HtmlOutputs(c) + HtmlTable(2, PartTable(c)) + HtmlTable(2, SMSTable(c)) +
                         HtmlTable(2, UserTable(c, withPasswords));
    return (HtmlHead(heading) + QStringLiteral("<body>\n") + body +
            QStringLiteral("</body>\n</html>\n"))
        .toUtf8();
}

// ---- JSON ----

// A relay or an indicator points to a partition, or in its loop mode to a panel's loop.
template <typename T> void InsertTarget(QJsonObject &o, const T &x)
{
    if (x.PointsToLoop()) {
        o.insert(QStringLiteral("panel"), x.Device);
        o.insert(QStringLiteral("loop"), x.Shlf);
    } else {
        o.insert(QStringLiteral("part"), x.Device);
    }
}

QJsonObject LoopJson(int n, const TShleif &l)
{
    QJsonObject o{{QStringLiteral("number"), n},
                  {QStringLiteral("type"), l.Type},
                  {QStringLiteral("typeName"), l.TypeName()},
                  {QStringLiteral("part"), l.Part},
                  {QStringLiteral("flags"), l.Flags}};
    if (l.HasDelay())
        o.insert(QStringLiteral("delay"), l.Delay);
    return o;
}

QJsonObject RelayJson(int n, const TRelay &r)
{
    QJsonObject o{{QStringLiteral("number"), n},
                  {QStringLiteral("mode"), r.Mode},
                  {QStringLiteral("modeName"), r.ModeName()}};
    InsertTarget(o, r);
    if (r.IsASPT())
        o.insert(QStringLiteral("twoLoops"), r.TwoShlf != 0);
    if (r.HasDelay())
        o.insert(QStringLiteral("delay"), r.Delay);
    return o;
}

QJsonObject IndicatorJson(int n, const TIndicator &i)
{
    QJsonObject o{{QStringLiteral("number"), n},
                  {QStringLiteral("mode"), i.Mode},
                  {QStringLiteral("modeName"), i.ModeName()}};
    InsertTarget(o, i);
    return o;
}

// The settings of a keypad or an indication unit.
void InsertOwn(QJsonObject &o, const TDevice &d)
{
    if (const TKP *k = d.AsKP()) {
        o.insert(QStringLiteral("part"), k->Part);
        o.insert(QStringLiteral("soundOnKeys"), k->SoundKeys());
        o.insert(QStringLiteral("soundOnArm"), k->SoundArm());
    } else if (const TIndicDev *i = d.AsIndicDev()) {
        o.insert(QStringLiteral("mode"), i->Mode);
        o.insert(QStringLiteral("modeName"), i->ModeName());
        o.insert(QStringLiteral("part"), i->Part);
        o.insert(QStringLiteral("sound"), i->Sound != 0);
    }
}

QJsonObject DeviceJson(int address, const TDevice &d)
{
    QJsonObject o{
        {QStringLiteral("address"), address},
        {QStringLiteral("model"), d.Type},
        {QStringLiteral("kindCode"), KindCode(d.Type)},
        {QStringLiteral("id"), d.ID},
        {QStringLiteral("key"), d.KeyDB},
        {QStringLiteral("softwareVersion"), d.vSoft},
        {QStringLiteral("deviceVersion"), d.vDev},
        {QStringLiteral("state"), d.State},
        {QStringLiteral("loops"), Used<QJsonArray>(d.AsVEKT(), &TVEKT::Loop, LoopJson)},
        {QStringLiteral("relays"), Used<QJsonArray>(d.AsRelayDev(), &TRelayDev::Relay, RelayJson)},
        {QStringLiteral("indicators"),
         Used<QJsonArray>(d.AsIndicDev(), &TIndicDev::Indicator, IndicatorJson)}};
    InsertOwn(o, d);
    return o;
}

QJsonObject SMSJson(int k, const TSMS &s)
{
    return {{QStringLiteral("number"), k},
            {QStringLiteral("type"), static_cast<int>(s.Type)},
            {QStringLiteral("typeName"), s.TypeName()},
            {QStringLiteral("phone"), PhoneText(s)},
            {QStringLiteral("encoding"), static_cast<int>(s.Code)},
            {QStringLiteral("encodingName"), s.CodeName()}};
}

QJsonObject PartJson(const TConfig &c, int p, const TPart &part)
{
    return {{QStringLiteral("number"), p},
            {QStringLiteral("delay"), static_cast<int>(part.Delay)},
            {QStringLiteral("key"), part.KeyDB},
            {QStringLiteral("sms"), Used<QJsonArray>(&part, &TPart::SMS, SMSJson)},
            {QStringLiteral("loops"), QJsonArray::fromStringList(LoopsOfPart(c, p))}};
}

QJsonObject UserJson(int n, const TUser &u, bool withPasswords)
{
    return {{QStringLiteral("number"), n},
            {QStringLiteral("type"), static_cast<int>(u.Type)},
            {QStringLiteral("typeName"), u.TypeName()},
            {QStringLiteral("part1"), static_cast<int>(u.Part1)},
            {QStringLiteral("part2"), static_cast<int>(u.Part2)},
            {QStringLiteral("passwords"),
             QJsonObject{{QStringLiteral("main"), Masked(u.Pswrd1, withPasswords)},
                         {QStringLiteral("silent"), Masked(u.Pswrd2, withPasswords)}}}};
}

QByteArray Json(const TConfig &c, bool withPasswords, const QString &title)
{
    QJsonObject site{
        {QStringLiteral("schema"), QStringLiteral("lorim-site")},
        {QStringLiteral("version"), 1},
        {QStringLiteral("passwordsShown"), withPasswords},
        {QStringLiteral("devices"),
         Each<QJsonArray>(c, &TConfig::Device, TConfig::MaxAddress, DeviceJson)},
        {QStringLiteral("partitions"),
         Each<QJsonArray>(c, &TConfig::Part, TConfig::MaxPart,
                          [&c](int p, const TPart &part) { return PartJson(c, p, part); })},
        {QStringLiteral("users"), Each<QJsonArray>(c, &TConfig::User, TConfig::MaxUser,
                                                   [withPasswords](int n, const TUser &u) {
                                                       return UserJson(n, u, withPasswords);
                                                   })}};
    if (!title.isEmpty())
        site.insert(QStringLiteral("title"), title);
    return QJsonDocument(site).toJson(QJsonDocument::Indented);
}

} // namespace

QByteArray SiteReport(const TConfig &config, TReportFormat format, bool withPasswords,
                      const QString &title)
{
    switch (format) {
    case TReportFormat::Html:
        return Html(config, withPasswords, title);
    case TReportFormat::Csv:
        return Csv(config, withPasswords);
    case TReportFormat::Json:
        return Json(config, withPasswords, title);
    }
    return {};
}
