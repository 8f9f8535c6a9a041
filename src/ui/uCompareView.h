#pragma once

#include <QDialog>
#include <QStringList>

#include <memory>

namespace Ui {
class TfmCompare;
}

// The differences between the module's configuration and the editor's, one line each.
class TfmCompare : public QDialog {
    Q_OBJECT
public:
    TfmCompare(const QStringList &differences, QWidget *parent = nullptr);
    ~TfmCompare() override;

private:
    std::unique_ptr<Ui::TfmCompare> FUi;
};
