#include "diag/DiagFrm.h"

#include "config/Messages.h"
#include "diagreads/Measurements.h"
#include "link/Link.h"
#include "seams/Prompts.h"

#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QShowEvent>
#include <QTimer>

#include <algorithm>
#include <cmath>
#include <utility>

namespace {

// Geometry in pixels (15 twips a pixel).
constexpr int kFrameWidth = 360;
constexpr int kInfoFrameHeight = 196;
constexpr int kInfoRowPitch = 21;
constexpr int kScaleWidth = 200;      // 3000 twips
constexpr int kScaleHeight = 10;      // 156 twips
constexpr int kBarDesignedWidth = 67; // 1008 twips
constexpr int kLoopRowPitch = 19;     // 288 twips
constexpr int kWindowWidth = 842;
constexpr int kWindowHeight = 410;

// The label of Label1 that shows each read.
constexpr std::pair<DiagRead, int> kReadLabels[] = {
    {DiagRead::PanelVersion, 3},
    {DiagRead::PanelSerial, 0},
    {DiagRead::PanelServiceVolts, 13},
    {DiagRead::PanelBatteryVolts, 14},
    {DiagRead::PanelChargerVolts, 15},
    {DiagRead::CardPresent, 8},
    {DiagRead::CardSerial, 7},
    {DiagRead::CardVersion, 4},
    {DiagRead::CardBatteryVolts, 17},
    {DiagRead::CardChargerVolts, 18},
    {DiagRead::CardAesVolts, 5},
    {DiagRead::CardSounderLine1Amperes, 2},
    {DiagRead::CardSounderLine2Amperes, 6},
};

std::size_t labelOf(DiagRead read)
{
    for (const auto &[shown, label] : kReadLabels)
        if (shown == read)
            return std::size_t(label);
    return 1; // the hidden label: every read has one above
}

QString arrayName(const char *name, int index)
{
    return QStringLiteral("%1(%2)").arg(QLatin1String(name)).arg(index);
}

// The vu-meter bar: red at or above `high`, yellow at or below `low`, green between; its width
// is value / fullScale of the scale's width.
QColor vuMeterColor(double value, double high, double low)
{
    if (value >= high)
        return QColor(255, 0, 0);
    if (value <= low)
        return QColor(255, 255, 0);
    return QColor(0, 255, 0);
}

int vuMeterWidth(double value, double fullScale, int scaleWidth)
{
    const float width = float(value / fullScale * scaleWidth);
    return std::clamp(int(std::lround(width)), 0, scaleWidth);
}

void setFill(QFrame *bar, const QColor &color)
{
    QPalette palette = bar->palette();
    palette.setColor(QPalette::Window, color);
    bar->setPalette(palette);
}

} // namespace

DiagFrm::DiagFrm(Link &link, Session &session, Prompts &prompts, bool cardDeclared, QWidget *parent)
    : QDialog(parent), m_link(link), m_prompts(prompts), m_reader(link, session, cardDeclared)
{
    setObjectName(QStringLiteral("Diag_Frm"));
    setWindowTitle(QStringLiteral("TORVA DIAGNOSTIC"));
    buildControls();

    Timer1 = new QTimer(this);
    Timer1->setObjectName(QStringLiteral("Timer1"));
    Timer1->setInterval(kCycleInterval);
    Timer1->setTimerType(Qt::PreciseTimer);
    connect(Timer1, &QTimer::timeout, this, &DiagFrm::onTick);
    connect(Fermer, &QPushButton::clicked, this, &DiagFrm::requestClose);
    connect(Command2, &QPushButton::clicked, this, &DiagFrm::onWriteSerial);
    // "NS UGA" has no action.
}

DiagFrm::~DiagFrm()
{
    // A window destroyed without its stop (its owner went away) still leaves the link as found.
    if (!m_stopped) {
        Timer1->stop();
        holdHourglass(false);
    }
}

void DiagFrm::run(Link &link, Session &session, Prompts &prompts, bool cardDeclared, QWidget *parent)
{
    DiagFrm window(link, session, prompts, cardDeclared, parent);
    window.holdHourglass(true);
    window.exec();
}

void DiagFrm::buildControls()
{
    setFixedSize(kWindowWidth, kWindowHeight);

    auto makeLabel = [this](QWidget *frame, int index, const QString &text, int row) {
        auto *label = new QLabel(text, frame);
        label->setObjectName(arrayName("Label1", index));
        label->setGeometry(12, 24 + row * kInfoRowPitch, kFrameWidth - 24, 18);
        Label1[std::size_t(index)] = label;
        return label;
    };

    Frame1 = new QGroupBox(QStringLiteral("CARTE ECS"), this);
    Frame1->setObjectName(QStringLiteral("Frame1"));
    Frame1->setToolTip(QStringLiteral("Informations sur la carte ECS"));
    Frame1->setGeometry(8, 8, kFrameWidth, kInfoFrameHeight);
    makeLabel(Frame1, 3, QStringLiteral("Version du programme"), 0);
    makeLabel(Frame1, 0, QStringLiteral("N° de Série"), 1);
    makeLabel(Frame1, 13, QStringLiteral("Tension de service"), 2);
    makeLabel(Frame1, 14, QStringLiteral("Tension de Batterie"), 3);
    makeLabel(Frame1, 15, QStringLiteral("Tension du chargeur"), 4);

    Frame2 = new QGroupBox(QStringLiteral("CARTE UGA/CMSI"), this);
    Frame2->setObjectName(QStringLiteral("Frame2"));
    Frame2->setToolTip(QStringLiteral("Informations sur la carte UGA/CMSI"));
    Frame2->setGeometry(16 + kFrameWidth, 8, kFrameWidth, kInfoFrameHeight);
    makeLabel(Frame2, 8, QStringLiteral("Carte Présente"), 0);
    makeLabel(Frame2, 7, QStringLiteral("N° de Série"), 1);
    makeLabel(Frame2, 4, QStringLiteral("Version du programme"), 2);
    makeLabel(Frame2, 17, QStringLiteral("Tension de Batterie"), 3);
    makeLabel(Frame2, 18, QStringLiteral("Tension du chargeur"), 4);
    // Label1(1) lies under Label1(5) and is never written: Label1(5) covers it, so it is kept
    // out of sight rather than drawn beneath the measured text.
    makeLabel(Frame2, 1, QStringLiteral("Tension AES"), 5)->hide();
    makeLabel(Frame2, 5, QStringLiteral("Tension AES"), 5);
    makeLabel(Frame2, 2, QStringLiteral("Charge ligne diffuseurs 1"), 6);
    makeLabel(Frame2, 6, QStringLiteral("Charge ligne diffuseurs 2"), 7);

    Frame4 = new QGroupBox(QStringLiteral("CHARGE DES BOUCLES"), this);
    Frame4->setObjectName(QStringLiteral("Frame4"));
    Frame4->setGeometry(16 + kFrameWidth, 16 + kInfoFrameHeight, kFrameWidth, kLoops * kLoopRowPitch + 36);
    for (int k = 0; k < kLoops; ++k) {
        const int top = 24 + k * kLoopRowPitch;
        auto *name = new QLabel(QStringLiteral("Boucle %1").arg(k + 1), Frame4);
        name->setObjectName(arrayName("Label2", k));
        name->setGeometry(10, top, 60, 16);
        Label2[std::size_t(k)] = name;

        auto *scale = new QFrame(Frame4);
        scale->setObjectName(arrayName("Cadre_Vu", k));
        scale->setFrameShape(QFrame::Box);
        scale->setGeometry(74, top + 3, kScaleWidth, kScaleHeight);
        Cadre_Vu[std::size_t(k)] = scale;

        auto *bar = new QFrame(Frame4);
        bar->setObjectName(arrayName("Vu_Metre", k));
        bar->setAutoFillBackground(true);
        setFill(bar, QColor(255, 0, 0));
        bar->setGeometry(74, top + 3, kBarDesignedWidth, kScaleHeight);
        bar->raise();
        Vu_Metre[std::size_t(k)] = bar;

        auto *value = new QLabel(QStringLiteral("mA"), Frame4);
        value->setObjectName(arrayName("Ib", k));
        value->setGeometry(74 + kScaleWidth + 8, top, kFrameWidth - kScaleWidth - 90, 16);
        Ib[std::size_t(k)] = value;
    }

    Fermer = new QPushButton(QStringLiteral("FERMER"), this);
    Fermer->setObjectName(QStringLiteral("Fermer"));
    Fermer->setGeometry(8, kWindowHeight - 42, 110, 32);
    Fermer->setAutoDefault(false);

    const int right = 24 + 2 * kFrameWidth;
    const int fieldWidth = kWindowWidth - right - 8;
    auto makeField = [this, right, fieldWidth](const char *name, int row) {
        auto *field = new QLineEdit(QLatin1String(name), this);
        field->setObjectName(QLatin1String(name));
        field->setGeometry(right, 16 + row * 28, fieldWidth, 22);
        return field;
    };
    Text1 = makeField("Text1", 0);
    Text2 = makeField("Text2", 1);
    Text3 = makeField("Text3", 2);

    Command2 = new QPushButton(QStringLiteral("NS ECS"), this);
    Command2->setObjectName(QStringLiteral("Command2"));
    Command2->setGeometry(right, 104, fieldWidth, 26);
    Command2->setAutoDefault(false);
    Command3 = new QPushButton(QStringLiteral("NS UGA"), this);
    Command3->setObjectName(QStringLiteral("Command3"));
    Command3->setGeometry(right, 136, fieldWidth, 26);
    Command3->setAutoDefault(false);
}

void DiagFrm::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    // The opening reads wait for replies, so they run from the event loop, not from inside
    // the show.
    if (!m_activationQueued) {
        m_activationQueued = true;
        QTimer::singleShot(0, this, &DiagFrm::activate);
    }
}

void DiagFrm::activate()
{
    holdHourglass(true);
    Fermer->setEnabled(false);
    CloseRequested = false;
    m_diagnosticMode.emplace(m_link);
    m_exchanging = true;
    // The diagnostic has no steps of its own: its exchanges are logged under the window's title.
    m_link.setStep(windowTitle());

    if (!m_link.wakeUp()) {
        stop();
        return;
    }
    for (QFrame *bar : Vu_Metre)
        bar->resize(0, bar->height());

    const DiagReader::Opening opening = m_reader.readOpening(showingEach());
    if (opening.outcome != DiagReader::Outcome::Read) {
        stopOnFailure(opening.outcome);
        return;
    }
    Frame2->setVisible(opening.cardShown);

    m_exchanging = false;
    Fermer->setEnabled(true);
    Timer1->start();
    holdHourglass(false);
    afterExchanges();
}

void DiagFrm::onTick()
{
    // Cycles never overlap: a tick that falls due while the panel is busy is remembered and
    // the next cycle starts as soon as the running work ends. The cycle itself runs outside
    // this handler, because Qt does not fire a timer again while its own handler still runs:
    // a cycle longer than the interval would otherwise always wait for a later tick.
    if (m_stopped || m_cycleQueued)
        return;
    if (m_exchanging) {
        m_tickMissed = true;
        return;
    }
    m_cycleQueued = true;
    QMetaObject::invokeMethod(this, &DiagFrm::measure, Qt::QueuedConnection);
}

void DiagFrm::measure()
{
    m_cycleQueued = false;
    if (m_stopped)
        return;
    if (m_exchanging) {
        m_tickMissed = true;
        return;
    }
    m_exchanging = true;
    m_tickMissed = false;
    const DiagReader::Result cycle = m_reader.readCycle(showingEach());
    m_exchanging = false;
    if (cycle.outcome != DiagReader::Outcome::Read) {
        stopOnFailure(cycle.outcome);
        return;
    }
    // A serial number asked for during the cycle goes out before the diagnostic can end.
    writePendingSerial();
    if (CloseRequested) {
        stop();
        return;
    }
    afterExchanges();
}

DiagReader::ShowFn DiagFrm::showingEach()
{
    return [this](const DiagReader::Shown &shown) {
        if (shown.loop < 0) {
            Label1[labelOf(shown.read)]->setText(shown.text);
            return;
        }
        DrawVuMeter(shown.loop, m_reader.LoopLoads[std::size_t(shown.loop)], Measurements::kLoopHigh,
                    Measurements::kLoopLow, Measurements::kLoopFullScale);
        Ib[std::size_t(shown.loop)]->setText(shown.text);
    };
}

void DiagFrm::DrawVuMeter(int k, double value, double high, double low, double fullScale)
{
    QFrame *bar = Vu_Metre[std::size_t(k)];
    setFill(bar, vuMeterColor(value, high, low));
    bar->resize(vuMeterWidth(value, fullScale, Cadre_Vu[std::size_t(k)]->width()), bar->height());
}

void DiagFrm::requestClose()
{
    CloseRequested = true;
    holdHourglass(true);
}

void DiagFrm::reject()
{
    if (Fermer->isEnabled() && !m_stopped)
        requestClose();
}

void DiagFrm::onWriteSerial()
{
    const auto serial = SerialNumber::fromFields(Text1->text(), Text2->text(), Text3->text());
    if (!serial) {
        m_prompts.message(QStringLiteral("Numéro de série invalide !"), QStringLiteral("ERREUR DE SAISIE"),
                          Prompts::Icon::Warning);
        return;
    }
    // While the panel is busy the write waits for the end of the running work.
    m_pendingSerial = serial;
    if (!m_exchanging && !m_stopped) {
        writePendingSerial();
        afterExchanges();
    }
}

void DiagFrm::writePendingSerial()
{
    if (!m_pendingSerial)
        return;
    const SerialNumber serial = *std::exchange(m_pendingSerial, std::nullopt);
    m_exchanging = true;
    m_reader.writePanelSerial(serial);
    m_exchanging = false;
}

void DiagFrm::afterExchanges()
{
    if (m_pendingSerial && !m_stopped)
        writePendingSerial();
    if (m_tickMissed && !m_stopped) {
        m_tickMissed = false;
        onTick();
    }
}

void DiagFrm::stop()
{
    if (m_stopped)
        return;
    m_stopped = true;
    m_exchanging = false;
    m_pendingSerial.reset();
    Timer1->stop();
    m_diagnosticMode.reset();
    holdHourglass(false);
    done(QDialog::Rejected);
    emit diagnosticEnded();
}

void DiagFrm::stopOnFailure(DiagReader::Outcome outcome)
{
    // The window closes itself: a panel that did not answer was reported by the transaction and
    // an abandoned diagnostic says nothing, but a reply refused here (the wrong number of bytes,
    // a reading out of its range) must say why the window went away.
    stop();
    if (outcome == DiagReader::Outcome::Refused)
        m_prompts.message(Messages::transferError(), Messages::transferErrorTitle(), Prompts::Icon::Warning);
}

void DiagFrm::holdHourglass(bool hold)
{
    if (hold == m_hourglassHeld)
        return;
    m_hourglassHeld = hold;
    m_prompts.setBusy(hold);
}
