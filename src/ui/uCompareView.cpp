#include "ui/uCompareView.h"

#include "ui_uCompareView.h"

TfmCompare::TfmCompare(const QStringList &differences, QWidget *parent)
    : QDialog(parent), FUi(std::make_unique<Ui::TfmCompare>())
{
    FUi->setupUi(this);
    setWindowFlags(windowFlags() & ~Qt::WindowContextHelpButtonHint);
    FUi->lbSummary->setText(
        differences.isEmpty() ? QStringLiteral("Конфигурация совпадает с конфигурацией модуля.")
                              : QStringLiteral("Отличий от конфигурации модуля: ") +
                                    QString::number(differences.size()) +
                                    QStringLiteral(" (значение в модуле → значение в редакторе)"));
    FUi->mmDiff->setPlainText(differences.join(u'\n'));
}

TfmCompare::~TfmCompare() = default;
