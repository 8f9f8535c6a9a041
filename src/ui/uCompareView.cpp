#include "ui/uCompareView.h"

#include "ui_uCompareView.h"

TfmCompare::TfmCompare(const QStringList &differences, const TCompareSides &sides, QWidget *parent)
    : QDialog(parent), FUi(std::make_unique<Ui::TfmCompare>())
{
    FUi->setupUi(this);
    setWindowFlags(windowFlags() & ~Qt::WindowContextHelpButtonHint);
    setWindowTitle(sides.Title);
    FUi->lbSummary->setText(differences.isEmpty()
                                ? sides.Same
                                : sides.Count + QString::number(differences.size()) +
                                      QStringLiteral(" (") + sides.Order + u')');
    FUi->mmDiff->setPlainText(differences.join(u'\n'));
}

TfmCompare::~TfmCompare() = default;
