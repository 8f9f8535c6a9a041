// The catalogue's entry dialog, and reading and writing the network through the catalogue.

#include "storage/uBackup.h"
#include "uUiTestSupport.h"
#include "ui/uBackups.h"
#include "ui/uCompareView.h"
#include "ui/uHistoryView.h"
#include "ui/uTuningAccess.h"
#include "ui/uUpdateCfg.h"
#include "ui/uViewCfg.h"

#include <QPlainTextEdit>

namespace {

struct Catalogue : testing::Test {
    QTemporaryDir Dir;
    QString Ini = Dir.filePath(QStringLiteral("lorim-config.ini"));
    TScriptedBoxes Boxes;

    void SetUp() override { InitAppDir(); }

    // Fills the entry dialog's path (and access password), presses OK; the dialog's result.
    bool Enter(TfmUpdateCfg &dialog, const QString &path, const QString &password = {})
    {
        Edit(dialog, "edPath")->setText(path);
        dialog.AccessPassword.Password = password;
        PressOk(dialog);
        return dialog.IsAccepted();
    }
};

} // namespace

// "new" becomes new.cfg: the module with its relays and user 111 with the password given; an
// existing file is replaced only when the user says so, and asked about once, not again when it
// was chosen in the save dialog. Without the template beside the program the dialog does not
// open from the catalogue, and its OK refuses.
TEST_F(Catalogue, CreatingAFile)
{
    TfmUpdateCfg create(TfmUpdateCfg::Create, {}, Ini, Boxes);
    ASSERT_TRUE(Enter(create, Dir.filePath(QStringLiteral("new")), QStringLiteral("4711")));
    const QString made = Dir.filePath(QStringLiteral("new.cfg"));
    EXPECT_EQ(create.Entry().Path, made);
    TConfig config;
    ASSERT_TRUE(LoadSite(made, config));
    EXPECT_EQ(config.Device(1)->AsRelayDev()->Count(), 3);
    EXPECT_EQ(config.User(111)->Pswrd1, QStringLiteral("4711"));

    FillDemoSite(config);
    ASSERT_TRUE(SaveSite(config, made));
    TfmUpdateCfg again(TfmUpdateCfg::Create, {}, Ini, Boxes);
    Boxes.Answers = {false};
    EXPECT_FALSE(Enter(again, made));
    TConfig kept;
    ASSERT_TRUE(LoadSite(made, kept));
    EXPECT_EQ(kept.DeviceCount(), 6);
    TfmUpdateCfg chosen(TfmUpdateCfg::Create, {}, Ini, Boxes);
    chosen.ChooseFile = [&made](bool) { return made; };
    Child<QPushButton>(chosen, "Button1")->click();
    PressOk(chosen);
    EXPECT_TRUE(chosen.IsAccepted());
    EXPECT_EQ(Boxes.Asked.size(), 1);
    TConfig replaced;
    ASSERT_TRUE(LoadSite(made, replaced));
    EXPECT_EQ(replaced.DeviceCount(), 1);

    EXPECT_FALSE(Enter(again, QString()));
    SetAppDir(Dir.path());
    TCatalogEntry entry;
    EXPECT_FALSE(EditCatalogEntry(TfmUpdateCfg::Create, entry, Ini, Boxes, nullptr));
    EXPECT_FALSE(Enter(again, Dir.filePath(QStringLiteral("x"))));
    InitAppDir();
    EXPECT_EQ(Boxes.Shown, (QStringList{QStringLiteral("Необходимо указать файл конфигурации!"),
                                        QStringLiteral("Не найден файл config.md_!"),
                                        QStringLiteral("Не найден файл config.md_")}));
}

// Adding a file, or looking at its access password and cancelling, leaves the file untouched; a
// confirmed new password changes the administrator's main password alone.
TEST_F(Catalogue, OnlyAConfirmedAccessPasswordTouchesTheFile)
{
    TConfig site;
    FillDemoSite(site);
    site.User(111)->Pswrd2 = QStringLiteral("777");
    const QString file = Dir.filePath(QStringLiteral("site.cfg"));
    ASSERT_TRUE(SaveSite(site, file));
    const QByteArray before = ReadText(file).toLatin1();
    TfmUpdateCfg add(TfmUpdateCfg::Add, {}, Ini, Boxes);
    ASSERT_TRUE(Enter(add, file));

    const auto change = [&](const std::function<void(TfmTuningAccess &)> &answer) {
        TfmUpdateCfg dialog(TfmUpdateCfg::Change, {QStringLiteral("a"), {}, file}, Ini, Boxes);
        dialog.show();
        WhenModal<TfmTuningAccess>(answer);
        Child<QPushButton>(dialog, "Button4")->click();
        PressOk(dialog);
        EXPECT_TRUE(dialog.IsAccepted());
    };
    change(
        [](TfmTuningAccess &access) { QTest::keyClick(Edit(access, "edPswrd"), Qt::Key_Escape); });
    EXPECT_EQ(ReadText(file).toLatin1(), before);

    change([this](TfmTuningAccess &access) {
        TypeOver(Edit(access, "edPswrd"), QStringLiteral("1357"));
        ConfirmOk(Boxes, access);
    });
    TConfig after;
    ASSERT_TRUE(LoadSite(file, after));
    site.User(111)->Pswrd1 = QStringLiteral("1357");
    EXPECT_EQ(ConfigDifferences(site, after), QStringList());
}

// The catalogue: Delete takes the selected entry out of the list and the INI file and leaves
// its file; the filter narrows the list by any column and the keys act on what it shows, but
// not from the filter box. Each change is written at once, merged with what another copy of the
// program wrote meanwhile, so that neither loses the other's entries.
TEST_F(Catalogue, CatalogueListsFiltersAndKeepsTheEntries)
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
    TfmViewCfg other(Boxes, Ini, TOptnLink());
    WhenModal<TfmUpdateCfg>([](TfmUpdateCfg &dialog) {
        QTest::keyClicks(Edit(dialog, "edPath"), QStringLiteral("d.cfg"));
        QTest::keyClick(Edit(dialog, "edPath"), Qt::Key_Return);
    });
    Child<QPushButton>(other, "bbtAdd")->click();
    QStringList opened;
    catalogue.OpenEditor = [&](const QString &file, const TOptnLink &) { opened << file; };
    catalogue.show();
    auto *list = Child<QTreeWidget>(catalogue, "lvCfg");
    QLineEdit *filter = Edit(catalogue, "edFilter");
    filter->setText(QStringLiteral("СЕВ"));
    EXPECT_TRUE(list->topLevelItem(0)->isHidden());
    EXPECT_EQ(list->currentItem()->text(0), QStringLiteral("Склад"));
    QTest::keyClick(&catalogue, Qt::Key_Delete);
    EXPECT_EQ(list->currentItem()->text(0), QStringLiteral("Цех"));
    QTest::keyClick(&catalogue, Qt::Key_Return);
    EXPECT_EQ(opened, QStringList{QStringLiteral("c.cfg")});
    EXPECT_TRUE(QFile::exists(kept));

    // In the filter box Delete and Insert edit the filter: no entry goes, no entry dialog opens.
    bool dialogOpened = false;
    const QPointer<QTimer> poll = WhenModal<TfmUpdateCfg>([&dialogOpened](TfmUpdateCfg &dialog) {
        dialogOpened = true;
        dialog.reject();
    });
    QTest::keyClick(filter, Qt::Key_Home);
    for (const Qt::Key key : {Qt::Key_Delete, Qt::Key_Insert})
        QTest::keyClick(filter, key);
    EXPECT_EQ(filter->text(), QStringLiteral("ЕВ"));
    EXPECT_EQ(list->topLevelItemCount(), 3);
    EXPECT_FALSE(dialogOpened);
    delete poll;

    QTest::keyClick(&catalogue, Qt::Key_Escape);
    other.reject();
    QStringList paths;
    ReadCatalogPaths(Ini, paths);
    EXPECT_EQ(paths, (QStringList{QStringLiteral("a.cfg"), QStringLiteral("c.cfg"),
                                  QStringLiteral("d.cfg")}));
}

// "История" lists the versions of the entry's module, newest first: two of them compared show
// the loop that changed, and one saved as a file is that version.
TEST_F(Catalogue, HistoryComparesAndSavesVersions)
{
    WriteText(Ini, QStringLiteral("[History]\nFolder=") + Dir.filePath(QStringLiteral("history")) +
                       QStringLiteral("\nAuthor=Иванов\n"));
    THistory history(LoadHistorySettings(Ini), nullptr);
    TConfig site;
    FillDemoSite(site);
    ASSERT_TRUE(SaveSite(site, Dir.filePath(QStringLiteral("site.cfg"))));
    const QDate day(2026, 12, 7);
    ASSERT_TRUE(history.Record(site, QStringLiteral("Считано"), QDateTime(day, QTime(10, 0))));
    site.Device(2)->AsVEKT()->Loop(5)->Part = 3;
    ASSERT_TRUE(history.Record(site, QStringLiteral("Записано"), QDateTime(day, QTime(11, 0))));
    ASSERT_TRUE(
        SaveCatalog(Ini, {{QStringLiteral("site"), {}, QStringLiteral("site.cfg")}}, Boxes));
    TfmViewCfg catalogue(Boxes, Ini, TOptnLink());
    const QString saved = Dir.filePath(QStringLiteral("old.cfg"));
    QString compared;
    WhenModal<TfmHistory>([&](TfmHistory &view) {
        auto *versions = Child<QTreeWidget>(view, "lvHistory");
        EXPECT_EQ(versions->topLevelItem(0)->text(2), QStringLiteral("Записано"));
        versions->selectAll();
        WhenModal<TfmCompare>([&compared](TfmCompare &compare) {
            compared = Child<QPlainTextEdit>(compare, "mmDiff")->toPlainText();
            compare.reject();
        });
        view.Compare();
        versions->setCurrentItem(versions->topLevelItem(1));
        view.ChooseSaveFile = [&saved] { return saved; };
        view.SaveAs();
        view.reject();
    });
    Child<QPushButton>(catalogue, "btHistory")->click();
    EXPECT_EQ(compared, QStringLiteral("Устройство [2] ВЕКТ-8, шлейф 5: раздел 2 → 3"));
    TConfig old;
    ASSERT_TRUE(LoadSite(saved, old));
    EXPECT_EQ(old.Device(2)->AsVEKT()->Loop(5)->Part, 2);
}

// The module through the catalogue (the good paths are walked end to end): "Резервные копии"
// writes the backup chosen in the list, neither the newest nor the entry's own file; a read that
// fails saves nothing and says so; an entry's file that does not load is not written, and
// nothing is asked.
TEST_F(Catalogue, TheModuleThroughTheCatalogue)
{
    TLinkRig module;
    ASSERT_TRUE(module.Start());
    WriteText(Ini, QStringLiteral("[Backup]\nFolder=") + Dir.filePath(QStringLiteral("b")) + u'\n');
    const auto site = [](const char *password) {
        auto config = std::make_unique<TConfig>();
        FillDemoSite(*config);
        config->User(3)->Pswrd1 = QString::fromLatin1(password);
        return config;
    };
    const QString file = Dir.filePath(QStringLiteral("site.cfg"));
    ASSERT_TRUE(SaveSite(*site("1"), file));
    const QDateTime start(QDate(2026, 1, 1), QTime(12, 0));
    QString failure;
    ASSERT_FALSE(SaveBackup(*site("2"), LoadBackupSettings(Ini), start, failure).isEmpty());
    ASSERT_FALSE(
        SaveBackup(*site("3"), LoadBackupSettings(Ini), start.addSecs(60), failure).isEmpty());
    ASSERT_TRUE(SaveCatalog(Ini, {{QStringLiteral("site"), {}, file}}, Boxes));
    TfmViewCfg catalogue(Boxes, Ini, module.Port.Link);
    catalogue.Timings = TestTimings();
    catalogue.Timings.Attempts = 2;
    Boxes.Answers = {true};
    WhenModal<TfmBackups>([](TfmBackups &backups) {
        auto *list = Child<QTreeWidget>(backups, "lvBackup");
        list->setCurrentItem(list->topLevelItem(1)); // the older one
        Child<QPushButton>(backups, "btWrite")->click();
        backups.accept();
    });
    catalogue.BitBtn9Click();
    module.Server->Stop();
    EXPECT_EQ(module.Site.User(3)->Pswrd1, QStringLiteral("2"));

    const QByteArray saved = ReadText(file).toLatin1();
    Boxes.Answers = {true};
    catalogue.BitBtn6Click();
    EXPECT_EQ(Boxes.Shown.last(),
              QStringLiteral("Не удалось загрузить конфигурацию\nПотеря связи с устройством!"));
    EXPECT_EQ(ReadText(file).toLatin1(), saved);

    QFile::remove(file);
    Boxes.Asked.clear();
    catalogue.BitBtn7Click();
    EXPECT_TRUE(Boxes.Asked.isEmpty());
}
