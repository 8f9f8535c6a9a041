#include "ui/uViewCfg.h"

#include "storage/uBackup.h"
#include "storage/uCatalog.h"
#include "storage/uDB.h"
#include "storage/uHistory.h"
#include "ui/uBackups.h"
#include "ui/uCfg.h"
#include "ui/uHistoryView.h"
#include "ui/uMessageBoxes.h"
#include "ui/uTuningLink.h"
#include "ui/uUiUtil.h"
#include "ui/uUpdateCfg.h"
#include "ui_uViewCfg.h"

#include <QApplication>
#include <QEventLoop>
#include <QKeyEvent>

namespace {

TCatalogEntry RowEntry(const QTreeWidgetItem *row)
{
    return {row->text(0), row->text(1), row->text(2)};
}

} // namespace

TfmViewCfg::TfmViewCfg(TMessageBoxes &boxes, const TIniPath &iniPath, const TOptnLink &link,
                       QWidget *parent)
    : QDialog(parent), LinkSettings(link), FUi(std::make_unique<Ui::TfmViewCfg>()), FBoxes(boxes),
      FIniPath(iniPath)
{
    FUi->setupUi(this);
    setWindowFlags(windowFlags() & ~Qt::WindowContextHelpButtonHint);
    FUi->lvCfg->setColumnWidth(0, 120);
    FUi->lvCfg->setColumnWidth(1, 180);
    ShowCatalog(LoadCatalog(FIniPath));
    SelectNearRow(FUi->lvCfg, 0);

    OpenEditor = [this](const QString &file, const TOptnLink &settings) {
        TfmCfg editor(FBoxes);
        editor.IniPath = FIniPath;
        editor.FileName = CatalogFilePath(FIniPath, file);
        editor.LinkSettings = settings;
        editor.Timings = Timings;
        editor.ExecModal();
    };
    connect(FUi->edFilter, &QLineEdit::textChanged, this, &TfmViewCfg::Filter);
    FUi->edFilter->installEventFilter(this);
    connect(FUi->BitBtn1, &QPushButton::clicked, this, &TfmViewCfg::BitBtn1Click);
    connect(FUi->bbtAdd, &QPushButton::clicked, this, &TfmViewCfg::bbtAddClick);
    connect(FUi->BitBtn3, &QPushButton::clicked, this, &TfmViewCfg::BitBtn3Click);
    connect(FUi->bbtDel, &QPushButton::clicked, this, &TfmViewCfg::bbtDelClick);
    connect(FUi->bbtSelect, &QPushButton::clicked, this, &TfmViewCfg::bbtSelectClick);
    connect(FUi->BitBtn6, &QPushButton::clicked, this, &TfmViewCfg::BitBtn6Click);
    connect(FUi->BitBtn7, &QPushButton::clicked, this, &TfmViewCfg::BitBtn7Click);
    connect(FUi->BitBtn9, &QPushButton::clicked, this, &TfmViewCfg::BitBtn9Click);
    connect(FUi->btHistory, &QPushButton::clicked, this, &TfmViewCfg::btHistoryClick);
    connect(FUi->btSync, &QPushButton::clicked, this, &TfmViewCfg::btSyncClick);
    connect(FUi->lvCfg, &QTreeWidget::itemDoubleClicked, this, &TfmViewCfg::bbtSelectClick);
    connect(FUi->BitBtn8, &QPushButton::clicked, this,
            [this] { EditLinkSettings(LinkSettings, FIniPath, FBoxes, this); });
    for (QPushButton *b : findChildren<QPushButton *>())
        b->setAutoDefault(false);
    FUi->lvCfg->setFocus();
}

TfmViewCfg::~TfmViewCfg() = default;

void TfmViewCfg::ExecModal()
{
    setWindowModality(Qt::ApplicationModal);
    QEventLoop loop;
    connect(this, &QDialog::finished, &loop, &QEventLoop::quit);
    show();
    loop.exec();
}

void TfmViewCfg::keyPressEvent(QKeyEvent *event)
{
    switch (event->key()) {
    case Qt::Key_Delete:
        bbtDelClick();
        break;
    case Qt::Key_Insert:
        bbtAddClick();
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

// In the filter box Delete and Insert belong to its text, as in any text box: Delete is the
// box's own, and Insert, which the box does not use, does not reach the window as "Добавить".
bool TfmViewCfg::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == FUi->edFilter && event->type() == QEvent::KeyPress &&
        static_cast<QKeyEvent *>(event)->key() == Qt::Key_Insert)
        return true;
    return QDialog::eventFilter(watched, event);
}

// The rows anew, narrowed by the filter; the selection is the caller's.
void TfmViewCfg::ShowCatalog(const TCatalog &entries)
{
    QTreeWidget *list = FUi->lvCfg;
    LockRedraw(list, true);
    list->clear();
    for (const TCatalogEntry &e : entries)
        new QTreeWidgetItem(list, {e.Name, e.Note, e.Path});
    Filter(FUi->edFilter->text());
    LockRedraw(list, false);
}

// A change goes into the INI file at once, merged with what is there, and the list shows the
// result: entries another copy of the program added meanwhile appear.
void TfmViewCfg::ChangeEntries(const std::function<void(TCatalog &)> &change)
{
    ShowCatalog(ChangeCatalog(FIniPath, change, FBoxes));
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
    const TCatalogEntry gone = RowEntry(row);
    ChangeEntries([&gone](TCatalog &entries) { entries.removeOne(gone); });
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

void TfmViewCfg::EditEntry(int mode, QTreeWidgetItem *row)
{
    const bool changing = row != nullptr;
    const TCatalogEntry old = changing ? RowEntry(row) : TCatalogEntry();
    TCatalogEntry entry = old;
    if (!EditCatalogEntry(static_cast<TfmUpdateCfg::TMode>(mode), entry, FIniPath, FBoxes, this))
        return;
    // A changed entry another copy took out meanwhile comes back as a new one.
    ChangeEntries([changing, &old, &entry](TCatalog &entries) {
        const qsizetype at = changing ? entries.indexOf(old) : -1;
        if (at >= 0)
            entries[at] = entry;
        else
            entries.append(entry);
    });
    // Of equal entries the last is selected: where a new one went.
    const QList<QTreeWidgetItem *> rows = FUi->lvCfg->findItems(entry.Path, Qt::MatchExactly, 2);
    for (QTreeWidgetItem *shown : rows)
        if (RowEntry(shown) == entry)
            FUi->lvCfg->setCurrentItem(shown);
}

void TfmViewCfg::BitBtn1Click() { EditEntry(TfmUpdateCfg::Create, nullptr); }
void TfmViewCfg::bbtAddClick() { EditEntry(TfmUpdateCfg::Add, nullptr); }

void TfmViewCfg::BitBtn3Click()
{
    if (QTreeWidgetItem *row = SelectedRow())
        EditEntry(TfmUpdateCfg::Change, row);
}

void TfmViewCfg::OnHiddenEditor(const std::function<void(TfmCfg &)> &command, QString file)
{
    const QTreeWidgetItem *row = SelectedRow();
    if (!row)
        return;
    if (file.isEmpty())
        file = CatalogFilePath(FIniPath, row->text(2));
    TfmCfg editor(FBoxes);
    editor.IniPath = FIniPath;
    editor.FileName = file;
    editor.HistoryName = row->text(0);
    editor.LinkSettings = LinkSettings;
    editor.Timings = Timings;
    if (editor.StartUp())
        command(editor);
    editor.CloseRequested = true;
}

// The network's configuration into the entry's file: saved only when it was read.
void TfmViewCfg::BitBtn6Click()
{
    OnHiddenEditor([](TfmCfg &editor) {
        if (editor.ReadCfg())
            editor.Save();
    });
}

void TfmViewCfg::BitBtn7Click() { WriteToModule(); }

void TfmViewCfg::WriteToModule(const QString &file)
{
    OnHiddenEditor([](TfmCfg &editor) { editor.WriteCfg(); }, file);
}

QString TfmViewCfg::SelectedModule(QString &file)
{
    const QTreeWidgetItem *row = SelectedRow();
    if (!row)
        return QString();
    file = CatalogFilePath(FIniPath, row->text(2));
    TDBConfig db(nullptr, nullptr);
    const QString moduleID = db.Connect(file) ? db.ReadModuleID() : QString();
    if (moduleID.isEmpty())
        FBoxes.ShowMessage(QStringLiteral("Не удалось открыть БД ") + file);
    return moduleID;
}

// The backups of the selected entry's module: one of them written to the module restores it.
void TfmViewCfg::BitBtn9Click()
{
    QString file;
    const QString moduleID = SelectedModule(file);
    if (moduleID.isEmpty())
        return;
    TfmBackups backups(
        moduleID, ListBackups(LoadBackupSettings(FIniPath), moduleID),
        [this](const QString &backup) { WriteToModule(backup); }, this);
    backups.exec();
}

// The versions of the selected entry's module in the history: compared, written to the module,
// saved into a file.
void TfmViewCfg::btHistoryClick()
{
    QString file;
    const QString moduleID = SelectedModule(file);
    if (moduleID.isEmpty())
        return;
    THistory history(LoadHistorySettings(FIniPath), nullptr);
    TfmHistory view(
        history, moduleID, file, FBoxes, [this](const QString &version) { WriteToModule(version); },
        this);
    view.exec();
}

// The other installers' versions in, ours out; the user is told how it went, and of every site
// that has a version from someone else.
void TfmViewCfg::btSyncClick()
{
    THistory history(LoadHistorySettings(FIniPath), nullptr);
    QApplication::setOverrideCursor(Qt::WaitCursor);
    const TSyncResult result = history.Sync();
    QApplication::restoreOverrideCursor();
    const QString text = result.Lines.join(u'\n');
    if (result.Ok)
        FBoxes.ShowNotice(text);
    else
        FBoxes.ShowMessage(text);
}
