#pragma once

#include <QDialog>
#include <QStringList>

#include <memory>

namespace Ui {
class TfmCompare;
}

// What the compare window says about the two configurations it compares; the module's and the
// editor's unless told otherwise.
struct TCompareSides {
    QString Title = QStringLiteral("Сравнение с модулем");
    QString Same = QStringLiteral("Конфигурация совпадает с конфигурацией модуля.");
    QString Count = QStringLiteral("Отличий от конфигурации модуля: ");
    QString Order = QStringLiteral("значение в модуле → значение в редакторе");
};

// The differences between two configurations, one line each.
class TfmCompare : public QDialog {
    Q_OBJECT
public:
    explicit TfmCompare(const QStringList &differences, const TCompareSides &sides = {},
                        QWidget *parent = nullptr);
    ~TfmCompare() override;

private:
    std::unique_ptr<Ui::TfmCompare> FUi;
};
