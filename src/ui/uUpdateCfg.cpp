#include "ui/uUpdateCfg.h"

#include "model/uConfig.h"
#include "storage/uDB.h"
#include "ui/uMessageBoxes.h"
#include "ui/uTuningAccess.h"
#include "ui_uUpdateCfg.h"

#include <QFileDialog>
#include <QFileInfo>

namespace {

const QString Filter = QStringLiteral("Файл конфигурации ЛОРИМ(*.cfg)");

// The path with its extension replaced by ".cfg", or ".cfg" added.
QString WithCfgExtension(const QString &path)
{
    const QFileInfo info(path);
    if (info.suffix().compare(QStringLiteral("cfg"), Qt::CaseInsensitive) == 0)
        return path;
    const QString base =
        info.suffix().isEmpty() ? path : path.left(path.size() - info.suffix().size() - 1);
    return base + QStringLiteral(".cfg");
}

} // namespace

TfmUpdateCfg::TfmUpdateCfg(TMode mode, const TCatalogEntry &entry, const TIniPath &iniPath,
                           TMessageBoxes &boxes, QWidget *parent)
    : TDialogFrame(boxes, parent), FUi(std::make_unique<Ui::TfmUpdateCfg>()), FMode(mode),
      FIniPath(iniPath)
{
    FUi->setupUi(this);
    const QString captions[] = {QStringLiteral("Создание файла конфигурации"),
                                QStringLiteral("Добавление файла конфигурации"),
                                QStringLiteral("Изменение файла конфигурации")};
    setWindowTitle(captions[mode]);
    FUi->edName->setText(entry.Name);
    FUi->edNote->setText(entry.Note);
    FUi->edPath->setText(entry.Path);
    ChooseFile = [this](bool save) {
        QFileDialog dialog(this, QString(), FUi->edPath->text(), Filter);
        dialog.setObjectName(save ? QStringLiteral("sdSave") : QStringLiteral("odOpen"));
        dialog.setDefaultSuffix(QStringLiteral("cfg"));
        dialog.setAcceptMode(save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
        dialog.setFileMode(save ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
        return dialog.exec() == QDialog::Accepted ? dialog.selectedFiles().value(0) : QString();
    };
    connect(FUi->Button1, &QPushButton::clicked, this, &TfmUpdateCfg::Button1Click);
    connect(FUi->Button4, &QPushButton::clicked, this, &TfmUpdateCfg::Button4Click);
    SetUpFrame();
}

TfmUpdateCfg::~TfmUpdateCfg() = default;

TCatalogEntry TfmUpdateCfg::Entry() const
{
    return {FUi->edName->text(), FUi->edNote->text(), FUi->edPath->text()};
}

void TfmUpdateCfg::Button1Click()
{
    const QString chosen = ChooseFile(FMode == Create);
    if (chosen.isEmpty())
        return;
    FUi->edPath->setText(chosen);
    // The save dialog has asked before choosing a file that exists.
    if (FMode == Create && QFileInfo::exists(chosen))
        FReplaceConfirmed = QFileInfo(chosen).absoluteFilePath();
}

// Shows the password the file holds, or the one given here before; only a change the user
// confirms is taken, and only it may touch the file.
void TfmUpdateCfg::Button4Click()
{
    TOptnAccess shown = AccessPassword;
    const QString path = CatalogFilePath(FIniPath, FUi->edPath->text().trimmed());
    if (shown.Password.isEmpty() && !FUi->edPath->text().trimmed().isEmpty() &&
        QFileInfo::exists(path)) {
        TDBConfig db(nullptr, nullptr);
        if (db.Connect(path))
            shown.Password = db.ReadAdminPassword();
    }
    if (EditAccess(shown, Boxes, this))
        AccessPassword = shown;
}

void TfmUpdateCfg::OkClicked()
{
    if (FUi->edPath->text().trimmed().isEmpty()) {
        Boxes.ShowMessage(QStringLiteral("Необходимо указать файл конфигурации!"));
        return;
    }
    AccessPassword.Password = AccessPassword.Password.trimmed();
    if (FMode == Create) {
        FUi->edPath->setText(WithCfgExtension(FUi->edPath->text().trimmed()));
        if (!CreateFile(CatalogFilePath(FIniPath, FUi->edPath->text())))
            return;
    } else if (!AccessPassword.Password.isEmpty() &&
               !StoreAccessPassword(CatalogFilePath(FIniPath, FUi->edPath->text().trimmed()))) {
        Boxes.ShowMessage(QStringLiteral("Не удаётся сохранить настройки доступа"));
        return;
    }
    FinishAccepted();
}

// A fresh configuration (the module and the administrator) saved from the template. An existing
// file is replaced only when the user says so, once (in the save dialog or here), and only by a
// complete new one.
bool TfmUpdateCfg::CreateFile(const QString &path)
{
    if (!QFileInfo::exists(TemplatePath())) {
        Boxes.ShowMessage(QStringLiteral("Не найден файл config.md_"));
        return false;
    }
    if (QFileInfo::exists(path) && QFileInfo(path).absoluteFilePath() != FReplaceConfirmed &&
        !Boxes.AskYesNo(QStringLiteral("Файл ") + path +
                            QStringLiteral(" уже существует. Заменить его?"),
                        QStringLiteral("Внимание")))
        return false;
    TConfig fresh;
    if (!AccessPassword.Password.isEmpty())
        fresh.User(TUser::AdminNumber)->Pswrd1 = AccessPassword.Password;
    switch (SaveConfigFile(fresh, path, TemplatePath(), nullptr, nullptr)) {
    case TSaveResult::Saved:
        return true;
    case TSaveResult::CannotOpen:
    case TSaveResult::NotWritten:
        Boxes.ShowMessage(QStringLiteral("Не удалётся создать файл ") + path);
        return false;
    case TSaveResult::ReadOnly:
        Boxes.ShowMessage(SaveFailure(TSaveResult::ReadOnly, path));
        return false;
    default:
        Boxes.ShowMessage(QStringLiteral("Не удаётся создать файл ") + path);
        return false;
    }
}

// Sets only the administrator's main password in the file: the rest stays as it is.
bool TfmUpdateCfg::StoreAccessPassword(const QString &path)
{
    TDBConfig db(nullptr, nullptr);
    return db.Connect(path) && db.SaveAdminPassword(AccessPassword.Password);
}

bool EditCatalogEntry(TfmUpdateCfg::TMode mode, TCatalogEntry &entry, const TIniPath &iniPath,
                      TMessageBoxes &boxes, QWidget *parent)
{
    if (mode == TfmUpdateCfg::Create && !QFileInfo::exists(TemplatePath())) {
        boxes.ShowMessage(QStringLiteral("Не найден файл config.md_!"));
        return false;
    }
    TfmUpdateCfg dialog(mode, entry, iniPath, boxes, parent);
    dialog.exec();
    if (dialog.IsAccepted())
        entry = dialog.Entry();
    return dialog.IsAccepted();
}
