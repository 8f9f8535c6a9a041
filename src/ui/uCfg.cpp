#include "ui/uCfg.h"

#include "model/uConfig.h"
#include "storage/uDB.h"
#include "storage/uHistory.h"
#include "ui/uMessageBoxes.h"
#include "ui/uTuningAccess.h"
#include "ui/uTuningLink.h"
#include "ui/uUiUtil.h"
#include "ui_uCfg.h"

#include <QCloseEvent>
#include <QEventLoop>
#include <QFontDatabase>

namespace {

std::unique_ptr<Ui::TfmCfg> SetUpForm(TfmCfg *window)
{
    auto form = std::make_unique<Ui::TfmCfg>();
    form->setupUi(window);
    return form;
}

void AddRow(QTreeWidget *list, const QStringList &texts) { new QTreeWidgetItem(list, texts); }

// A check box that shows a setting and takes no clicks.
void MakeReadOnly(QCheckBox *box)
{
    box->setAttribute(Qt::WA_TransparentForMouseEvents);
    box->setFocusPolicy(Qt::NoFocus);
}

} // namespace

TfmCfg::TfmCfg(TMessageBoxes &boxes, QWidget *parent)
    : QMainWindow(parent), IniPath(DefaultIniPath()), Runner(&FStatusRunner), FUi(SetUpForm(this)),
      FBoxes(boxes), FLog(*FUi->mmMsg), FStatusRunner(FLog, this)
{
    for (int i = 0; i < 3; ++i)
        FCMRelays[i] = RelayGroup(QStringLiteral("CM"), i + 1);
    for (int i = 0; i < 2; ++i)
        FBRRelays[i] = RelayGroup(QStringLiteral("BR"), i + 1);
    FVMS = {DevicePane(QStringLiteral("VMS")), FUi->lbVMSMode, FUi->lbVMSPart, FUi->lvVMSIndic};
    FIB = {DevicePane(QStringLiteral("IB")), FUi->lbIBMode, FUi->lbIBPart, FUi->lvIBIndic};
    for (QCheckBox *box : {FUi->chb1, FUi->chb2, FUi->chbSound})
        MakeReadOnly(box);

    QFont fixed = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    fixed.setBold(true);
    FUi->lvDev->setFont(fixed);
    // The log keeps a usable height and the lists their room above it.
    FUi->Splitter1->setStretchFactor(0, 1);
    FUi->Splitter1->setStretchFactor(1, 0);
    FUi->Panel1->setMinimumHeight(380);
    FUi->Panel2->setMinimumHeight(1);
    FUi->Splitter1->setSizes({height() - 108, 108});

    connect(FUi->lvDev, &QTreeWidget::itemSelectionChanged, this, &TfmCfg::lvDevChange);
    connect(FUi->lvPart, &QTreeWidget::itemSelectionChanged, this, &TfmCfg::lvPartChange);
    connect(FUi->lvUser, &QTreeWidget::itemSelectionChanged, this, &TfmCfg::lvUserChange);
    connect(FUi->pcObj, &QTabWidget::currentChanged, this, &TfmCfg::pcObjChange);
    SetUpCommands();
}

TfmCfg::~TfmCfg() = default;

QPlainTextEdit &TfmCfg::Log() const { return *FUi->mmMsg; }

TfmCfg::TRelayGroup TfmCfg::RelayGroup(const QString &pane, int i) const
{
    const QString n = QString::number(i);
    const auto label = [&](const char16_t *part) {
        return findChild<QLabel *>(QStringLiteral("lb") + pane + QString::fromUtf16(part) + n);
    };
    auto *two = findChild<QCheckBox *>(QStringLiteral("chb") + pane + n);
    MakeReadOnly(two);
    return {label(u"Mode"),
            label(u"Delay"),
            label(u"Dev"),
            label(u"DevVal"),
            label(u"Shlf"),
            label(u"ShlfVal"),
            two};
}

TfmCfg::TDevicePane TfmCfg::DevicePane(const QString &pane) const
{
    return {findChild<QWidget *>(QStringLiteral("ts") + pane),
            findChild<QGroupBox *>(QStringLiteral("gb") + pane),
            findChild<QLabel *>(QStringLiteral("lb") + pane + QStringLiteral("ID")),
            findChild<QLabel *>(QStringLiteral("lb") + pane + QStringLiteral("KeyDB"))};
}

// ---- start-up and closing ----

TJobResult TfmCfg::RunQuietJob(int code, TConfig *config, TConfig *previous)
{
    TCatalogPasswordSearch search(IniPath);
    TJobContext context;
    context.Config = config ? config : Config.get();
    context.FileName = FileName;
    context.Link = LinkSettings;
    context.Access = AccessPassword;
    context.Timings = Timings;
    context.Search = &search;
    context.Previous = previous;
    context.RestoreQuestion = previous ? &FBoxes : nullptr;
    const TJobResult result = Runner->Run(code, context);
    AccessPassword = context.Access;
    FJob = context.Outcome;
    if (FJob.Cancelled)
        FJob.Messages << QStringLiteral("Отменено пользователем");
    FLog.Flush();
    return result;
}

TJobResult TfmCfg::RunJob(int code, TConfig *config)
{
    const TJobResult result = RunQuietJob(code, config);
    TellLines(FJob.Messages);
    return result;
}

void TfmCfg::RecordVersion(const TConfig &config, THistoryEvent event)
{
    const TDevice *module = config.Device(1);
    const QString site = HistoryName.isEmpty()
                             ? HistorySiteName(IniPath, FileName, module ? module->ID : QString())
                             : HistoryName;
    THistory history(LoadHistorySettings(IniPath), &FLog);
    history.Record(config, VersionMessage(event, site), QDateTime::currentDateTime());
    FLog.Flush();
}

void TfmCfg::TellLines(const QStringList &lines)
{
    QStringList shown;
    for (const QString &line : lines)
        if (!line.isEmpty() && !shown.contains(line))
            shown << line;
    if (!shown.isEmpty())
        FBoxes.ShowMessage(shown.join(u'\n'));
}

bool TfmCfg::StartUp()
{
    CloseRequested = false;
    Config = std::make_unique<TConfig>();
    Config->SetQuestion(&FBoxes);
    AccessPassword = TOptnAccess();
    SetOutOfStep(false);
    FModuleChanged = false;
    TJobResult result = TJobResult::Cancel;
    RealTime = FileName.isEmpty();
    if (!RealTime) {
        result = RunQuietJob(JobLoadFile);
    } else {
        // While the module refuses the password (or none was found), the user may give
        // another; any other refusal (a user already logged in, too few rights) is final.
        for (;;) {
            result = RunQuietJob(JobConnectCfg);
            const bool password = FJob.LoginStatus == 0 || FJob.LoginStatus == -1;
            if (result != TJobResult::No || !password)
                break;
            TellLines(FJob.Messages);
            FJob.Messages.clear();
            if (!EditAccess(AccessPassword, FBoxes, this))
                break;
        }
    }
    if (result != TJobResult::Ok) {
        TellLines(QStringList{QStringLiteral("Не удалось загрузить конфигурацию")} + FJob.Messages);
        CloseRequested = true;
        return false;
    }
    // The administrator's password is the one to log in with; a read that did not bring the
    // administrator keeps the password it logged in with.
    if (const TUser *admin = Config->User(TUser::AdminNumber))
        AccessPassword.Password = admin->Pswrd1;
    if (RealTime)
        RecordVersion(*Config, THistoryEvent::Read);
    FUi->pcObj->setCurrentWidget(FUi->tsDev);
    FillDevList();
    return true;
}

void TfmCfg::ExecModal()
{
    setWindowModality(Qt::ApplicationModal);
    show();
    if (!StartUp()) {
        close();
        return;
    }
    QEventLoop loop;
    FModalLoop = &loop;
    loop.exec();
    FModalLoop = nullptr;
}

void TfmCfg::closeEvent(QCloseEvent *event)
{
    if (!CloseRequested &&
        !FBoxes.AskYesNo(QStringLiteral("Вы действительо хотите завершить конфигурирование?"),
                         QStringLiteral("Внимание"))) {
        event->ignore();
        return;
    }
    CloseRequested = true;
    // What a real-time session changed on the module, unless nobody knows what it holds.
    if (RealTime && FModuleChanged && !OutOfStep)
        RecordVersion(*Config, THistoryEvent::RealTime);
    FModuleChanged = false;
    event->accept();
    if (FModalLoop)
        FModalLoop->quit();
}

// ---- lists ----

template <typename AddRows> void TfmCfg::FillList(QTreeWidget *list, AddRows addRows)
{
    LockRedraw(list, true);
    list->clear();
    addRows();
    for (int c = 0; c < list->columnCount(); ++c)
        list->resizeColumnToContents(c);
    SelectNearRow(list, 0);
    LockRedraw(list, false);
}

void TfmCfg::FillDevList()
{
    FillList(FUi->lvDev, [this] {
        for (int a = 1; a <= TConfig::MaxAddress; ++a)
            if (const TDevice *d = Config->Device(a))
                AddRow(FUi->lvDev, {PaddedNumber(a), d->Type, d->IDText(), d->vSoft, d->vDev});
    });
}

void TfmCfg::FillPartList()
{
    FillList(FUi->lvPart, [this] {
        for (int p = 1; p <= TConfig::MaxPart; ++p)
            if (const TPart *part = Config->Part(p))
                AddRow(FUi->lvPart, {PaddedNumber(p), QString::number(part->Delay)});
    });
}

void TfmCfg::FillUserList()
{
    FillList(FUi->lvUser, [this] {
        for (int u = 1; u <= TConfig::MaxUser; ++u)
            if (const TUser *user = Config->User(u))
                AddRow(FUi->lvUser,
                       {PaddedNumber(u), user->TypeName(), user->Part1Text(), user->Part2Text()});
    });
}

int TfmCfg::RowNumber(const QTreeWidgetItem *row)
{
    if (!row)
        return -1;
    bool ok = false;
    const int n = row->text(0).trimmed().toInt(&ok);
    return ok ? n : -1;
}

int TfmCfg::SelectedIndex(const QTreeWidget *list)
{
    const QList<QTreeWidgetItem *> rows = list->selectedItems();
    return rows.isEmpty() ? -1 : list->indexOfTopLevelItem(rows.first());
}

int TfmCfg::SelectedNumber(const QTreeWidget *list)
{
    const QList<QTreeWidgetItem *> rows = list->selectedItems();
    return rows.isEmpty() ? -1 : RowNumber(rows.first());
}

int TfmCfg::FindRow(const QTreeWidget *list, int number)
{
    const QString wanted = QString::number(number);
    for (int i = 0; i < list->topLevelItemCount(); ++i)
        if (list->topLevelItem(i)->text(0).trimmed() == wanted)
            return i;
    return -1;
}

int TfmCfg::FindDevRow(int address) const { return FindRow(FUi->lvDev, address); }
int TfmCfg::FindPartRow(int number) const { return FindRow(FUi->lvPart, number); }
int TfmCfg::FindUserRow(int number) const { return FindRow(FUi->lvUser, number); }

void TfmCfg::lvDevChange()
{
    FUi->pcTuning->setCurrentWidget(FUi->tsEmpty);
    const int a = SelectedNumber(FUi->lvDev);
    const TDevice *d = a >= 0 ? Config->Device(a) : nullptr;
    if (!d)
        return;
    if (d->IsCM())
        ShowCMPane(a);
    else if (IsBR(d->Type))
        ShowBRPane(a);
    else if (d->IsVEKT())
        ShowVEKTPane(a);
    else if (IsVMSGroup(d->Type))
        ShowVMSPane(a);
    else if (IsIB8(d->Type))
        ShowIBPane(a);
    else if (d->IsKP())
        ShowKPPane(a);
}

void TfmCfg::lvPartChange()
{
    FUi->pcTuning->setCurrentWidget(FUi->tsEmpty);
    const int p = SelectedNumber(FUi->lvPart);
    if (p >= 0 && Config->Part(p))
        ShowPartPane(p);
}

void TfmCfg::lvUserChange()
{
    FUi->pcTuning->setCurrentWidget(FUi->tsEmpty);
    const int u = SelectedNumber(FUi->lvUser);
    if (u >= 0 && Config->User(u))
        ShowUserPane(u);
}

void TfmCfg::pcObjChange()
{
    FUi->pcTuning->setCurrentWidget(FUi->tsEmpty);
    if (!Config)
        return;
    QWidget *tab = FUi->pcObj->currentWidget();
    if (tab == FUi->tsDev)
        FillDevList();
    else if (tab == FUi->tsParts)
        FillPartList();
    else
        FillUserList();
}

// ---- detail panes ----

void TfmCfg::ShowDevice(const TDevicePane &pane, const TDevice &device)
{
    FUi->pcTuning->setCurrentWidget(pane.Page);
    pane.Group->setTitle(device.Type);
    ShowValue(pane.ID, device.IDText());
    ShowValue(pane.KeyDB, device.KeyDB);
}

void TfmCfg::ShowRelay(const TRelayGroup &group, const TRelay &relay)
{
    ShowValue(group.Mode, relay.ModeName());
    ShowValue(group.Delay, QString::number(relay.Delay));
    // "АСПТ" works on a loop of a control panel; every other mode on a partition.
    const bool onLoop = relay.IsASPT();
    group.DevCaption->setText(onLoop ? QStringLiteral("Расширитель:") : QStringLiteral("Раздел:"));
    ShowValue(group.DevValue, onLoop ? relay.DeviceText() : relay.PartText());
    ShowValue(group.ShlfValue, relay.ShlfText());
    group.TwoShlf->setChecked(relay.TwoShlf != 0);
    for (QWidget *w :
         {static_cast<QWidget *>(group.ShlfCaption), static_cast<QWidget *>(group.ShlfValue),
          static_cast<QWidget *>(group.TwoShlf)})
        w->setVisible(onLoop);
}

void TfmCfg::ShowCMPane(int address)
{
    const TRelayDev &d = *Config->Device(address)->AsRelayDev();
    ShowDevice(DevicePane(QStringLiteral("CM")), d);
    for (int i = 0; i < static_cast<int>(FCMRelays.size()) && i < d.Count(); ++i)
        ShowRelay(FCMRelays[i], *d.Relay(i + 1));
}

void TfmCfg::ShowBRPane(int address)
{
    const TRelayDev &d = *Config->Device(address)->AsRelayDev();
    ShowDevice(DevicePane(QStringLiteral("BR")), d);
    for (int i = 0; i < static_cast<int>(FBRRelays.size()) && i < d.Count(); ++i)
        ShowRelay(FBRRelays[i], *d.Relay(i + 1));
}

void TfmCfg::ShowKPPane(int address)
{
    const TKP &d = *Config->Device(address)->AsKP();
    ShowDevice(DevicePane(QStringLiteral("KP")), d);
    FUi->chb1->setChecked(d.SoundKeys());
    FUi->chb2->setChecked(d.SoundArm());
    ShowValue(FUi->lbKPPart, d.PartText());
}

void TfmCfg::ShowVEKTPane(int address)
{
    const TVEKT &d = *Config->Device(address)->AsVEKT();
    ShowDevice(DevicePane(QStringLiteral("VEKT")), d);
    QTreeWidget *list = FUi->lvVEKTShlf;
    list->clear();
    for (int i = 1; i <= d.Count(); ++i) {
        const TShleif &l = *d.Loop(i);
        AddRow(list, {QString::number(i), l.PartText(), l.TypeName(), l.DelayText()});
    }
}

void TfmCfg::ShowIndicators(const TIndicPane &pane, const TIndicDev &unit)
{
    ShowDevice(pane.Device, unit);
    ShowValue(pane.Mode, unit.ModeName());
    ShowValue(pane.Part, unit.PartText());
    QTreeWidget *list = pane.Indicators;
    list->clear();
    // Only an individually set up unit has indicators of its own.
    list->setEnabled(unit.IsIndividual());
    if (!unit.IsIndividual())
        return;
    for (int i = 1; i <= unit.Count(); ++i) {
        const TIndicator &x = *unit.Indicator(i);
        AddRow(list,
               {QString::number(i), x.ModeName(), x.PartText(), x.DeviceText(), x.ShlfText()});
    }
}

void TfmCfg::ShowVMSPane(int address)
{
    const TIndicDev &d = *Config->Device(address)->AsIndicDev();
    FUi->chbSound->setChecked((d.Sound & 1) != 0);
    ShowIndicators(FVMS, d);
}

void TfmCfg::ShowIBPane(int address)
{
    ShowIndicators(FIB, *Config->Device(address)->AsIndicDev());
}

void TfmCfg::ShowPartPane(int number)
{
    const TPart &p = *Config->Part(number);
    FUi->pcTuning->setCurrentWidget(FUi->tsPart);
    ShowValue(FUi->lbPartDelay, QString::number(p.Delay));
    ShowValue(FUi->lbPartKeyDB, p.KeyDB);
    FUi->lvPartSMS->clear();
    for (int k = 1; k <= TPart::SMSCount; ++k) {
        const TSMS &s = *p.SMS(k);
        AddRow(FUi->lvPartSMS, {s.TypeName(), s.NumberText(), s.CodeName()});
    }
    FUi->lvPartShlf->clear();
    for (const TLoopRow &row : Config->FillLoopsOfPart(static_cast<std::uint8_t>(number)))
        AddRow(FUi->lvPartShlf, {row.Caption, row.Pair, row.TypeName, row.Delay});
}

void TfmCfg::ShowUserPane(int number)
{
    const TUser &u = *Config->User(number);
    FUi->pcTuning->setCurrentWidget(FUi->tsUser);
    ShowValue(FUi->lbUserType, u.TypeName());
    ShowValue(FUi->lbUserPart1, u.Part1Text());
    ShowValue(FUi->lbUserPart2, u.Part2Text());
}
