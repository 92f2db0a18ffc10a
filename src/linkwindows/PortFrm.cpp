#include "linkwindows/PortFrm.h"

#include "link/SystemPorts.h"

#include <QComboBox>
#include <QGridLayout>
#include <QPushButton>
#include <QRadioButton>
#include <QSettings>
#include <QVBoxLayout>

PortFrm::PortFrm(Link &link, QWidget *parent) : QDialog(parent), m_link(link)
{
    setObjectName(QStringLiteral("Port_Frm"));
    setWindowTitle(QStringLiteral("Sélection Port Com"));
    setModal(true);

    const std::array<QString, 4> captions{QStringLiteral("COM 1"), QStringLiteral("COM2"),
                                          QStringLiteral("COM3"), QStringLiteral("COM4")};
    auto *layout = new QGridLayout;
    for (int i = 0; i < int(Option1.size()); ++i) {
        Option1[i] = new QRadioButton(captions[i], this);
        Option1[i]->setObjectName(QStringLiteral("Option1(%1)").arg(i));
        layout->addWidget(Option1[i], i, 0, 1, 2);
    }
    Option_Autre = new QRadioButton(QStringLiteral("Autre :"), this);
    Option_Autre->setObjectName(QStringLiteral("Option_Autre"));
    Autre_Port = new QComboBox(this);
    Autre_Port->setObjectName(QStringLiteral("Autre_Port"));
    Autre_Port->setEditable(true);
    Autre_Port->setInsertPolicy(QComboBox::NoInsert);
    Autre_Port->setMinimumContentsLength(14);
    for (const DetectedPort &port : detectedPorts())
        addDetectedPort(port.location, port.description, port.manufacturer, port.serialNumber);
    offerLastOtherPort();
    Option_Simul = new QRadioButton(QStringLiteral("ECS simulée"), this);
    Option_Simul->setObjectName(QStringLiteral("Option_Simul"));
    layout->addWidget(Option_Autre, 4, 0);
    layout->addWidget(Autre_Port, 4, 1);
    layout->addWidget(Option_Simul, 5, 0, 1, 2);

    // Typing or picking a port name means choosing it.
    connect(Autre_Port, &QComboBox::editTextChanged, Option_Autre,
            [this] { Option_Autre->setChecked(true); });

    Command1 = new QPushButton(QStringLiteral("CONTINUER"), this);
    Command1->setObjectName(QStringLiteral("Command1"));
    Command1->setAutoDefault(false);
    Command1->setDefault(true);
    connect(Command1, &QPushButton::clicked, this, &PortFrm::onContinue);

    auto *outer = new QVBoxLayout(this);
    outer->addLayout(layout);
    outer->addWidget(Command1, 0, Qt::AlignHCenter);

    setTabOrder(Option1[0], Option1[1]);
    setTabOrder(Option1[1], Option1[2]);
    setTabOrder(Option1[2], Option1[3]);
    setTabOrder(Option1[3], Option_Autre);
    setTabOrder(Option_Autre, Autre_Port);
    setTabOrder(Autre_Port, Option_Simul);
    setTabOrder(Option_Simul, Command1);
}

void PortFrm::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    Option1[0]->setChecked(true);
    Option1[0]->setFocus(Qt::OtherFocusReason);
    m_outcome = PortOutcome::Cancelled;
}

PortChoice PortFrm::choice() const
{
    if (Option_Simul->isChecked())
        return PortChoice::simulated();
    if (Option_Autre->isChecked()) {
        // A listed port shows its description too; its path is kept as the item's data.
        const QString text = Autre_Port->currentText();
        const int listed = Autre_Port->findText(text, Qt::MatchExactly);
        if (listed >= 0 && !Autre_Port->itemData(listed).toString().isEmpty())
            return {PortChoice::Kind::Device, Autre_Port->itemData(listed).toString()};
        return {PortChoice::Kind::Device, text.trimmed()};
    }
    for (int i = 0; i < int(Option1.size()); ++i)
        if (Option1[i]->isChecked())
            return PortChoice::comPort(i + 1);
    return PortChoice::comPort(1);
}

QString PortFrm::describePort(const QString &location, const QString &description,
                              const QString &manufacturer, const QString &serialNumber)
{
    QStringList parts;
    for (const QString &part : {description.trimmed(), manufacturer.trimmed()})
        if (!part.isEmpty() && !parts.contains(part, Qt::CaseInsensitive))
            parts << part;
    if (!serialNumber.trimmed().isEmpty())
        parts << QStringLiteral("n° %1").arg(serialNumber.trimmed());
    if (parts.isEmpty())
        return location;
    return location + QStringLiteral(" — ") + parts.join(QStringLiteral(", "));
}

void PortFrm::addDetectedPort(const QString &location, const QString &description,
                              const QString &manufacturer, const QString &serialNumber)
{
    Autre_Port->addItem(describePort(location, description, manufacturer, serialNumber), location);
}

namespace {

// Where the last port chosen under "Autre :" is kept from one run to the next: torva-pc.ini in the
// account's settings folder.
const QString kSettings = QStringLiteral("torva-pc");
const QString kLastOtherPort = QStringLiteral("port/autre");

} // namespace

void PortFrm::offerLastOtherPort()
{
    const QSettings settings(QSettings::IniFormat, QSettings::UserScope, kSettings, kSettings);
    const QString last = settings.value(kLastOtherPort).toString();
    if (last.isEmpty())
        return;
    // First in the list, described as when it was detected if it is detected now.
    QString shown = last;
    if (const int listed = Autre_Port->findData(last); listed >= 0) {
        shown = Autre_Port->itemText(listed);
        Autre_Port->removeItem(listed);
    }
    Autre_Port->insertItem(0, shown, last);
    Autre_Port->setCurrentIndex(0);
}

void PortFrm::onContinue()
{
    const PortChoice chosen = choice();
    if (Option_Autre->isChecked() && chosen.kind == PortChoice::Kind::Device && !chosen.device.isEmpty())
        QSettings(QSettings::IniFormat, QSettings::UserScope, kSettings, kSettings)
            .setValue(kLastOtherPort, chosen.device);
    m_outcome = m_link.openPort(chosen) ? PortOutcome::Opened : PortOutcome::Failed;
    accept();
}

PortOutcome PortFrm::choose(Link &link, QWidget *parent)
{
    PortFrm window(link, parent);
    window.exec();
    return window.outcome();
}
