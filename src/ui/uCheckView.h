#pragma once

#include "model/uCheck.h"

#include <QDialog>

#include <functional>
#include <memory>

namespace Ui {
class TfmCheck;
}

// What the check of the editor's configuration found, one row per problem: kind, object, what
// is wrong. A double click (or Enter) on a row hands its object to select and closes the window.
class TfmCheck : public QDialog {
    Q_OBJECT
public:
    TfmCheck(const QList<TProblem> &problems, std::function<void(const TObjectRef &)> select,
             QWidget *parent = nullptr);
    ~TfmCheck() override;

private:
    std::unique_ptr<Ui::TfmCheck> FUi;
};
