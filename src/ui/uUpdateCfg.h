#pragma once

#include "link/uOptnLink.h"
#include "storage/uCatalog.h"
#include "ui/uDialogFrame.h"

#include <functional>
#include <memory>

namespace Ui {
class TfmUpdateCfg;
}

// The catalogue entry dialog: creates a configuration file from the template (mode 0), adds an
// existing file (1) or changes an entry (2), and may set the administrator password stored in
// the file.
class TfmUpdateCfg : public TDialogFrame {
    Q_OBJECT
public:
    enum TMode { Create = 0, Add = 1, Change = 2 };

    TfmUpdateCfg(TMode mode, const TCatalogEntry &entry, const TIniPath &iniPath,
                 TMessageBoxes &boxes, QWidget *parent = nullptr);
    ~TfmUpdateCfg() override;

    // The entry as the dialog ends it (path as the user gave it).
    TCatalogEntry Entry() const;
    // The administrator's password the user gave and confirmed in the access dialog; empty when
    // none, and then the file's administrator is left alone.
    TOptnAccess AccessPassword;
    // Asks for a file: to save a new one (save true; an existing file chosen has been confirmed
    // for replacing) or to open an existing one; empty when cancelled. The file dialogs unless
    // a test sets another.
    std::function<QString(bool save)> ChooseFile;

protected:
    void OkClicked() override;

private:
    void Button1Click();
    void Button4Click();
    bool CreateFile(const QString &path);
    bool StoreAccessPassword(const QString &path);

    std::unique_ptr<Ui::TfmUpdateCfg> FUi;
    TMode FMode;
    TIniPath FIniPath;
    QString FReplaceConfirmed; // the existing file the save dialog was told to replace
};

// Opens the entry dialog; true when it ended with OK, and then entry holds the entry. Creating
// without the template beside the program says so and opens nothing.
bool EditCatalogEntry(TfmUpdateCfg::TMode mode, TCatalogEntry &entry, const TIniPath &iniPath,
                      TMessageBoxes &boxes, QWidget *parent);
