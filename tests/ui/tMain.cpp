// The start window and the catalogue window.

#include "storage/uCatalog.h"
#include "support/uTestSupport.h"
#include "uUiTestSupport.h"
#include "ui/uMain.h"
#include "ui/uViewCfg.h"

#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTreeWidget>

#include <gtest/gtest.h>

namespace {

struct StartWindow : testing::Test {
    QTemporaryDir Dir;
    QString Ini = Dir.filePath(QStringLiteral("lorim-config.ini"));
    TScriptedBoxes Boxes;
};

} // namespace

// Configuration mode is chosen first and the link is set up for real-time mode only; Enter
// opens the chosen mode's window with the start window hidden, Escape ends the program.
TEST_F(StartWindow, ModesAndKeys)
{
    TfmMain start(Boxes, Ini);
    EXPECT_EQ(start.LinkSettings, (TOptnLink{0, QStringLiteral("COM1"), 57600, QString(), 10001}));
    QList<std::pair<bool, bool>> opened; // mode, start window visible meanwhile
    start.OpenModeWindow = [&](bool realTime, const TOptnLink &) {
        opened << std::pair{realTime, start.isVisible()};
    };
    start.show();
    auto *link = start.findChild<QPushButton *>(QStringLiteral("btLink"));
    EXPECT_FALSE(link->isEnabled());
    QTest::keyClick(&start, Qt::Key_Return);
    start.findChild<QRadioButton *>(QStringLiteral("rb2"))->click();
    EXPECT_TRUE(link->isEnabled());
    QTest::keyClick(&start, Qt::Key_Enter);
    EXPECT_TRUE(start.findChild<QRadioButton *>(QStringLiteral("rb2"))->isChecked());
    start.findChild<QRadioButton *>(QStringLiteral("rb1"))->click();
    EXPECT_FALSE(link->isEnabled());
    EXPECT_EQ(opened, (QList<std::pair<bool, bool>>{{false, false}, {true, false}}));
    EXPECT_TRUE(start.isVisible());

    QSignalSpy finished(&start, &QDialog::finished);
    QTest::keyClick(&start, Qt::Key_Escape);
    EXPECT_EQ(finished.count(), 1);
}

// The catalogue: Delete takes the selected entry out and leaves its file; the filter narrows
// the list by any column and the keys act on what it shows; closing writes the INI file.
TEST_F(StartWindow, CatalogueListsFiltersAndKeepsTheEntries)
{
    const QString kept = Dir.filePath(QStringLiteral("b.cfg"));
    WriteText(kept, QStringLiteral("x"));
    ASSERT_TRUE(
        SaveCatalog(Ini,
                    {{QStringLiteral("Офис"), QStringLiteral("главный"), QStringLiteral("a.cfg")},
                     {QStringLiteral("Склад"), QStringLiteral("север"), kept},
                     {QStringLiteral("Цех"), QStringLiteral("север"), QStringLiteral("c.cfg")}},
                    Boxes));
    TfmViewCfg catalogue(Boxes, Ini, TOptnLink());
    QStringList opened;
    catalogue.OpenEditor = [&](const QString &file, const TOptnLink &) { opened << file; };
    catalogue.show();
    auto *list = catalogue.findChild<QTreeWidget *>(QStringLiteral("lvCfg"));
    catalogue.findChild<QLineEdit *>(QStringLiteral("edFilter"))->setText(QStringLiteral("СЕВ"));
    EXPECT_TRUE(list->topLevelItem(0)->isHidden());
    EXPECT_EQ(list->currentItem()->text(0), QStringLiteral("Склад"));
    QTest::keyClick(&catalogue, Qt::Key_Delete);
    EXPECT_EQ(list->currentItem()->text(0), QStringLiteral("Цех"));
    QTest::keyClick(&catalogue, Qt::Key_Return);
    EXPECT_EQ(opened, QStringList{QStringLiteral("c.cfg")});
    EXPECT_TRUE(QFile::exists(kept));

    QTest::keyClick(&catalogue, Qt::Key_Escape);
    const TCatalog left = LoadCatalog(Ini);
    ASSERT_EQ(left.size(), 2);
    EXPECT_EQ(left[1].Name, QStringLiteral("Цех"));
}
