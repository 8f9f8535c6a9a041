#include "ui/uBackups.h"

#include "ui_uBackups.h"

#include <QDateTime>
#include <QFileInfo>

TfmBackups::TfmBackups(const QString &moduleID, const QStringList &backups,
                       std::function<void(const QString &file)> write, QWidget *parent)
    : QDialog(parent), FUi(std::make_unique<Ui::TfmBackups>())
{
    FUi->setupUi(this);
    setWindowFlags(windowFlags() & ~Qt::WindowContextHelpButtonHint);
    FUi->lbModule->setText(QStringLiteral("Резервные копии модуля ") + moduleID + u':');
    for (const QString &path : backups) {
        // The file is named by the moment it was taken: yyyy-MM-dd_hhmmss.
        const QDateTime taken = QDateTime::fromString(QFileInfo(path).completeBaseName().left(17),
                                                      QStringLiteral("yyyy-MM-dd_hhmmss"));
        new QTreeWidgetItem(FUi->lvBackup,
                            {taken.toString(QStringLiteral("dd.MM.yyyy hh:mm:ss")), path});
    }
    FUi->lvBackup->resizeColumnToContents(0);
    if (FUi->lvBackup->topLevelItemCount() > 0)
        FUi->lvBackup->setCurrentItem(FUi->lvBackup->topLevelItem(0));
    FUi->btWrite->setEnabled(!backups.isEmpty());
    connect(FUi->btWrite, &QPushButton::clicked, this, [this, write] {
        if (const QTreeWidgetItem *row = FUi->lvBackup->currentItem())
            write(row->text(1));
    });
}

TfmBackups::~TfmBackups() = default;
