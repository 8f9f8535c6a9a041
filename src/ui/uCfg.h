#pragma once

#include "link/uOptnLink.h"
#include "link/uPort.h"
#include "storage/uIniFile.h"
#include "ui/uGuiSinks.h"
#include "ui/uJobs.h"
#include "ui/uStatus.h"

#include <QMainWindow>

#include <array>
#include <functional>
#include <memory>

namespace Ui {
class TfmCfg;
}
class QCheckBox;
class QEventLoop;
class QGroupBox;
class QLabel;
class QPlainTextEdit;
class QPushButton;
class QTreeWidget;
class QTreeWidgetItem;
class TConfig;
class TDevice;
class TIndicDev;
class TMessageBoxes;
class TRelay;
struct TObjectRef;
enum class THistoryEvent;

// The configuration editor: one configuration shown as three lists (expanders, partitions,
// users) with a detail pane for the selected object, a menu, a toolbar and the message log.
// With a file name it works on that file (configuration mode); without one on the network
// itself (real-time mode). It also works hidden: the catalogue runs its commands on an editor
// that is never shown, so start-up is a method, not a side effect of showing.
class TfmCfg : public QMainWindow {
    Q_OBJECT
public:
    explicit TfmCfg(TMessageBoxes &boxes, QWidget *parent = nullptr);
    ~TfmCfg() override;

    std::unique_ptr<TConfig> Config;
    TOptnLink LinkSettings;
    TOptnAccess AccessPassword;
    QString FileName; // empty: real-time mode
    bool RealTime = false;
    bool CloseRequested = false;
    // Real-time mode: a change failed in a way that leaves unknown what the module holds. The
    // title and the status line say so, changes are refused and a save asks first, until a
    // read brings the module's configuration.
    bool OutOfStep = false;
    // Where the link settings, the catalogue (searched for the access password) and the
    // settings of the history are kept.
    TIniPath IniPath;
    // How the history names the site in its versions; when empty, as HistorySiteName names it.
    QString HistoryName;
    TLinkTimings Timings;
    // Runs the long jobs; the progress window unless a test sets another.
    TJobRunner *Runner;
    // Asks where to save: a path, or empty when the user cancels. The file dialog unless a test
    // sets another.
    std::function<QString()> ChooseSaveFile;
    // Asks where to save the report; the file dialog unless a test sets another.
    std::function<QString()> ChooseReportFile;

    // Start-up: a fresh configuration, loaded from the file or read from the module (asking
    // for the access password again while the module refuses it), then shown. False when it
    // failed; the user has been told and the window is to close without a question.
    bool StartUp();
    // Shows the window modally: start-up, then the window until it is closed.
    void ExecModal();

    // Refilling the lists from the configuration; the first row is selected.
    void FillDevList();
    void FillPartList();
    void FillUserList();
    // The detail panes.
    void ShowCMPane(int address);
    void ShowBRPane(int address);
    void ShowVEKTPane(int address);
    void ShowVMSPane(int address);
    void ShowIBPane(int address);
    void ShowKPPane(int address);
    void ShowPartPane(int number);
    void ShowUserPane(int number);
    // The row of a number, or -1; the number of a row's caption, or -1.
    int FindDevRow(int address) const;
    int FindPartRow(int number) const;
    int FindUserRow(int number) const;
    static int RowNumber(const QTreeWidgetItem *row);

    QPlainTextEdit &Log() const;

    // The commands of the menu, the toolbar and the panes; the catalogue runs some on a hidden
    // editor. Read, Write and Save say whether they were carried out.
    void AddCmd();
    void UpdateCmd();
    void DeleteCmd();
    bool ReadCfg();
    bool WriteCfg();
    void SetClock();
    bool Save();
    bool SaveAs();
    // Shows how the editor's configuration differs from the module's.
    bool CompareWithModule();
    // Shows what the check of the configuration finds; a problem chosen there is selected.
    void CheckCfg();
    // Selects an object in the lists: its tab, its row, and the row of its loop, indicator or SMS
    // record in the pane.
    void SelectObject(const TObjectRef &object);
    // Saves the report of the site as HTML, or PDF when the chosen name ends in ".pdf".
    bool SaveReport();
    void EditRelay(int relay);
    void EditLoopOfPanel(int row);
    void EditLoopOfPart(int row);
    void EditSMS(int row);
    void EditIndicator(int row);
    void AddLoopsToPart();
    void RemovePartLoop();

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    // The controls of one relay group of the module's or the relay expander's pane.
    struct TRelayGroup {
        QLabel *Mode, *Delay, *DevCaption, *DevValue, *ShlfCaption, *ShlfValue;
        QCheckBox *TwoShlf;
    };
    // The controls every device pane has.
    struct TDevicePane {
        QWidget *Page;
        QGroupBox *Group;
        QLabel *ID, *KeyDB;
    };
    // The controls of an indication unit's pane.
    struct TIndicPane {
        TDevicePane Device;
        QLabel *Mode, *Part;
        QTreeWidget *Indicators;
    };

    TRelayGroup RelayGroup(const QString &pane, int i) const;
    TDevicePane DevicePane(const QString &pane) const;
    void ShowDevice(const TDevicePane &pane, const TDevice &device);
    void ShowRelay(const TRelayGroup &group, const TRelay &relay);
    void ShowIndicators(const TIndicPane &pane, const TIndicDev &unit);
    template <typename AddRows> void FillList(QTreeWidget *list, AddRows addRows);
    static int FindRow(const QTreeWidget *list, int number);
    // The selected row of a list (the lists select one row at most), or -1; its number, or -1.
    static int SelectedIndex(const QTreeWidget *list);
    static int SelectedNumber(const QTreeWidget *list);

    void lvDevChange();
    void lvPartChange();
    void lvUserChange();
    void pcObjChange();

    // Runs a job on a configuration (the editor's unless another is given) with the editor's
    // file, link settings and access password; the password comes back from a link job, and
    // its outcome stays in FJob. RunJob shows what the job had to tell in one box; RunQuietJob
    // leaves that to its caller, and gives a write what the module held before it (previous:
    // a whole write that fails after the erase offers to write it back).
    TJobResult RunJob(int code, TConfig *config = nullptr);
    TJobResult RunQuietJob(int code, TConfig *config = nullptr, TConfig *previous = nullptr);
    // One box: the lines that are not empty, one under the other.
    void TellLines(const QStringList &lines);

    // ---- commands ----
    void SetUpCommands();
    // Runs the command of the objects of the active list tab.
    void ByTab(void (TfmCfg::*devices)(), void (TfmCfg::*partitions)(), void (TfmCfg::*users)());
    void ShowMenuCaptions();
    void AddDeviceCmd();
    void UpdateDeviceCmd();
    void DeleteDeviceCmd();
    void AddPartCmd();
    void UpdatePartCmd();
    void DeletePartCmd();
    void AddUserCmd();
    void UpdateUserCmd();
    void DeleteUserCmd();
    void EditLoop(int address, int loop, bool partFixed);
    // The add-loops dialog for a partition; true when a loop was bound.
    bool AddLoops(int number);
    void KeyDBChange(QLabel *value);
    void RefreshActiveList();
    void SelectRow(QTreeWidget *list, int row);
    bool Ask(const QString &text);
    void Tell(const QString &text);

    // ---- writing changes in real-time mode ----
    // Clears every change mark, the SMS records' too, so that a write sends exactly what one
    // command changed.
    void ClearMarks();
    // Runs the write job; true when the module took every change.
    bool WriteChanges();
    // A copy of the configuration to settle a failed real-time write with; null in
    // configuration mode, where nothing is written.
    std::unique_ptr<TConfig> Snapshot() const;
    // Writes what the marks say, the module having held before when they were made. When the
    // write fails the editor is settled (SettleFailedWrite) and one box says what happened,
    // ending with the caller's lines; then false, and every pointer into Config is stale.
    bool WriteChange(TConfig &before, const QStringList &failure = {});
    // ClearMarks, mark one object, WriteChange.
    bool WriteOne(TConfig &before, const std::function<void()> &mark,
                  const QStringList &failure = {});
    // A change made and written in one go: snapshot, ClearMarks, change (which marks what it
    // changed), WriteChange.
    bool WriteOneChange(const std::function<void()> &change, const QStringList &failure = {});
    // After a failed real-time write the editor shows what the module holds: the configuration
    // of before when the module took nothing, else the module's read back (keeping the keys
    // only the editor has); when neither is sure, it is marked out of step. The line that
    // says which.
    QString SettleFailedWrite(const TConfig &before);
    void SetOutOfStep(bool outOfStep);
    // True, having said why, when real-time changes must wait for a read.
    bool RefusedWhileOutOfStep();
    // The module's configuration, read into a fresh container; null when the read failed.
    std::unique_ptr<TConfig> ReadModule();
    // Takes the module's configuration, keeping the keys only the editor has; false, with
    // the editor unchanged, when the read failed.
    bool ReadBack();
    // ReadBack, telling a failure, and the lists refilled.
    bool ReadInto();
    // Refills the active list and selects again the object that was selected.
    void RefreshKeepingSelection();
    // Deletes the partitions a cascade marked deleted.
    void DeleteMarkedParts();
    // Why the last read failed, for a sentence.
    QString ReadFailure() const;
    // The whole write's question, with what the check of the configuration finds: with errors
    // No is the default.
    bool AskToWriteAll();
    // Takes a version of a configuration of the site into the history; a history that cannot
    // be written is logged and changes nothing else.
    void RecordVersion(const TConfig &config, THistoryEvent event);

    std::unique_ptr<Ui::TfmCfg> FUi;
    TMessageBoxes &FBoxes;
    TGuiLog FLog;
    TStatusRunner FStatusRunner;
    std::array<TRelayGroup, 3> FCMRelays;
    std::array<TRelayGroup, 2> FBRRelays;
    TIndicPane FVMS;
    TIndicPane FIB;
    QEventLoop *FModalLoop = nullptr;
    TJobOutcome FJob; // of the last job
    // Real-time mode: a change was written to the module since the start; its end takes a
    // version into the history.
    bool FModuleChanged = false;
};
