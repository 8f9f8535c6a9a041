#include "ui/uCheckView.h"

#include "ui_uCheckView.h"

#include <QStyle>

namespace {

QString Capitalized(QString text)
{
    if (!text.isEmpty())
        text[0] = text[0].toUpper();
    return text;
}

} // namespace

TfmCheck::TfmCheck(const QList<TProblem> &problems, std::function<void(const TObjectRef &)> select,
                   QWidget *parent)
    : QDialog(parent), FUi(std::make_unique<Ui::TfmCheck>())
{
    FUi->setupUi(this);
    setWindowFlags(windowFlags() & ~Qt::WindowContextHelpButtonHint);
    FUi->lbSummary->setText(ProblemCounts(problems) +
                            (problems.isEmpty() ? QStringLiteral(".")
                                                : QStringLiteral(". Двойной щелчок по строке "
                                                                 "выделяет объект в редакторе.")));
    const QIcon error = style()->standardIcon(QStyle::SP_MessageBoxCritical);
    const QIcon warning = style()->standardIcon(QStyle::SP_MessageBoxWarning);
    for (const TProblem &p : problems) {
        auto *row = new QTreeWidgetItem(
            FUi->lvProblems, {Capitalized(SeverityName(p.Severity)), p.ObjectName, p.Text});
        row->setIcon(0, p.Severity == TSeverity::Error ? error : warning);
        row->setToolTip(2, p.Text); // should the column be too narrow for it
    }
    // The columns but the last fit their texts, with room between them.
    QTreeWidget *list = FUi->lvProblems;
    for (int c = 0; c < list->columnCount() - 1; ++c) {
        list->resizeColumnToContents(c);
        list->setColumnWidth(c, list->columnWidth(c) + list->fontMetrics().averageCharWidth() * 2);
    }
    connect(FUi->lvProblems, &QTreeWidget::itemActivated, this,
            [this, problems, select = std::move(select)](QTreeWidgetItem *row) {
                select(problems[FUi->lvProblems->indexOfTopLevelItem(row)].Object);
                accept();
            });
}

TfmCheck::~TfmCheck() = default;
