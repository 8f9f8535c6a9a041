#pragma once

#include <QDialog>
#include <QStringList>

#include <functional>
#include <memory>

namespace Ui {
class TfmBackups;
}

// The backups of one module, newest first; "Записать" restores the selected one by writing it
// to the module (write, given by the catalogue, asks its own question).
class TfmBackups : public QDialog {
    Q_OBJECT
public:
    TfmBackups(const QString &moduleID, const QStringList &backups,
               std::function<void(const QString &file)> write, QWidget *parent = nullptr);
    ~TfmBackups() override;

private:
    std::unique_ptr<Ui::TfmBackups> FUi;
};
