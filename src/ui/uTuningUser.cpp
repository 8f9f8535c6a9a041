#include "ui/uTuningUser.h"

#include "model/uConfig.h"
#include "model/uNaming.h"
#include "ui/uMessageBoxes.h"
#include "ui/uTuningPart.h"
#include "ui/uUiUtil.h"
#include "ui_uTuningUser.h"

#include <QRegularExpression>
#include <QRegularExpressionValidator>
#include <QSignalBlocker>

#include <tuple>

namespace {

// A password box that takes at most the given number of decimal digits, pasted or dropped text
// included. The password shown (a new user's default) is replaced by one typed.
void SetUpPassword(QLineEdit *edit, int digits, const QString &password)
{
    edit->setValidator(new QRegularExpressionValidator(
        QRegularExpression(QStringLiteral("[0-9]{0,%1}").arg(digits)), edit));
    edit->setText(password);
    SelectAllOnFocus(edit);
}

bool SameSettings(const TUser &a, const TUser &b)
{
    return std::tie(a.Type, a.Part1, a.Part2, a.Pswrd1, a.Pswrd2) ==
           std::tie(b.Type, b.Part1, b.Part2, b.Pswrd1, b.Pswrd2);
}

} // namespace

TfmTuningUser::TfmTuningUser(const TConfig &config, bool realTime, int number, TUser &user,
                             TMessageBoxes &boxes, QWidget *parent)
    : TDialogFrame(boxes, parent), FUi(std::make_unique<Ui::TfmTuningUser>()), FConfig(config),
      FUser(user), FNumber(number), FExists(config.User(number) != nullptr)
{
    FUi->setupUi(this);
    QStringList numbers;
    const int index = config.FillFreeUsers(numbers, number);
    FUi->cbNum->addItems(numbers);
    FUi->cbNum->setCurrentIndex(index);
    // The main password travels as four digits; every value of eight digits fits the 28 bits
    // the module keeps of the silent-alarm one.
    SetUpPassword(FUi->edPwd1, 4, FUser.Pswrd1);
    SetUpPassword(FUi->edPwd2, 8, FUser.Pswrd2);
    ShowTypeAndPartitions();
    NumberChanged();
    FUi->cbNum->setEnabled(number != TUser::AdminNumber && !(realTime && FExists));
    connect(FUi->cbNum, &QComboBox::currentIndexChanged, this, &TfmTuningUser::NumberChanged);
    connect(FUi->cbPart1, &QComboBox::currentIndexChanged, this, &TfmTuningUser::MainPartChanged);
    SetUpFrame();
}

TfmTuningUser::~TfmTuningUser() = default;

// The user's own type and partitions, as the dialog opened.
void TfmTuningUser::ShowTypeAndPartitions()
{
    const QSignalBlocker blocker(FUi->cbPart1);
    FUi->cbType->clear();
    FUi->cbType->addItems(
        {QString::fromUtf16(UserTypeNames[0]), QString::fromUtf16(UserTypeNames[1])});
    SelectOrShowName(FUi->cbType, static_cast<int>(FUser.Type), FUser.TypeName());
    const auto part1 = static_cast<std::uint8_t>(FUser.Part1);
    FUi->cbPart1->setCurrentIndex(FillPartBox(FUi->cbPart1, FConfig, part1));
    const auto part2 = static_cast<std::uint8_t>(FUser.Part2);
    FUi->cbPart2->setCurrentIndex(FillPartBox(FUi->cbPart2, FConfig, part2));
    RemoveAnyFromPartBox(FUi->cbPart2);
    MainPartChanged();
}

void TfmTuningUser::ShowAdministrator()
{
    const QSignalBlocker blocker(FUi->cbPart1);
    if (FUi->cbType->count() <= static_cast<int>(TUser::TypeAdmin))
        FUi->cbType->addItem(QString::fromUtf16(UserTypeNames[TUser::TypeAdmin]));
    FUi->cbType->setCurrentIndex(TUser::TypeAdmin);
    const QString any = NumToName(255);
    if (FUi->cbPart1->findText(any) < 0)
        FUi->cbPart1->insertItem(FUi->cbPart1->findText(NumToName(0)), any);
    FUi->cbPart1->setCurrentIndex(FUi->cbPart1->findText(any));
    MainPartChanged();
}

// Number 111 is the administrator's, whichever number the dialog was opened for: its type and
// partition are fixed, and it needs a password.
void TfmTuningUser::NumberChanged()
{
    const bool admin = IsAdministrator();
    if (admin)
        ShowAdministrator();
    else if (FUi->cbType->count() > static_cast<int>(TUser::TypeAdmin))
        ShowTypeAndPartitions();
    FUi->cbType->setEnabled(!admin);
    FUi->gbPart->setEnabled(!admin);
}

bool TfmTuningUser::IsAdministrator() const { return NumberIn(FUi->cbNum) == TUser::AdminNumber; }

// The additional partition counts only beside one main partition, and is never that one.
void TfmTuningUser::MainPartChanged()
{
    const std::uint8_t main = PartOfBox(FUi->cbPart1);
    const bool single = main != 0 && main != 255;
    FUi->cbPart2->setEnabled(single);
    if (!single)
        return;
    const int same = FUi->cbPart2->findText(FUi->cbPart1->currentText());
    if (same < 0)
        return;
    const bool selected = FUi->cbPart2->currentIndex() == same;
    FUi->cbPart2->removeItem(same);
    // Rather than whichever neighbour the box would pick, the additional partition becomes
    // "Нет" in view, and OK takes it as a change to confirm.
    if (selected)
        FUi->cbPart2->setCurrentIndex(FUi->cbPart2->findText(NumToName(0)));
}

void TfmTuningUser::OkClicked()
{
    int number = 0;
    if (!TakeOfferedNumber(FUi->cbNum, number, Boxes))
        return;
    const TUser edited(static_cast<unsigned>(PickedOr(FUi->cbType, static_cast<int>(FUser.Type))),
                       PartOfBox(FUi->cbPart1), PartOfBox(FUi->cbPart2), FUi->edPwd1->text(),
                       FUi->edPwd2->text());
    // An empty administrator's password would lock the installer out of the module.
    if (number == TUser::AdminNumber && edited.Pswrd1.isEmpty()) {
        Boxes.ShowMessage(QStringLiteral("Пароль не может быть пустым"));
        FUi->edPwd1->setFocus();
        return;
    }
    const auto store = [this, number, &edited] {
        FNumber = number;
        FUser.Assign(edited);
    };
    if (FExists) {
        FinishEdit(number != FNumber || !SameSettings(edited, FUser), store);
        return;
    }
    store();
    FinishAccepted();
}

bool EditUser(const TConfig &config, bool realTime, int &number, TUser &user, TMessageBoxes &boxes,
              QWidget *parent)
{
    TfmTuningUser dialog(config, realTime, number, user, boxes, parent);
    dialog.exec();
    if (dialog.IsAccepted())
        number = dialog.Number();
    return dialog.IsAccepted();
}
