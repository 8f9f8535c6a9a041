#include "ui/uTuningLink.h"

#include "model/uNaming.h"
#include "ui/uMessageBoxes.h"
#include "ui_uTuningLink.h"

#include <QRegularExpression>
#include <QRegularExpressionValidator>
#include <QSerialPortInfo>

namespace {

// The link always runs at this speed, whatever speed is stored.
const QString LinkSpeed = QStringLiteral("57600");

// Four dotted octets of 0..255, zero-padded ones ("010") included.
const QRegularExpression &IPv4Pattern()
{
    static const QRegularExpression pattern(QRegularExpression::anchoredPattern(
        QStringLiteral(R"((%1\.){3}%1)")
            .arg(QStringLiteral("(25[0-5]|2[0-4][0-9]|[01]?[0-9]?[0-9])"))));
    return pattern;
}

// The address with each octet read as a decimal number and written without padding; empty when
// the text is not a whole IPv4 address. The link compares the sender's address text with it,
// and an address parser would read a padded "010" as octal.
QString NormalIPv4(const QString &text)
{
    const QString trimmed = TrimControls(text);
    if (!IPv4Pattern().match(trimmed).hasMatch())
        return {};
    QStringList octets = trimmed.split(u'.');
    for (QString &octet : octets)
        octet = QString::number(octet.toInt());
    return octets.join(u'.');
}

// The serial ports present on the machine, named as the link opens them.
QStringList SerialPortNames()
{
    QStringList names;
    for (const QSerialPortInfo &info : QSerialPortInfo::availablePorts()) {
#ifdef Q_OS_WIN
        names << info.portName();
#else
        names << info.systemLocation();
#endif
    }
    return names;
}

} // namespace

TfmTuningLink::TfmTuningLink(const TOptnLink &link, const TIniPath &ini, const QStringList &ports,
                             TMessageBoxes &boxes, QWidget *parent)
    : TDialogFrame(boxes, parent), FUi(std::make_unique<Ui::TfmTuningLink>()), FLink(link),
      FIni(ini)
{
    FUi->setupUi(this);
    FillPorts(ports);
    FUi->cbSpeed->setCurrentText(LinkSpeed);
    FUi->edIP->setValidator(new QRegularExpressionValidator(IPv4Pattern(), FUi->edIP));
    FUi->edIP->setText(FLink.IP);
    FUi->sedPort->setValue(FLink.Port);
    (FLink.Type == 1 ? FUi->rbUDP : FUi->rbCOM)->setChecked(true);
    // The two groups share one place; the hidden one keeps its size so the dialog keeps its own.
    for (QWidget *group : {FUi->gbCOM, FUi->gbUDP}) {
        QSizePolicy policy = group->sizePolicy();
        policy.setRetainSizeWhenHidden(true);
        group->setSizePolicy(policy);
    }
    ShowLinkType();
    connect(FUi->rbUDP, &QRadioButton::toggled, this, &TfmTuningLink::ShowLinkType);
    SetUpFrame();
}

TfmTuningLink::~TfmTuningLink() = default;

void TfmTuningLink::FillPorts(const QStringList &ports)
{
    FUi->cbCOM->addItems(ports);
    // A stored port the machine does not list (a pseudo-terminal, an unplugged adapter) stays
    // selected, so that saving other settings never changes or empties it.
    if (!FLink.COMPort.isEmpty() && !ports.contains(FLink.COMPort))
        FUi->cbCOM->addItem(FLink.COMPort);
    const int index = FUi->cbCOM->findText(FLink.COMPort);
    FUi->cbCOM->setCurrentIndex(index >= 0 ? index : 0);
}

void TfmTuningLink::ShowLinkType()
{
    const bool udp = FUi->rbUDP->isChecked();
    FUi->gbCOM->setVisible(!udp);
    FUi->gbUDP->setVisible(udp);
}

void TfmTuningLink::OkClicked()
{
    TOptnLink edited;
    edited.Type = FUi->rbCOM->isChecked() ? 0 : 1;
    edited.COMPort = FUi->cbCOM->currentText();
    edited.COMSpeed = StrToIntDef(FUi->cbSpeed->currentText(), 0);
    edited.IP = FUi->edIP->text();
    edited.Port = FUi->sedPort->value();
    if (edited.Type == 1) {
        edited.IP = NormalIPv4(edited.IP);
        if (edited.IP.isEmpty()) {
            Boxes.ShowMessage(QStringLiteral("Неверный IP-адрес"));
            FUi->edIP->setFocus();
            return;
        }
    }
    FinishEdit(edited != FLink, [this, &edited] {
        FLink = edited;
        SaveLinkSettings(FIni, FLink, Boxes);
    });
}

bool EditLinkSettings(TOptnLink &link, const TIniPath &ini, TMessageBoxes &boxes, QWidget *parent)
{
    TfmTuningLink dialog(link, ini, SerialPortNames(), boxes, parent);
    dialog.exec();
    if (dialog.IsAccepted())
        link = dialog.Link();
    return dialog.IsAccepted();
}
