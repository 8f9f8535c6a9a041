#pragma once

#include "link/uOptnLink.h"
#include "link/uPort.h"
#include "storage/uCatalog.h"
#include "storage/uIniFile.h"

#include <QDialog>

#include <functional>
#include <memory>

namespace Ui {
class TfmViewCfg;
}
class QTreeWidgetItem;
class TfmCfg;
class TMessageBoxes;

// The catalogue window of configuration mode: the configuration files listed in the INI file,
// with the commands on them. Each change of the list is written into the INI file at once,
// merged with what another copy of the program may have written there.
// A filter above the list narrows it by name, description or path as the user types; the
// commands act on the row selected in what is shown. Delete and Insert run "Удалить" and
// "Добавить" except in the filter box, where they belong to its text.
class TfmViewCfg : public QDialog {
    Q_OBJECT
public:
    TfmViewCfg(TMessageBoxes &boxes, const TIniPath &iniPath, const TOptnLink &link,
               QWidget *parent = nullptr);
    ~TfmViewCfg() override;

    TOptnLink LinkSettings;
    TLinkTimings Timings; // of the link jobs its editors run
    // Opens the editor on a file with the link settings and returns when it has closed; tests
    // replace it.
    std::function<void(const QString &file, const TOptnLink &link)> OpenEditor;

    // Shows the window modally until it is closed. Not QDialog::exec(), which would end as soon
    // as the window hides itself while an editor of one of its files is open.
    void ExecModal();

    // Shows only the rows whose name, description or path holds the text (any case).
    void Filter(const QString &text);

    void BitBtn1Click(); // Создать
    void bbtAddClick();
    void BitBtn3Click(); // Настроить
    void bbtDelClick();
    void bbtSelectClick();
    void BitBtn6Click(); // Считать
    void BitBtn7Click(); // Записать
    void BitBtn9Click(); // Резервные копии
    void btHistoryClick();
    void btSyncClick();

protected:
    void keyPressEvent(QKeyEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void ShowCatalog(const TCatalog &entries);
    void ChangeEntries(const std::function<void(TCatalog &)> &change);
    QTreeWidgetItem *SelectedRow() const;
    void SelectVisibleNear(int index);
    // Opens the entry dialog; on OK the entry replaces the one of row, or is added at the end.
    void EditEntry(int mode, QTreeWidgetItem *row);
    // Runs a command on an editor that loads a file (the selected entry's, when none is given)
    // and is never shown; nothing runs when the file does not load (the editor has said so).
    // The history names the site after the selected entry.
    void OnHiddenEditor(const std::function<void(TfmCfg &)> &command, QString file = {});
    // Writes a file (the selected entry's, when none is given) to the module whole, on a hidden
    // editor: with the write's question and backup.
    void WriteToModule(const QString &file = {});
    // The module identifier of the selected entry's file, and that file; empty, having told the
    // user, when its file does not open.
    QString SelectedModule(QString &file);

    std::unique_ptr<Ui::TfmViewCfg> FUi;
    TMessageBoxes &FBoxes;
    TIniPath FIniPath;
};
