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
    // Where the link settings and the catalogue (searched for the access password) are kept.
    TIniPath IniPath;
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
    // file, link settings and access password; the password comes back from a link job.
    TJobResult RunJob(int code, TConfig *config = nullptr);

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
    // ClearMarks, mark one object, WriteChanges.
    bool WriteOne(const std::function<void()> &mark);
    // After a failed write: when the module took part of it, the configuration is read again
    // (the module is the truth) and true is returned; otherwise the caller undoes its change.
    bool ReadAgainAfterPartialWrite();
    // The module's configuration, read into a fresh container; null when the read failed.
    std::unique_ptr<TConfig> ReadModule();
    // Reads the configuration into a fresh container and takes it only when the read succeeded.
    bool ReadInto();
    // Deletes the partitions a cascade marked deleted.
    void DeleteMarkedParts();

    std::unique_ptr<Ui::TfmCfg> FUi;
    TMessageBoxes &FBoxes;
    TGuiLog FLog;
    TStatusRunner FStatusRunner;
    std::array<TRelayGroup, 3> FCMRelays;
    std::array<TRelayGroup, 2> FBRRelays;
    TIndicPane FVMS;
    TIndicPane FIB;
    QEventLoop *FModalLoop = nullptr;
    int FLastAccepted = 0; // objects the module took in the last link job
};
