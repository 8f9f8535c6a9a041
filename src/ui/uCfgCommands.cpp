// The editor's commands: adding, changing and deleting objects, the pane edits, reading,
// writing, the clock and saving; and in real-time mode the write of every accepted change, with
// the change undone (or the configuration read again) when the module does not take it.

#include "model/uCheck.h"
#include "model/uCompare.h"
#include "model/uConfig.h"
#include "model/uReport.h"
#include "storage/uBackup.h"
#include "storage/uHistory.h"
#include "ui/uAddShlf.h"
#include "ui/uCfg.h"
#include "ui/uCheckView.h"
#include "ui/uCompareView.h"
#include "ui/uCreateDev.h"
#include "ui/uMessageBoxes.h"
#include "ui/uTuningAccess.h"
#include "ui/uTuningDev.h"
#include "ui/uTuningIndic.h"
#include "ui/uTuningKeyDB.h"
#include "ui/uTuningLink.h"
#include "ui/uTuningPart.h"
#include "ui/uTuningRelay.h"
#include "ui/uTuningSMS.h"
#include "ui/uTuningShlf.h"
#include "ui/uTuningUser.h"
#include "ui/uUiUtil.h"
#include "ui_uCfg.h"

#include <QFileDialog>
#include <QFileInfo>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <QSaveFile>
#include <QShortcut>
#include <QStatusBar>
#include <QStyle>
#include <QTextDocument>

namespace {

// A toolbar icon drawn from a character of the interface font.
QIcon GlyphIcon(QChar glyph, const QColor &color)
{
    QPixmap pixmap(24, 24);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    QFont font = painter.font();
    font.setPixelSize(20);
    font.setBold(true);
    painter.setFont(font);
    painter.setPen(color);
    painter.drawText(pixmap.rect(), Qt::AlignCenter, QString(glyph));
    return QIcon(pixmap);
}

} // namespace

void TfmCfg::SetUpCommands()
{
    Ui::TfmCfg &ui = *FUi;
    const auto on = [this](QAction *item, auto command) {
        connect(item, &QAction::triggered, this, [this, command] { (this->*command)(); });
    };
    on(ui.NAddObj, &TfmCfg::AddCmd);
    on(ui.NUpdtObj, &TfmCfg::UpdateCmd);
    on(ui.NDelObj, &TfmCfg::DeleteCmd);
    on(ui.NReadCfg, &TfmCfg::ReadCfg);
    on(ui.NWriteCfg, &TfmCfg::WriteCfg);
    on(ui.NTime, &TfmCfg::SetClock);
    on(ui.NSave, &TfmCfg::Save);
    on(ui.NSaveAs, &TfmCfg::SaveAs);
    on(ui.NReport, &TfmCfg::SaveReport);
    on(ui.NCompare, &TfmCfg::CompareWithModule);
    on(ui.NCheck, &TfmCfg::CheckCfg);
    connect(ui.N19, &QAction::triggered, this, &QWidget::close);
    connect(ui.NLink, &QAction::triggered, this,
            [this] { EditLinkSettings(LinkSettings, IniPath, FBoxes, this); });
    connect(ui.NAccess, &QAction::triggered, this,
            [this] { EditAccess(AccessPassword, FBoxes, this); });
    connect(ui.N2, &QMenu::aboutToShow, this, &TfmCfg::ShowMenuCaptions);

    // The toolbar and the double clicks run the menu's items.
    const QStyle *style = this->style();
    const std::pair<QAction *, QAction *> tools[] = {
        {ui.sbtAdd, ui.NAddObj}, {ui.sbtUpdate, ui.NUpdtObj},  {ui.sbtDel, ui.NDelObj},
        {ui.sbtSave, ui.NSave},  {ui.sbtReadCfg, ui.NReadCfg}, {ui.sbtWriteCfg, ui.NWriteCfg},
    };
    for (const auto &[tool, item] : tools)
        connect(tool, &QAction::triggered, item, &QAction::trigger);
    ui.sbtAdd->setIcon(GlyphIcon(u'+', QColor(0x2e, 0x7d, 0x32)));
    ui.sbtUpdate->setIcon(GlyphIcon(QChar(0x270E), QColor(0x1f, 0x4e, 0x8c)));
    ui.sbtDel->setIcon(GlyphIcon(QChar(0x2715), QColor(0xc6, 0x28, 0x28)));
    ui.sbtSave->setIcon(style->standardIcon(QStyle::SP_DialogSaveButton));
    ui.sbtReadCfg->setIcon(style->standardIcon(QStyle::SP_ArrowDown));
    ui.sbtWriteCfg->setIcon(style->standardIcon(QStyle::SP_ArrowUp));
    ui.Panel3->setToolButtonStyle(Qt::ToolButtonIconOnly);
    // The lists answer the keys the catalogue does: Enter (or a double click) changes the
    // object, Insert adds one, Delete deletes it; the partition's loop list adds and takes out
    // loops the same way.
    const auto onKey = [](QWidget *list, Qt::Key key, const std::function<void()> &command) {
        auto *shortcut = new QShortcut(QKeySequence(key), list);
        shortcut->setContext(Qt::WidgetShortcut);
        connect(shortcut, &QShortcut::activated, list, command);
    };
    for (QTreeWidget *list : {ui.lvDev, ui.lvPart, ui.lvUser}) {
        connect(list, &QTreeWidget::itemActivated, ui.NUpdtObj, &QAction::trigger);
        onKey(list, Qt::Key_Insert, [this] { FUi->NAddObj->trigger(); });
        onKey(list, Qt::Key_Delete, [this] { FUi->NDelObj->trigger(); });
    }
    onKey(ui.lvPartShlf, Qt::Key_Insert, [this] { AddLoopsToPart(); });
    onKey(ui.lvPartShlf, Qt::Key_Delete, [this] { RemovePartLoop(); });

    // The panes.
    const std::pair<QPushButton *, int> relays[] = {{ui.btCMRelay1, 1},
                                                    {ui.btCMRelay2, 2},
                                                    {ui.btCMRelay3, 3},
                                                    {ui.btBRRelay1, 1},
                                                    {ui.btBRRelay2, 2}};
    for (const auto &[button, number] : relays)
        connect(button, &QPushButton::clicked, this, [this, n = number] { EditRelay(n); });
    const std::pair<QPushButton *, QLabel *> keys[] = {
        {ui.btCMKeyDB, ui.lbCMKeyDB},    {ui.btBRKeyDB, ui.lbBRKeyDB},
        {ui.btKPKeyDB, ui.lbKPKeyDB},    {ui.btVEKTKeyDB, ui.lbVEKTKeyDB},
        {ui.btVMSKeyDB, ui.lbVMSKeyDB},  {ui.btIBKeyDB, ui.lbIBKeyDB},
        {ui.btPartKeyDB, ui.lbPartKeyDB}};
    for (const auto &[button, label] : keys)
        connect(button, &QPushButton::clicked, this, [this, l = label] { KeyDBChange(l); });
    const auto rowOf = [](QTreeWidget *list) { return SelectedIndex(list); };
    connect(ui.lvVEKTShlf, &QTreeWidget::itemActivated, this,
            [this, rowOf] { EditLoopOfPanel(rowOf(FUi->lvVEKTShlf)); });
    connect(ui.lvPartShlf, &QTreeWidget::itemActivated, this,
            [this, rowOf] { EditLoopOfPart(rowOf(FUi->lvPartShlf)); });
    connect(ui.lvPartSMS, &QTreeWidget::itemActivated, this,
            [this, rowOf] { EditSMS(rowOf(FUi->lvPartSMS)); });
    for (QTreeWidget *list : {ui.lvVMSIndic, ui.lvIBIndic})
        connect(list, &QTreeWidget::itemActivated, this,
                [this, list, rowOf] { EditIndicator(rowOf(list)); });
    connect(ui.BitBtn3, &QPushButton::clicked, this, &TfmCfg::AddLoopsToPart);
    connect(ui.BitBtn4, &QPushButton::clicked, this, &TfmCfg::RemovePartLoop);

    ChooseSaveFile = [this] {
        QFileDialog dialog(this, QString(), FileName,
                           QStringLiteral("Файл конфигурации ЛОРИМ(*.cfg)"));
        dialog.setObjectName(QStringLiteral("sdSave"));
        dialog.setAcceptMode(QFileDialog::AcceptSave);
        dialog.setDefaultSuffix(QStringLiteral("cfg"));
        return dialog.exec() == QDialog::Accepted ? dialog.selectedFiles().value(0) : QString();
    };
    ChooseReportFile = [this] {
        QFileDialog dialog(this, QString(), QString(),
                           QStringLiteral("Отчёт HTML (*.html);;Отчёт PDF (*.pdf)"));
        dialog.setAcceptMode(QFileDialog::AcceptSave);
        dialog.setDefaultSuffix(QStringLiteral("html"));
        connect(&dialog, &QFileDialog::filterSelected, &dialog, [&dialog](const QString &filter) {
            dialog.setDefaultSuffix(filter.contains(u"pdf") ? QStringLiteral("pdf")
                                                            : QStringLiteral("html"));
        });
        return dialog.exec() == QDialog::Accepted ? dialog.selectedFiles().value(0) : QString();
    };
}

// ---- helpers ----

bool TfmCfg::Ask(const QString &text) { return FBoxes.AskYesNo(text, QStringLiteral("Внимание")); }
void TfmCfg::Tell(const QString &text) { FBoxes.ShowMessage(text); }

void TfmCfg::SelectRow(QTreeWidget *list, int row)
{
    if (row >= 0)
        list->setCurrentItem(list->topLevelItem(row));
}

void TfmCfg::ShowMenuCaptions()
{
    QWidget *tab = FUi->pcObj->currentWidget();
    const bool users = tab == FUi->tsUsers;
    const QString noun = tab == FUi->tsDev     ? QStringLiteral("устройство")
                         : tab == FUi->tsParts ? QStringLiteral("раздел")
                                               : QStringLiteral("пользователя");
    FUi->NAddObj->setText(QStringLiteral("&Добавить ") + noun);
    FUi->NDelObj->setText(QStringLiteral("&Удалить ") + noun);
    FUi->NUpdtObj->setText(users ? QStringLiteral("&Изменить настройки ") + noun
                           : tab == FUi->tsDev ? QStringLiteral("&Изменить настройки устройства")
                                               : QStringLiteral("&Изменить настройки раздела"));
}

void TfmCfg::RefreshActiveList() { pcObjChange(); }

// ---- writing in real-time mode ----

void TfmCfg::ClearMarks()
{
    Config->ClearFlags();
    for (int p = 1; p <= TConfig::MaxPart; ++p)
        if (TPart *part = Config->Part(p))
            for (int k = 1; k <= TPart::SMSCount; ++k)
                part->SMS(k)->Changed = false;
}

bool TfmCfg::WriteChanges()
{
    const bool written = RunQuietJob(JobWriteCfg) == TJobResult::Ok;
    Config->WriteAll = false;
    return written;
}

std::unique_ptr<TConfig> TfmCfg::Snapshot() const { return RealTime ? Config->Clone() : nullptr; }

bool TfmCfg::WriteChange(TConfig &before, const QStringList &failure)
{
    // The write puts outputs back from what the module held before the change.
    const bool written = RunQuietJob(JobWriteCfg, nullptr, &before) == TJobResult::Ok;
    Config->WriteAll = false;
    FModuleChanged = FModuleChanged || written;
    if (written)
        return true;
    const QStringList cause = FJob.Messages;
    const QString settled = SettleFailedWrite(before);
    TellLines(QStringList{QStringLiteral("Ошибка записи")} + cause + QStringList{settled} +
              failure);
    return false;
}

bool TfmCfg::WriteOne(TConfig &before, const std::function<void()> &mark,
                      const QStringList &failure)
{
    ClearMarks();
    mark();
    return WriteChange(before, failure);
}

bool TfmCfg::WriteOneChange(const std::function<void()> &change, const QStringList &failure)
{
    const std::unique_ptr<TConfig> before = Config->Clone();
    ClearMarks();
    change();
    return WriteChange(*before, failure);
}

// The read that settles a failed write does not ask "Считать конфигурацию?" as the command
// does: the module is the truth, and the box that follows says it was read.
QString TfmCfg::SettleFailedWrite(const TConfig &before)
{
    QString settled;
    if (FJob.Effect == TModuleEffect::None) {
        Config->Assign(before);
        settled = QStringLiteral("Модуль не изменился; редактор показывает прежние настройки.");
    } else if (!FJob.LinkLost && ReadBack()) {
        settled = QStringLiteral(
            "Модуль принял изменение частично; конфигурация считана из модуля заново.");
    } else {
        SetOutOfStep(true);
        settled = QStringLiteral("Конфигурация в редакторе может не совпадать с модулем: "
                                 "считайте её заново, когда связь восстановится.");
    }
    FLog.WriteLog(settled);
    RefreshKeepingSelection();
    return settled;
}

void TfmCfg::SetOutOfStep(bool outOfStep)
{
    OutOfStep = outOfStep;
    const QString title = QStringLiteral("Конфигурирование ЛОРИМ");
    setWindowTitle(outOfStep ? title + QStringLiteral(" — не совпадает с модулем") : title);
    // The status line is there only while it has something to say.
    if (outOfStep) {
        statusBar()->showMessage(QStringLiteral(
            "Конфигурация не совпадает с модулем. Изменения недоступны до «Считать»."));
        statusBar()->show();
    } else if (QStatusBar *status = findChild<QStatusBar *>()) {
        status->hide();
    }
}

bool TfmCfg::RefusedWhileOutOfStep()
{
    if (!RealTime || !OutOfStep)
        return false;
    Tell(QStringLiteral("Конфигурация в редакторе может не совпадать с модулем. Считайте её из "
                        "модуля («Конфигурация» → «Считать»), прежде чем её изменять."));
    return true;
}

std::unique_ptr<TConfig> TfmCfg::ReadModule()
{
    auto fresh = std::make_unique<TConfig>();
    fresh->SetQuestion(&FBoxes);
    if (RunQuietJob(JobReadCfg, fresh.get()) == TJobResult::Ok)
        return fresh;
    return nullptr;
}

bool TfmCfg::ReadBack()
{
    const std::unique_ptr<TConfig> read = ReadModule();
    if (!read)
        return false;
    // The keys are the editor's own; the module does not keep them.
    read->KeepKeysOf(*Config);
    Config->Assign(*read);
    SetOutOfStep(false);
    RecordVersion(*Config, THistoryEvent::Read);
    return true;
}

bool TfmCfg::ReadInto()
{
    const bool taken = ReadBack();
    if (!taken)
        TellLines(QStringList{QStringLiteral("Не удалось загрузить конфигурацию")} + FJob.Messages);
    RefreshKeepingSelection();
    return taken;
}

void TfmCfg::RefreshKeepingSelection()
{
    QTreeWidget *list = FUi->pcObj->currentWidget() == FUi->tsDev     ? FUi->lvDev
                        : FUi->pcObj->currentWidget() == FUi->tsParts ? FUi->lvPart
                                                                      : FUi->lvUser;
    const int selected = SelectedNumber(list);
    RefreshActiveList();
    SelectRow(list, FindRow(list, selected));
}

void TfmCfg::DeleteMarkedParts()
{
    for (int p = 1; p <= TConfig::MaxPart; ++p)
        if (const TPart *part = Config->Part(p); part && part->Deleted)
            Config->DeletePart(p);
}

// ---- add, change, delete by the active list ----

void TfmCfg::ByTab(void (TfmCfg::*devices)(), void (TfmCfg::*partitions)(), void (TfmCfg::*users)())
{
    if (RefusedWhileOutOfStep())
        return;
    QWidget *tab = FUi->pcObj->currentWidget();
    (this->*(tab == FUi->tsDev ? devices : tab == FUi->tsParts ? partitions : users))();
}

void TfmCfg::AddCmd() { ByTab(&TfmCfg::AddDeviceCmd, &TfmCfg::AddPartCmd, &TfmCfg::AddUserCmd); }

void TfmCfg::UpdateCmd()
{
    ByTab(&TfmCfg::UpdateDeviceCmd, &TfmCfg::UpdatePartCmd, &TfmCfg::UpdateUserCmd);
}

void TfmCfg::DeleteCmd()
{
    ByTab(&TfmCfg::DeleteDeviceCmd, &TfmCfg::DeletePartCmd, &TfmCfg::DeleteUserCmd);
}

void TfmCfg::AddDeviceCmd()
{
    const int free = Config->FirstFreeAddress();
    if (free == 0) {
        Tell(QStringLiteral("Невозможно добавить устройство. Все сетевые адреса заняты."));
        return;
    }
    const QString model = ChooseDeviceModel(this);
    if (model.isEmpty())
        return;
    std::unique_ptr<TDevice> device =
        Config->CreateDevice(model, QString(), 0, QString(), QString(), QString());
    if (!device) {
        Tell(QStringLiteral("Не удалось добавить устройство"));
        return;
    }
    device->ID.clear();
    int address = free;
    if (!EditDevice(*Config, RealTime, address, *device, FBoxes, this))
        return;
    const std::unique_ptr<TConfig> before = Snapshot();
    TDevice *added = device.get();
    if (!Config->PutDevice(address, std::move(device))) {
        Tell(QStringLiteral("Не удалось добавить устройство"));
        return;
    }
    if (RealTime && !WriteOne(*before, [added] { added->Changed = true; },
                              {QStringLiteral("Не удалось добавить устройство")}))
        return;
    FillDevList();
    SelectRow(FUi->lvDev, FindDevRow(address));
}

void TfmCfg::UpdateDeviceCmd()
{
    const int address = SelectedNumber(FUi->lvDev);
    TDevice *device = address > 0 ? Config->Device(address) : nullptr;
    if (!device)
        return;
    const std::unique_ptr<TConfig> before = Snapshot();
    int chosen = address;
    if (!EditDevice(*Config, RealTime, chosen, *device, FBoxes, this))
        return;
    if (!RealTime) {
        Config->RenumberDevice(address, chosen);
    } else {
        const bool move = chosen != address;
        ClearMarks();
        device->Changed = true;
        device->NewNA = static_cast<std::uint8_t>(chosen);
        // The relays and indicators on a panel that moves follow it on the module too: the
        // write sends them after the move.
        if (move)
            Config->RepointDeviceRefs(address, chosen);
        if (!WriteChange(*before))
            return;
        if (move) {
            Config->MoveDevice(address, chosen);
            // How the module renumbers its records is its own business: read them back.
            FLog.WriteLog(QStringLiteral("Адрес устройства изменён: конфигурация будет считана "
                                         "из модуля заново"));
            ReadInto();
        }
    }
    FillDevList();
    SelectRow(FUi->lvDev, FindDevRow(chosen));
}

void TfmCfg::DeleteDeviceCmd()
{
    const int address = SelectedNumber(FUi->lvDev);
    if (address < 1 || !Config->Device(address) || !Ask(QStringLiteral("Удалить устройство?")))
        return;
    if (Config->Device(address)->IsCM()) {
        Tell(QStringLiteral("Нельзя удалить ЦМ"));
        return;
    }
    const int row = FindDevRow(address);
    const std::unique_ptr<TConfig> before = Snapshot();
    ClearMarks();
    const bool panel = Config->Device(address)->IsVEKT();
    if (!Config->PrepareDelete(address))
        return;
    // First what the cascade changed (the panel's loops, the relays and indicators on it, the
    // partitions left without loops), then the device itself.
    if (RealTime && panel && !WriteChange(*before))
        return;
    DeleteMarkedParts();
    if (RealTime && !WriteOneChange([this, address] { Config->Device(address)->MarkDeleted(); }))
        return;
    Config->DeleteDevice(address, true);
    delete FUi->lvDev->topLevelItem(row);
    SelectNearRow(FUi->lvDev, row);
}

void TfmCfg::AddPartCmd()
{
    const int free = Config->FirstFreePart();
    if (free == 0) {
        Tell(QStringLiteral(
            "Невозможно добавить раздел. Достигнуто максимальное количество разделов."));
        return;
    }
    std::unique_ptr<TPart> part = Config->CreatePart(0, QString());
    if (!part) {
        Tell(QStringLiteral("Не удалось добавить раздел"));
        return;
    }
    int number = free;
    if (!EditPart(*Config, RealTime, number, *part, FBoxes, this))
        return;
    if (!AddLoops(number))
        return;
    const std::unique_ptr<TConfig> before = Snapshot();
    TPart *added = part.get();
    if (!Config->PutPart(number, std::move(part))) {
        Tell(QStringLiteral("Не удалось добавить раздел"));
        return;
    }
    if (RealTime && !WriteOne(*before, [added] { added->Changed = true; },
                              {QStringLiteral("Не удалось добавить раздел")})) {
        // The loops bound to it a moment ago are written free again, unless the module's state
        // is unknown now.
        if (!OutOfStep && !Config->Part(number) &&
            Config->CountLoopsOfPart(static_cast<std::uint8_t>(number)) > 0)
            WriteOneChange(
                [this, number] { Config->ClearLoopsOfPartAll(static_cast<std::uint8_t>(number)); });
        FillPartList();
        return;
    }
    FillPartList();
    SelectRow(FUi->lvPart, FindPartRow(number));
}

void TfmCfg::UpdatePartCmd()
{
    const int number = SelectedNumber(FUi->lvPart);
    TPart *part = number > 0 ? Config->Part(number) : nullptr;
    if (!part)
        return;
    const std::unique_ptr<TConfig> before = Snapshot();
    int chosen = number;
    if (!EditPart(*Config, RealTime, chosen, *part, FBoxes, this))
        return;
    if (chosen != number)
        Config->RenumberPart(number, chosen);
    if (RealTime && !WriteOne(*before, [part] { part->Changed = true; }))
        return;
    FillPartList();
    SelectRow(FUi->lvPart, FindPartRow(chosen));
}

void TfmCfg::DeletePartCmd()
{
    const int number = SelectedNumber(FUi->lvPart);
    if (number < 1 || !Config->Part(number) || !Ask(QStringLiteral("Удалить раздел?")))
        return;
    if (RealTime && !WriteOneChange([this, number] { Config->UnbindPartition(number); }))
        return;
    const int row = FindPartRow(number);
    Config->DeletePart(number);
    delete FUi->lvPart->topLevelItem(row);
    SelectNearRow(FUi->lvPart, row);
}

void TfmCfg::AddUserCmd()
{
    const int free = Config->FirstFreeUser();
    if (free == 0) {
        Tell(QStringLiteral("Невозможно добавить пользователя. Достигнуто максимальное "
                            "количество пользователей."));
        return;
    }
    std::unique_ptr<TUser> user =
        TConfig::CreateUser(0, 0, 0, QString::fromUtf16(TUser::DefaultPswrd1),
                            QString::fromUtf16(TUser::DefaultPswrd2));
    int number = free;
    if (!EditUser(*Config, RealTime, number, *user, FBoxes, this))
        return;
    const std::unique_ptr<TConfig> before = Snapshot();
    TUser *added = user.get();
    if (!Config->PutUser(number, std::move(user))) {
        Tell(QStringLiteral("Не удалось добавить пользователя"));
        return;
    }
    if (RealTime && !WriteOne(*before, [added] { added->Changed = true; },
                              {QStringLiteral("Не удалось добавить пользователя")}))
        return;
    FillUserList();
    SelectRow(FUi->lvUser, FindUserRow(number));
}

void TfmCfg::UpdateUserCmd()
{
    const int number = SelectedNumber(FUi->lvUser);
    TUser *user = number > 0 ? Config->User(number) : nullptr;
    if (!user)
        return;
    const std::unique_ptr<TConfig> before = Snapshot();
    int chosen = number;
    if (!EditUser(*Config, RealTime, chosen, *user, FBoxes, this))
        return;
    Config->MoveUser(number, chosen);
    user = Config->User(chosen);
    if (RealTime && !WriteOne(*before, [user] { user->Changed = true; }))
        return;
    FillUserList();
    SelectRow(FUi->lvUser, FindUserRow(chosen));
    // Later link jobs log in with the administrator's new password.
    if (chosen == TUser::AdminNumber)
        AccessPassword.Password = user->Pswrd1;
}

void TfmCfg::DeleteUserCmd()
{
    const int number = SelectedNumber(FUi->lvUser);
    if (number < 1 || !Config->User(number) || !Ask(QStringLiteral("Удалить пользователя?")))
        return;
    if (number == TUser::AdminNumber) {
        Tell(QStringLiteral("Нельзя удалить администратора!"));
        return;
    }
    if (RealTime && !WriteOneChange([this, number] { Config->User(number)->MarkDeleted(); }))
        return;
    const int row = FindUserRow(number);
    Config->DeleteUser(number);
    delete FUi->lvUser->topLevelItem(row);
    SelectNearRow(FUi->lvUser, row);
}

// ---- the panes ----

void TfmCfg::EditRelay(int relay)
{
    const int address = SelectedNumber(FUi->lvDev);
    TRelayDev *owner =
        address > 0 && Config->Device(address) ? Config->Device(address)->AsRelayDev() : nullptr;
    if (!owner || relay < 1 || relay > owner->Count() || RefusedWhileOutOfStep())
        return;
    TRelay &r = *owner->Relay(relay);
    const std::unique_ptr<TConfig> before = Snapshot();
    if (!EditRelayDialog(*Config, r, FBoxes, this))
        return;
    if (RealTime && !WriteOne(*before, [&r] { r.Changed = true; }))
        return;
    lvDevChange();
}

void TfmCfg::EditLoopOfPanel(int row)
{
    const int address = SelectedNumber(FUi->lvDev);
    if (row >= 0 && address > 0)
        EditLoop(address, row + 1, false);
}

void TfmCfg::EditLoopOfPart(int row)
{
    const QTreeWidgetItem *item = FUi->lvPartShlf->topLevelItem(row);
    std::uint8_t address = 0;
    std::uint8_t loop = 0;
    if (item && SelectedNumber(FUi->lvPart) > 0 && ParsePair(item->text(1), address, loop))
        EditLoop(address, loop, true);
}

void TfmCfg::EditLoop(int address, int loop, bool partFixed)
{
    TVEKT *panel = Config->Device(address) ? Config->Device(address)->AsVEKT() : nullptr;
    if (!panel || loop < 1 || loop > panel->Count() || RefusedWhileOutOfStep())
        return;
    TShleif &l = *panel->Loop(loop);
    // The dialog may unbind a partition; the write then carries that too.
    const std::unique_ptr<TConfig> before = Snapshot();
    if (RealTime)
        ClearMarks();
    if (!EditLoopDialog(*Config, l, partFixed, panel->Type != QStringLiteral("ВЕКТ-8 v4"), FBoxes,
                        this))
        return;
    Config->DropLoopRefs(address, loop);
    if (RealTime) {
        l.Changed = true;
        if (!WriteChange(*before))
            return;
    }
    DeleteMarkedParts();
    if (partFixed)
        lvPartChange();
    else
        lvDevChange();
}

void TfmCfg::EditSMS(int row)
{
    const int number = SelectedNumber(FUi->lvPart);
    TPart *part = number > 0 ? Config->Part(number) : nullptr;
    if (!part || row < 0 || row >= TPart::SMSCount || RefusedWhileOutOfStep())
        return;
    TSMS &sms = *part->SMS(row + 1);
    const std::unique_ptr<TConfig> before = Snapshot();
    if (!EditSMSDialog(sms, FBoxes, this))
        return;
    if (RealTime && !WriteOne(*before, [&sms] { sms.Changed = true; }))
        return;
    ShowPartPane(number);
}

void TfmCfg::EditIndicator(int row)
{
    const int address = SelectedNumber(FUi->lvDev);
    TIndicDev *unit =
        address > 0 && Config->Device(address) ? Config->Device(address)->AsIndicDev() : nullptr;
    if (!unit || row < 0 || row >= unit->Count() || RefusedWhileOutOfStep())
        return;
    TIndicator &x = *unit->Indicator(row + 1);
    const std::unique_ptr<TConfig> before = Snapshot();
    if (!EditIndicatorDialog(*Config, x, FBoxes, this))
        return;
    if (RealTime && !WriteOne(*before, [&x] { x.Changed = true; }))
        return;
    lvDevChange();
}

bool TfmCfg::AddLoops(int number)
{
    // In real-time mode each loop is written as it is bound, with nothing else marked.
    return AddLoopsDialog(
        *Config, number, RealTime,
        [this](const std::function<void()> &bind, const QString &failure) {
            return WriteOneChange(bind, {failure});
        },
        FBoxes, this);
}

void TfmCfg::AddLoopsToPart()
{
    const int number = std::max(SelectedNumber(FUi->lvPart), 0);
    if (!RefusedWhileOutOfStep() && AddLoops(number))
        ShowPartPane(number);
}

void TfmCfg::RemovePartLoop()
{
    QTreeWidget *list = FUi->lvPartShlf;
    const int row = SelectedIndex(list);
    if (row < 0 || RefusedWhileOutOfStep() || !Ask(QStringLiteral("Удалить шлейф?")))
        return;
    // Its partition's last loop: the partition goes with it.
    if (list->topLevelItemCount() < 2) {
        DeletePartCmd();
        return;
    }
    std::uint8_t address = 0;
    std::uint8_t loop = 0;
    TVEKT *panel = nullptr;
    if (!ParsePair(list->topLevelItem(row)->text(1), address, loop) || !Config->Device(address) ||
        !(panel = Config->Device(address)->AsVEKT()) || loop > panel->Count())
        return;
    // Clearing the loop also clears the relays and indicators on it: all of it is written.
    const auto clear = [this, panel, address, loop] {
        TShleif &l = *panel->Loop(loop);
        l.Clear();
        Config->DropLoopRefs(address, loop);
        l.Changed = true;
    };
    if (!RealTime)
        clear();
    else if (!WriteOneChange(clear))
        return;
    delete list->topLevelItem(row);
    SelectNearRow(list, row);
}

void TfmCfg::KeyDBChange(QLabel *value)
{
    QString key = value->text();
    if (!EditKeyDBDialog(*Config, key, FBoxes, this))
        return;
    ShowValue(value, key);
    if (FUi->pcObj->currentWidget() == FUi->tsDev) {
        if (TDevice *d = Config->Device(SelectedNumber(FUi->lvDev)))
            d->KeyDB = key;
    } else if (FUi->pcObj->currentWidget() == FUi->tsParts) {
        if (TPart *p = Config->Part(SelectedNumber(FUi->lvPart)))
            p->KeyDB = key;
    }
}

// ---- the network and the file ----

bool TfmCfg::ReadCfg() { return Ask(QStringLiteral("Считать конфигурацию?")) && ReadInto(); }

QString TfmCfg::ReadFailure() const
{
    const QString said = FJob.Messages.join(QStringLiteral("; "));
    if (FJob.LoginStatus >= 0)
        return QStringLiteral("модуль отклонил вход: ") + said;
    return said.isEmpty() ? QStringLiteral("модуль не ответил") : said;
}

bool TfmCfg::AskToWriteAll()
{
    const QList<TProblem> problems = CheckConfig(*Config);
    const bool errors = CountErrors(problems) > 0;
    const QString question = errors
                                 ? QStringLiteral("В конфигурации есть ошибки. Всё равно записать?")
                                 : QStringLiteral("Записать конфигурацию?");
    return FBoxes.Ask(question + u'\n' + ProblemCounts(problems), QStringLiteral("Внимание"),
                      ProblemLines(problems), errors);
}

bool TfmCfg::WriteCfg()
{
    if (!AskToWriteAll())
        return false;
    // A whole write erases the module first: what it holds now is read and kept as a backup,
    // and written back should the write fail half-way.
    const std::unique_ptr<TConfig> before = ReadModule();
    QString failure = before ? QString() : ReadFailure();
    const QString backup = before ? SaveBackup(*before, LoadBackupSettings(IniPath),
                                               QDateTime::currentDateTime(), failure)
                                  : QString();
    if (backup.isEmpty() &&
        !FBoxes.Ask(QStringLiteral("Не удалось сохранить резервную копию конфигурации модуля (") +
                        failure + QStringLiteral("). Записать без резервной копии?"),
                    QStringLiteral("Внимание"), {}, true))
        return false;
    if (!backup.isEmpty())
        FLog.WriteLog(QStringLiteral("Резервная копия конфигурации модуля: ") + backup);
    if (before) {
        RecordVersion(*before, THistoryEvent::BeforeWrite);
        const QStringList changes = CompareConfigs(*before, *Config);
        FLog.WriteLog(QStringLiteral("Отличий от конфигурации модуля: ") +
                      QString::number(changes.size()));
        for (const QString &change : changes)
            FLog.WriteLog(QStringLiteral("  ") + change);
    }
    Config->WriteAll = true;
    const bool written = RunQuietJob(JobWriteCfg, nullptr, before.get()) == TJobResult::Ok;
    Config->WriteAll = false;
    if (written) {
        SetOutOfStep(false);
        RecordVersion(*Config, THistoryEvent::Written);
        FBoxes.ShowNotice(QStringLiteral("Конфигурация записана"));
        return true;
    }
    TellLines(QStringList{QStringLiteral("Ошибка записи")} + FJob.Messages +
              QStringList{WholeWriteOutcome(FJob.Restore, FJob.Effect, backup)});
    return false;
}

void TfmCfg::SetClock()
{
    if (Ask(QStringLiteral("Синхронизировать системное время с временем на устройстве?")) &&
        RunJob(JobClockCfg) == TJobResult::Ok)
        FBoxes.ShowNotice(QStringLiteral("Время синхронизировано"));
}

bool TfmCfg::Save()
{
    if (OutOfStep &&
        !Ask(QStringLiteral("Конфигурация в редакторе может не совпадать с модулем. Сохранить в "
                            "файл то, что показывает редактор?")))
        return false;
    if (FileName.isEmpty())
        return SaveAs();
    if (RunJob(JobSaveFile) != TJobResult::Ok)
        return false;
    RecordVersion(*Config, THistoryEvent::Saved);
    return true;
}

bool TfmCfg::SaveAs()
{
    const QString chosen = ChooseSaveFile();
    if (chosen.isEmpty())
        return false;
    const QFileInfo info(chosen);
    const QString path =
        info.suffix().compare(QStringLiteral("cfg"), Qt::CaseInsensitive) == 0
            ? chosen
            : info.dir().filePath(info.completeBaseName() + QStringLiteral(".cfg"));
    // The name really written: a name chosen with another extension must not replace a
    // configuration file unasked.
    if (path != chosen && QFileInfo::exists(path) &&
        !Ask(QStringLiteral("Файл ") + path + QStringLiteral(" уже существует. Заменить его?")))
        return false;
    FileName = path;
    return Save();
}

bool TfmCfg::CompareWithModule()
{
    const std::unique_ptr<TConfig> module = ReadModule();
    if (!module) {
        TellLines(QStringList{QStringLiteral("Не удалось загрузить конфигурацию")} + FJob.Messages);
        return false;
    }
    TfmCompare view(CompareConfigs(*module, *Config), {}, this);
    view.exec();
    return true;
}

void TfmCfg::CheckCfg()
{
    TfmCheck view(
        CheckConfig(*Config), [this](const TObjectRef &object) { SelectObject(object); }, this);
    view.exec();
}

void TfmCfg::SelectObject(const TObjectRef &object)
{
    using TList = TObjectRef::TList;
    using TPiece = TObjectRef::TPiece;
    const auto [tab, list] = object.List == TList::Devices ? std::pair(FUi->tsDev, FUi->lvDev)
                             : object.List == TList::Parts ? std::pair(FUi->tsParts, FUi->lvPart)
                                                           : std::pair(FUi->tsUsers, FUi->lvUser);
    FUi->pcObj->setCurrentWidget(tab);
    const int row = FindRow(list, object.Number);
    if (row < 0)
        return;
    SelectRow(list, row);
    list->setFocus();
    const bool ib = FUi->pcTuning->currentWidget() == FIB.Device.Page;
    QTreeWidget *pane = object.Piece == TPiece::Loop        ? FUi->lvVEKTShlf
                        : object.Piece == TPiece::Indicator ? (ib ? FIB : FVMS).Indicators
                        : object.Piece == TPiece::SMS       ? FUi->lvPartSMS
                                                            : nullptr;
    if (pane) {
        SelectRow(pane, object.PieceNumber - 1);
        pane->setFocus();
    }
}

bool TfmCfg::SaveReport()
{
    const QString path = ChooseReportFile();
    if (path.isEmpty())
        return false;
    const QString title = FileName.isEmpty() ? QString() : QFileInfo(FileName).completeBaseName();
    const QByteArray html = SiteReport(*Config, TReportFormat::Html, false, title);
    QSaveFile file(path);
    bool saved = file.open(QIODevice::WriteOnly);
    if (saved && path.endsWith(QStringLiteral(".pdf"), Qt::CaseInsensitive)) {
        QPdfWriter pdf(&file);
        pdf.setPageSize(QPageSize(QPageSize::A4));
        pdf.setTitle(title);
        QTextDocument document;
        document.setHtml(QString::fromUtf8(html));
        document.print(&pdf);
    } else if (saved) {
        saved = file.write(html) == html.size();
    }
    if (saved && file.commit())
        return true;
    Tell(QStringLiteral("Не удалось сохранить отчёт ") + path);
    return false;
}
