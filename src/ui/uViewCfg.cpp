#include "ui/uViewCfg.h"

#include "storage/uCatalog.h"
#include "ui/uCfg.h"
#include "ui/uMessageBoxes.h"
#include "ui/uTuningLink.h"
#include "ui/uUiUtil.h"
#include "ui_uViewCfg.h"

#include <QKeyEvent>

TfmViewCfg::TfmViewCfg(TMessageBoxes &boxes, const TIniPath &iniPath, const TOptnLink &link,
                       QWidget *parent)
    : QDialog(parent), LinkSettings(link), FUi(std::make_unique<Ui::TfmViewCfg>()), FBoxes(boxes),
      FIniPath(iniPath)
{
    FUi->setupUi(this);
    setWindowFlags(windowFlags() & ~Qt::WindowContextHelpButtonHint);
    FUi->lvCfg->setColumnWidth(0, 120);
    FUi->lvCfg->setColumnWidth(1, 180);
    for (const TCatalogEntry &e : LoadCatalog(FIniPath))
        new QTreeWidgetItem(FUi->lvCfg, {e.Name, e.Note, e.Path});
    SelectNearRow(FUi->lvCfg, 0);

    OpenEditor = [this](const QString &file, const TOptnLink &settings) {
        TfmCfg editor(FBoxes);
        editor.IniPath = FIniPath;
        editor.FileName = CatalogFilePath(FIniPath, file);
        editor.LinkSettings = settings;
        editor.ExecModal();
    };
    connect(FUi->edFilter, &QLineEdit::textChanged, this, &TfmViewCfg::Filter);
    connect(FUi->bbtDel, &QPushButton::clicked, this, &TfmViewCfg::bbtDelClick);
    connect(FUi->bbtSelect, &QPushButton::clicked, this, &TfmViewCfg::bbtSelectClick);
    connect(FUi->lvCfg, &QTreeWidget::itemDoubleClicked, this, &TfmViewCfg::bbtSelectClick);
    connect(FUi->BitBtn8, &QPushButton::clicked, this,
            [this] { EditLinkSettings(LinkSettings, FIniPath, FBoxes, this); });
    // Creating, adding and changing entries, and reading and writing through the catalogue,
    // are not available yet.
    for (QPushButton *b : {FUi->BitBtn1, FUi->bbtAdd, FUi->BitBtn3, FUi->BitBtn6, FUi->BitBtn7})
        b->setEnabled(false);
    for (QPushButton *b : findChildren<QPushButton *>())
        b->setAutoDefault(false);
    FUi->lvCfg->setFocus();
}

TfmViewCfg::~TfmViewCfg() = default;

void TfmViewCfg::done(int result)
{
    TCatalog entries;
    for (int i = 0; i < FUi->lvCfg->topLevelItemCount(); ++i) {
        const QTreeWidgetItem *row = FUi->lvCfg->topLevelItem(i);
        entries.append({row->text(0), row->text(1), row->text(2)});
    }
    SaveCatalog(FIniPath, entries, FBoxes);
    QDialog::done(result);
}

void TfmViewCfg::keyPressEvent(QKeyEvent *event)
{
    switch (event->key()) {
    case Qt::Key_Delete:
        bbtDelClick();
        break;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        bbtSelectClick();
        break;
    case Qt::Key_Escape:
        reject();
        break;
    default:
        QDialog::keyPressEvent(event);
    }
}

QTreeWidgetItem *TfmViewCfg::SelectedRow() const
{
    QTreeWidgetItem *row = FUi->lvCfg->currentItem();
    return row && !row->isHidden() && row->isSelected() ? row : nullptr;
}

void TfmViewCfg::Filter(const QString &text)
{
    const QString wanted = text.trimmed();
    QTreeWidget *list = FUi->lvCfg;
    LockRedraw(list, true);
    for (int i = 0; i < list->topLevelItemCount(); ++i) {
        QTreeWidgetItem *row = list->topLevelItem(i);
        bool match = wanted.isEmpty();
        for (int c = 0; c < 3 && !match; ++c)
            match = row->text(c).contains(wanted, Qt::CaseInsensitive);
        row->setHidden(!match);
    }
    if (!SelectedRow())
        SelectVisibleNear(0);
    LockRedraw(list, false);
}

// Selects the visible row at the index among the visible rows, or the last one.
void TfmViewCfg::SelectVisibleNear(int index)
{
    QTreeWidget *list = FUi->lvCfg;
    QTreeWidgetItem *chosen = nullptr;
    for (int i = 0, visible = 0; i < list->topLevelItemCount() && visible <= index; ++i) {
        QTreeWidgetItem *row = list->topLevelItem(i);
        if (!row->isHidden()) {
            chosen = row;
            ++visible;
        }
    }
    list->setCurrentItem(chosen);
}

void TfmViewCfg::bbtDelClick()
{
    QTreeWidgetItem *row = SelectedRow();
    if (!row)
        return;
    QTreeWidget *list = FUi->lvCfg;
    int visibleIndex = 0;
    for (int i = 0; list->topLevelItem(i) != row; ++i)
        visibleIndex += list->topLevelItem(i)->isHidden() ? 0 : 1;
    delete row;
    SelectVisibleNear(visibleIndex);
}

void TfmViewCfg::bbtSelectClick()
{
    const QTreeWidgetItem *row = SelectedRow();
    if (!row)
        return;
    const QString file = row->text(2);
    hide();
    OpenEditor(file, LinkSettings);
    show();
}
