#include "ui/uHistoryView.h"

#include "model/uCompare.h"
#include "model/uConfig.h"
#include "storage/uCatalog.h"
#include "storage/uDB.h"
#include "ui/uCompareView.h"
#include "ui/uMessageBoxes.h"
#include "ui_uHistoryView.h"

#include <QFileDialog>
#include <QTemporaryDir>

namespace {

QString DateText(const THistoryVersion &version)
{
    return version.When.toString(QStringLiteral("dd.MM.yyyy hh:mm:ss"));
}

} // namespace

TfmHistory::TfmHistory(THistory &history, const QString &moduleID, const QString &file,
                       TMessageBoxes &boxes, std::function<void(const QString &version)> write,
                       QWidget *parent)
    : QDialog(parent), FUi(std::make_unique<Ui::TfmHistory>()), FHistory(history),
      FModuleID(moduleID), FFile(file), FBoxes(boxes), FWrite(std::move(write)),
      FVersions(history.Versions(moduleID))
{
    FUi->setupUi(this);
    setWindowFlags(windowFlags() & ~Qt::WindowContextHelpButtonHint);
    FUi->lbModule->setText(QStringLiteral("История модуля ") + moduleID + u':');
    QTreeWidget *list = FUi->lvHistory;
    for (qsizetype i = 0; i < FVersions.size(); ++i) {
        const THistoryVersion &v = FVersions[i];
        auto *row = new QTreeWidgetItem(list, {DateText(v), v.Author, v.Message});
        row->setData(0, Qt::UserRole, i);
        row->setToolTip(2, QStringLiteral("Версия ") + v.Short);
    }
    for (int c = 0; c < 2; ++c)
        list->resizeColumnToContents(c);
    if (list->topLevelItemCount() > 0)
        list->setCurrentItem(list->topLevelItem(0));
    for (QPushButton *button : {FUi->btCompare, FUi->btWrite, FUi->btSaveAs})
        button->setEnabled(!FVersions.isEmpty());
    connect(FUi->btCompare, &QPushButton::clicked, this, &TfmHistory::Compare);
    connect(FUi->btWrite, &QPushButton::clicked, this, &TfmHistory::Write);
    connect(FUi->btSaveAs, &QPushButton::clicked, this, &TfmHistory::SaveAs);
    ChooseSaveFile = [this] {
        return QFileDialog::getSaveFileName(this, QString(), FModuleID + QStringLiteral(".cfg"),
                                            QStringLiteral("Файл конфигурации ЛОРИМ(*.cfg)"));
    };
}

TfmHistory::~TfmHistory() = default;

QList<THistoryVersion> TfmHistory::Selected() const
{
    QList<qsizetype> rows;
    for (const QTreeWidgetItem *row : FUi->lvHistory->selectedItems())
        rows << row->data(0, Qt::UserRole).toLongLong();
    std::sort(rows.begin(), rows.end());
    QList<THistoryVersion> versions;
    for (const qsizetype i : rows)
        versions << FVersions[i];
    return versions;
}

bool TfmHistory::Load(const THistoryVersion &version, TConfig &config)
{
    if (FHistory.Load(FModuleID, version.Commit, config))
        return true;
    FBoxes.ShowMessage(QStringLiteral("Не удалось загрузить версию от ") + DateText(version) +
                       u'\n' + FHistory.Failure());
    return false;
}

bool TfmHistory::LoadSelected(TConfig &config)
{
    const QList<THistoryVersion> chosen = Selected();
    if (chosen.size() == 1)
        return Load(chosen[0], config);
    FBoxes.ShowMessage(QStringLiteral("Выберите одну версию"));
    return false;
}

void TfmHistory::Compare()
{
    const QList<THistoryVersion> chosen = Selected();
    if (chosen.isEmpty() || chosen.size() > 2) {
        FBoxes.ShowMessage(QStringLiteral("Выберите одну версию, чтобы сравнить её с файлом "
                                          "конфигурации, или две, чтобы сравнить их между собой"));
        return;
    }
    TConfig older;
    TConfig newer;
    if (!Load(chosen.last(), older))
        return;
    TCompareSides sides{QStringLiteral("Сравнение версий"), QStringLiteral("Версии совпадают."),
                        QStringLiteral("Отличий: "),
                        QStringLiteral("значение в версии от ") + DateText(chosen.last()) +
                            QStringLiteral(" → значение в версии от ") + DateText(chosen[0])};
    if (chosen.size() == 1) {
        TDBConfig db(&newer, nullptr);
        if (!db.Connect(FFile) || !db.LoadConfig()) {
            FBoxes.ShowMessage(QStringLiteral("Не удалось загрузить конфигурацию\n") +
                               db.Failure());
            return;
        }
        sides.Same = QStringLiteral("Версия совпадает с файлом конфигурации.");
        sides.Order = QStringLiteral("значение в версии от ") + DateText(chosen[0]) +
                      QStringLiteral(" → значение в файле");
    } else if (!Load(chosen[0], newer)) {
        return;
    }
    TfmCompare view(CompareConfigs(older, newer), sides, this);
    view.exec();
}

// The version goes to the module as a configuration file of its own, for as long as the write
// takes.
void TfmHistory::Write()
{
    TConfig config;
    if (!LoadSelected(config))
        return;
    const QTemporaryDir folder;
    const QString file = folder.filePath(FModuleID + QStringLiteral(".cfg"));
    const TSaveResult saved = SaveConfigFile(config, file, TemplatePath(), nullptr, nullptr);
    if (saved == TSaveResult::Saved)
        FWrite(file);
    else
        FBoxes.ShowMessage(SaveFailure(saved, file));
}

void TfmHistory::SaveAs()
{
    TConfig config;
    if (!LoadSelected(config))
        return;
    const QString file = ChooseSaveFile();
    if (file.isEmpty())
        return;
    const TSaveResult saved = SaveConfigFile(config, file, TemplatePath(), nullptr, nullptr);
    if (saved != TSaveResult::Saved)
        FBoxes.ShowMessage(SaveFailure(saved, file));
}
