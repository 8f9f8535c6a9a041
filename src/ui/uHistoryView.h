#pragma once

#include "storage/uHistory.h"

#include <QDialog>
#include <QList>

#include <functional>
#include <memory>

namespace Ui {
class TfmHistory;
}
class TConfig;
class TMessageBoxes;

// The history of one module's configuration, newest first: when, who and what took each
// version. "Сравнить" shows in the compare window how the selected version differs from the
// catalogue entry's file, or two selected versions from each other, the older first;
// "Записать" hands the selected version, as a configuration file, to write (given by the
// catalogue, which asks its own question and keeps a backup); "Сохранить как..." puts it into a
// file.
class TfmHistory : public QDialog {
    Q_OBJECT
public:
    TfmHistory(THistory &history, const QString &moduleID, const QString &file,
               TMessageBoxes &boxes, std::function<void(const QString &version)> write,
               QWidget *parent = nullptr);
    ~TfmHistory() override;

    // Asks where to save a version: a path, or empty when the user cancels. The file dialog
    // unless a test sets another.
    std::function<QString()> ChooseSaveFile;

    void Compare();
    void Write();
    void SaveAs();

private:
    // The selected versions, newest first.
    QList<THistoryVersion> Selected() const;
    // Loads a version; false, having told the user why, when it cannot be loaded.
    bool Load(const THistoryVersion &version, TConfig &config);
    // Loads the one selected version; false, having told the user why, when it cannot.
    bool LoadSelected(TConfig &config);

    std::unique_ptr<Ui::TfmHistory> FUi;
    THistory &FHistory;
    QString FModuleID;
    QString FFile;
    TMessageBoxes &FBoxes;
    std::function<void(const QString &)> FWrite;
    QList<THistoryVersion> FVersions;
};
