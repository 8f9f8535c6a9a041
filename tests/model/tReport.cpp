// The site report: the JSON form read back against the configuration, passwords, and every
// device model and awkward text through the HTML and CSV forms.

#include "model/uReport.h"

#include "model/uConfig.h"
#include "sim/uDemoSite.h"
#include "support/uSampleConfigs.h"
#include "support/uTestSupport.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace {

QJsonObject JsonReport(const TConfig &c, bool withPasswords, const QString &title = {})
{
    QJsonParseError error{};
    const QJsonDocument doc =
        QJsonDocument::fromJson(SiteReport(c, TReportFormat::Json, withPasswords, title), &error);
    EXPECT_EQ(error.error, QJsonParseError::NoError) << error.errorString().toStdString();
    return doc.object();
}

// The element of an array whose field has the value.
QJsonObject Find(const QJsonValue &array, const char *field, int value)
{
    for (const QJsonValue &v : array.toArray())
        if (v[QLatin1String(field)].toInt() == value)
            return v.toObject();
    ADD_FAILURE() << field << ' ' << value << " not found";
    return {};
}

} // namespace

TEST(Report, JsonOfTheDemoSiteMatchesTheConfiguration)
{
    TConfig c;
    FillDemoSite(c);
    const QJsonObject site = JsonReport(c, false, u"Демо"_s);
    EXPECT_EQ((std::tuple{site[u"schema"].toString(), site[u"version"].toInt(),
                          site[u"title"].toString()}),
              (std::tuple{u"lorim-site"_s, 1, u"Демо"_s}));
    EXPECT_FALSE(JsonReport(c, false).contains(u"title"));
    EXPECT_EQ((std::tuple{site[u"devices"].toArray().size(), site[u"partitions"].toArray().size(),
                          site[u"users"].toArray().size()}),
              (std::tuple{6, 3, 4}));

    const QJsonObject office = Find(site[u"devices"], "address", 2);
    EXPECT_EQ((std::tuple{office[u"model"].toString(), office[u"id"].toString(),
                          office[u"softwareVersion"].toString()}),
              (std::tuple{u"ВЕКТ-8"_s, u"0020FF78C601"_s, u"1.10"_s}));
    EXPECT_EQ(office[u"loops"].toArray().size(), 5); // the three unbound loops are left out
    const QJsonObject loop = Find(office[u"loops"], "number", 1);
    EXPECT_EQ((std::pair{loop[u"part"].toInt(), loop[u"delay"].toInt()}), (std::pair{1, 30}));
    EXPECT_FALSE(Find(office[u"loops"], "number", 2).contains(u"delay")); // a type without one

    const QJsonObject module = Find(site[u"devices"], "address", 1);
    EXPECT_EQ(Find(module[u"relays"], "number", 1)[u"modeName"].toString(), u"Раздел - сирена"_s);
    const QJsonObject aspt = Find(module[u"relays"], "number", 2);
    EXPECT_EQ((std::tuple{aspt[u"panel"].toInt(), aspt[u"loop"].toInt(), aspt[u"twoLoops"].toBool(),
                          aspt.contains(u"part")}),
              (std::tuple{2, 3, true, false}));
    const QJsonObject vms = Find(site[u"devices"], "address", 6);
    EXPECT_EQ(Find(vms[u"indicators"], "number", 2)[u"loop"].toInt(), 16);
    EXPECT_EQ(Find(site[u"devices"], "address", 4)[u"part"].toInt(), 1);

    const QJsonObject part1 = Find(site[u"partitions"], "number", 1);
    EXPECT_EQ(Find(part1[u"sms"], "number", 1)[u"phone"].toString(), u"+79001234567"_s);
    EXPECT_EQ(Find(part1[u"sms"], "number", 2)[u"phone"].toString(), u"84951234567"_s);
    EXPECT_EQ(Find(site[u"partitions"], "number", 3)[u"loops"].toArray(), QJsonArray{u"3/16"_s});

    const QJsonObject user = Find(site[u"users"], "number", 1);
    EXPECT_EQ((std::pair{user[u"part1"].toInt(), user[u"part2"].toInt()}), (std::pair{1, 2}));
}

TEST(Report, PasswordsAreMaskedUnlessAsked)
{
    TConfig c;
    FillDemoSite(c);
    c.User(1)->Pswrd1 = u"2468"_s;
    c.User(1)->Pswrd2 = u"13579"_s;
    for (const TReportFormat format :
         {TReportFormat::Html, TReportFormat::Csv, TReportFormat::Json}) {
        const QByteArray masked = SiteReport(c, format, false);
        const QByteArray shown = SiteReport(c, format, true);
        EXPECT_TRUE(masked.contains("****"));
        EXPECT_FALSE(masked.contains("2468") || masked.contains("13579"));
        EXPECT_FALSE(shown.contains("****"));
        EXPECT_TRUE(shown.contains("2468") && shown.contains("13579"));
    }
    const QJsonObject passwords =
        Find(JsonReport(c, true)[u"users"], "number", 1)[u"passwords"].toObject();
    EXPECT_EQ(passwords[u"main"].toString(), u"2468"_s);
    EXPECT_EQ(passwords[u"silent"].toString(), u"13579"_s);
}

// Partition 2's key holds quotes and a semicolon; device 3's gets markup, an ampersand and a
// semicolon, the title markup too; the lists of loops hold commas. HTML escapes them and names
// every model in a cell. CSV quotes the fields that hold a comma, a semicolon or a quote,
// doubling the quotes, ends records in CR LF, and has its sections in file order.
TEST(Report, HtmlAndCsvNameEveryModelAndKeepTextsWhole)
{
    TConfig c;
    FillEveryKind(c);
    c.Device(3)->KeyDB = u"<ВЕКТ>; A&B"_s;
    const QString html = QString::fromUtf8(SiteReport(c, TReportFormat::Html, false, u"<Склад>"_s));
    const QString csv = QString::fromUtf8(SiteReport(c, TReportFormat::Csv, false));
    const auto cell = [&html](const QString &text) {
        return html.contains(u"<td>"_s + text + u"</td>"_s);
    };
    for (const TKind &kind : Kinds) {
        EXPECT_TRUE(cell(QString::fromUtf16(kind.Name))) << int{kind.Code};
        EXPECT_TRUE(csv.contains(u',' + QString::fromUtf16(kind.Name) + u',')) << int{kind.Code};
    }
    EXPECT_TRUE(cell(u"O'Brien &quot;Б&quot; -- ; склад"_s));
    EXPECT_TRUE(cell(u"&lt;ВЕКТ&gt;; A&amp;B"_s));
    EXPECT_TRUE(html.contains(u"<h1>Конфигурация объекта «&lt;Склад&gt;»</h1>"_s));
    EXPECT_FALSE(html.contains(u"<ВЕКТ>"_s) || html.contains(u"<Склад>"_s));
    // Outputs come under the devices that have some in use.
    EXPECT_TRUE(html.contains(u"<h3>[6] ВЕКТ-24Р</h3>"_s));
    EXPECT_FALSE(html.contains(u"<h3>[3] "_s));

    for (const char16_t *field :
         {u",\"O'Brien \"\"Б\"\" -- ; склад\",", u",\"<ВЕКТ>; A&B\",", u",\"5/16, 6/1, 6/4, 6/7\""})
        EXPECT_TRUE(csv.contains(QString::fromUtf16(field)))
            << QString::fromUtf16(field).toStdString();
    EXPECT_EQ(csv.count(u'\n'), csv.count(u"\r\n"_s));
    QStringList sections;
    for (const QString &line : csv.split(u"\r\n"_s))
        if (line.startsWith(u"# "))
            sections << line.mid(2);
    EXPECT_EQ(sections.join(u' '), u"devices loops relays indicators partitions sms users"_s);
}
