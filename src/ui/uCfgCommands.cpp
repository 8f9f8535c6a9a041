// The editor's commands: adding, changing and deleting objects, the pane edits, reading,
// writing, the clock and saving; and in real-time mode the write of every accepted change, with
// the change undone (or the configuration read again) when the module does not take it.

#include "model/uCompare.h"
#include "model/uConfig.h"
#include "model/uReport.h"
#include "storage/uBackup.h"
#include "ui/uAddShlf.h"
#include "ui/uCfg.h"
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
    for (QTreeWidget *list : {ui.lvDev, ui.lvPart, ui.lvUser})
        connect(list, &QTreeWidget::itemDoubleClicked, ui.NUpdtObj, &QAction::trigger);

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
    connect(ui.lvVEKTShlf, &QTreeWidget::itemDoubleClicked, this,
            [this, rowOf] { EditLoopOfPanel(rowOf(FUi->lvVEKTShlf)); });
    connect(ui.lvPartShlf, &QTreeWidget::itemDoubleClicked, this,
            [this, rowOf] { EditLoopOfPart(rowOf(FUi->lvPartShlf)); });
    connect(ui.lvPartSMS, &QTreeWidget::itemDoubleClicked, this,
            [this, rowOf] { EditSMS(rowOf(FUi->lvPartSMS)); });
    for (QTreeWidget *list : {ui.lvVMSIndic, ui.lvIBIndic})
        connect(list, &QTreeWidget::itemDoubleClicked, this,
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
    FUi->NAddObj->setText(QStringLiteral("Добавить ") + noun);
    FUi->NDelObj->setText(QStringLiteral("Удалить ") + noun);
    FUi->NUpdtObj->setText(users ? QStringLiteral("Изменить настройки ") + noun
                           : tab == FUi->tsDev ? QStringLiteral("Изменить настройки устройства")
                                               : QStringLiteral("Изменить настройки раздела"));
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
    const bool written = RunJob(JobWriteCfg) == TJobResult::Ok;
    Config->WriteAll = false;
    return written;
}

bool TfmCfg::WriteOne(const std::function<void()> &mark)
{
    ClearMarks();
    mark();
    return WriteChanges();
}

bool TfmCfg::ReadAgainAfterPartialWrite()
{
    if (FLastAccepted == 0)
        return false;
    FLog.WriteLog(QStringLiteral(
        "Модуль принял изменение частично: конфигурация будет считана из модуля заново"));
    ReadInto();
    return true;
}

std::unique_ptr<TConfig> TfmCfg::ReadModule()
{
    auto fresh = std::make_unique<TConfig>();
    fresh->SetQuestion(&FBoxes);
    if (RunJob(JobReadCfg, fresh.get()) == TJobResult::Ok)
        return fresh;
    return nullptr;
}

bool TfmCfg::ReadInto()
{
    std::unique_ptr<TConfig> read = ReadModule();
    const bool taken = read != nullptr;
    if (taken)
        Config = std::move(read);
    else
        Tell(QStringLiteral("Не удалось загрузить конфигурацию"));
    RefreshActiveList();
    return taken;
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
    TDevice *added = device.get();
    if (!Config->PutDevice(address, std::move(device))) {
        Tell(QStringLiteral("Не удалось добавить устройство"));
        return;
    }
    if (RealTime && !WriteOne([added] { added->Changed = true; })) {
        Tell(QStringLiteral("Ошибка записи"));
        if (!ReadAgainAfterPartialWrite()) {
            Config->DeleteDevice(address, true);
            Tell(QStringLiteral("Не удалось добавить устройство"));
        }
        FillDevList();
        return;
    }
    FillDevList();
    SelectRow(FUi->lvDev, FindDevRow(address));
}

void TfmCfg::UpdateDeviceCmd()
{
    const int address = SelectedNumber(FUi->lvDev);
    TDevice *device = address > 0 ? Config->Device(address) : nullptr;
    if (!device)
        return;
    const std::unique_ptr<TDevice> copy = TConfig::CloneDevice(*device);
    int chosen = address;
    if (!EditDevice(*Config, RealTime, chosen, *device, FBoxes, this))
        return;
    if (RealTime) {
        ClearMarks();
        device->Changed = true;
        device->NewNA = static_cast<std::uint8_t>(chosen);
        if (!WriteChanges()) {
            Tell(QStringLiteral("Ошибка записи"));
            if (!ReadAgainAfterPartialWrite()) {
                device->Assign(*copy);
                lvDevChange();
            }
            return;
        }
    }
    if (chosen != address) {
        Config->RenumberDevice(address, chosen);
        // How the module renumbers its records is its own business: read them back.
        if (RealTime) {
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
    ClearMarks();
    const bool panel = Config->Device(address)->IsVEKT();
    if (!Config->PrepareDelete(address))
        return;
    // First what the cascade changed (the panel's loops, the relays and indicators on it, the
    // partitions left without loops), then the device itself.
    const auto writeFailed = [this] {
        Tell(QStringLiteral("Ошибка записи"));
        ReadInto();
    };
    if (RealTime && panel && !WriteChanges())
        return writeFailed();
    DeleteMarkedParts();
    if (RealTime && !WriteOne([this, address] { Config->Device(address)->MarkDeleted(); }))
        return writeFailed();
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
    if (!AddLoopsDialog(
            *Config, number, RealTime, [this] { return WriteChanges(); }, FBoxes, this))
        return;
    TPart *added = part.get();
    if (!Config->PutPart(number, std::move(part))) {
        Tell(QStringLiteral("Не удалось добавить раздел"));
        return;
    }
    if (RealTime && !WriteOne([added] { added->Changed = true; })) {
        Tell(QStringLiteral("Ошибка записи"));
        if (!ReadAgainAfterPartialWrite()) {
            // The loops bound to it a moment ago are written free again.
            ClearMarks();
            Config->DeletePart(number);
            WriteChanges();
            Tell(QStringLiteral("Не удалось добавить раздел"));
        }
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
    const TPart copy(*part);
    int chosen = number;
    if (!EditPart(*Config, RealTime, chosen, *part, FBoxes, this))
        return;
    if (chosen != number)
        Config->RenumberPart(number, chosen);
    if (RealTime && !WriteOne([part] { part->Changed = true; })) {
        Tell(QStringLiteral("Ошибка записи"));
        if (!ReadAgainAfterPartialWrite()) {
            part->Assign(copy);
            lvPartChange();
        }
        return;
    }
    FillPartList();
    SelectRow(FUi->lvPart, FindPartRow(chosen));
}

void TfmCfg::DeletePartCmd()
{
    const int number = SelectedNumber(FUi->lvPart);
    if (number < 1 || !Config->Part(number) || !Ask(QStringLiteral("Удалить раздел?")))
        return;
    if (RealTime) {
        ClearMarks();
        Config->UnbindPartition(number);
        if (!WriteChanges()) {
            Tell(QStringLiteral("Ошибка записи"));
            ReadInto();
            return;
        }
    }
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
    TUser *added = user.get();
    if (!Config->PutUser(number, std::move(user))) {
        Tell(QStringLiteral("Не удалось добавить пользователя"));
        return;
    }
    if (RealTime && !WriteOne([added] { added->Changed = true; })) {
        Tell(QStringLiteral("Ошибка записи"));
        Config->DeleteUser(number);
        Tell(QStringLiteral("Не удалось добавить пользователя"));
        return;
    }
    FillUserList();
    SelectRow(FUi->lvUser, FindUserRow(number));
}

void TfmCfg::UpdateUserCmd()
{
    const int number = SelectedNumber(FUi->lvUser);
    TUser *user = number > 0 ? Config->User(number) : nullptr;
    if (!user)
        return;
    const TUser copy(*user);
    int chosen = number;
    if (!EditUser(*Config, RealTime, chosen, *user, FBoxes, this))
        return;
    Config->MoveUser(number, chosen);
    user = Config->User(chosen);
    if (RealTime && !WriteOne([user] { user->Changed = true; })) {
        Tell(QStringLiteral("Ошибка записи"));
        user->Assign(copy);
        lvUserChange();
        return;
    }
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
    if (RealTime && !WriteOne([this, number] { Config->User(number)->MarkDeleted(); })) {
        Tell(QStringLiteral("Ошибка записи"));
        return;
    }
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
    if (!owner || relay < 1 || relay > owner->Count())
        return;
    TRelay &r = *owner->Relay(relay);
    const TRelay copy = r;
    if (!EditRelayDialog(*Config, r, FBoxes, this))
        return;
    if (RealTime && !WriteOne([&r] { r.Changed = true; })) {
        Tell(QStringLiteral("Ошибка записи"));
        if (!ReadAgainAfterPartialWrite())
            r.Assign(copy);
    }
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
    if (!panel || loop < 1 || loop > panel->Count())
        return;
    TShleif &l = *panel->Loop(loop);
    // The dialog may unbind a partition; the write then carries that too.
    if (RealTime)
        ClearMarks();
    if (!EditLoopDialog(*Config, l, partFixed, panel->Type != QStringLiteral("ВЕКТ-8 v4"), FBoxes,
                        this))
        return;
    Config->DropLoopRefs(address, loop);
    if (RealTime) {
        l.Changed = true;
        if (!WriteChanges()) {
            Tell(QStringLiteral("Ошибка записи"));
            ReadInto();
            return;
        }
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
    if (!part || row < 0 || row >= TPart::SMSCount)
        return;
    TSMS &sms = *part->SMS(row + 1);
    const TSMS copy = sms;
    if (!EditSMSDialog(sms, FBoxes, this))
        return;
    if (RealTime && !WriteOne([&sms] { sms.Changed = true; })) {
        Tell(QStringLiteral("Ошибка записи"));
        sms.Assign(copy);
    }
    ShowPartPane(number);
}

void TfmCfg::EditIndicator(int row)
{
    const int address = SelectedNumber(FUi->lvDev);
    TIndicDev *unit =
        address > 0 && Config->Device(address) ? Config->Device(address)->AsIndicDev() : nullptr;
    if (!unit || row < 0 || row >= unit->Count())
        return;
    TIndicator &x = *unit->Indicator(row + 1);
    const TIndicator copy = x;
    if (!EditIndicatorDialog(*Config, x, FBoxes, this))
        return;
    if (RealTime && !WriteOne([&x] { x.Changed = true; })) {
        Tell(QStringLiteral("Ошибка записи"));
        if (!ReadAgainAfterPartialWrite())
            x.Assign(copy);
    }
    lvDevChange();
}

void TfmCfg::AddLoopsToPart()
{
    const int number = std::max(SelectedNumber(FUi->lvPart), 0);
    if (AddLoopsDialog(
            *Config, number, RealTime, [this] { return WriteChanges(); }, FBoxes, this))
        ShowPartPane(number);
}

void TfmCfg::RemovePartLoop()
{
    QTreeWidget *list = FUi->lvPartShlf;
    const int row = SelectedIndex(list);
    if (row < 0 || !Ask(QStringLiteral("Удалить шлейф?")))
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
    ClearMarks();
    TShleif &l = *panel->Loop(loop);
    l.Clear();
    Config->DropLoopRefs(address, loop);
    l.Changed = true;
    if (RealTime && !WriteChanges()) {
        Tell(QStringLiteral("Ошибка записи"));
        ReadInto();
        return;
    }
    delete list->topLevelItem(row);
    SelectNearRow(list, row);
}

void TfmCfg::KeyDBChange(QLabel *value)
{
    QString key = value->text();
    if (!EditKeyDBDialog(*Config, key, FBoxes, this))
        return;
    value->setText(key);
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

bool TfmCfg::WriteCfg()
{
    // A whole write erases the module first: what it holds now is read and kept as a backup,
    // and the question says how much the write changes.
    const std::unique_ptr<TConfig> before = ReadModule();
    QString failure = QStringLiteral("модуль не ответил");
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
    const QStringList changes = before ? CompareConfigs(*before, *Config) : QStringList();
    const QString count = before ? QStringLiteral("\nОтличий от конфигурации модуля: ") +
                                       QString::number(changes.size())
                                 : QString();
    if (!FBoxes.Ask(QStringLiteral("Записать конфигурацию?") + count, QStringLiteral("Внимание"),
                    changes))
        return false;
    Config->WriteAll = true;
    if (WriteChanges())
        return true;
    Tell(QStringLiteral("Ошибка записи"));
    return false;
}

void TfmCfg::SetClock()
{
    if (Ask(QStringLiteral("Синхронизировать системное время с временем на устройстве?")) &&
        RunJob(JobClockCfg) == TJobResult::Ok)
        Tell(QStringLiteral("Время синхронизировано"));
}

bool TfmCfg::Save()
{
    if (FileName.isEmpty())
        return SaveAs();
    return RunJob(JobSaveFile) == TJobResult::Ok;
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
        Tell(QStringLiteral("Не удалось загрузить конфигурацию"));
        return false;
    }
    TfmCompare view(CompareConfigs(*module, *Config), this);
    view.exec();
    return true;
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
