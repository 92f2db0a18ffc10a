#include "linkwindows/WaitFrm.h"

#include "link/Link.h"

#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QProgressBar>
#include <QTimer>
#include <QVBoxLayout>

#include <chrono>

namespace {

constexpr std::chrono::milliseconds kLampTime{300};
constexpr QSize kLampSize{16, 12};

QFrame *makeLamp(QWidget *parent, const char *name, const QColor &colour)
{
    auto *lamp = new QFrame(parent);
    lamp->setObjectName(QLatin1String(name));
    lamp->setFixedSize(kLampSize);
    lamp->setFrameShape(QFrame::Box);
    lamp->setAutoFillBackground(true);
    QPalette palette = lamp->palette();
    palette.setColor(QPalette::Window, colour);
    lamp->setPalette(palette);
    lamp->hide();
    return lamp;
}

QTimer *makeLampTimer(QObject *parent, const char *name, QWidget *lamp)
{
    auto *timer = new QTimer(parent);
    timer->setObjectName(QLatin1String(name));
    timer->setInterval(kLampTime);
    QObject::connect(timer, &QTimer::timeout, lamp, &QWidget::hide);
    timer->start();
    return timer;
}

// A timer that is already enabled keeps its rhythm, as a designed timer does.
void enable(QTimer *timer)
{
    if (!timer->isActive())
        timer->start();
}

} // namespace

WaitFrm::WaitFrm(Link &link, QWidget *parent) : QWidget(parent, Qt::Window)
{
    setObjectName(QStringLiteral("waitfrm"));
    setWindowTitle(QStringLiteral("TORVA"));
    setWindowModality(Qt::NonModal);

    Label1 = new QLabel(QStringLiteral("RECEPTION EN COURS..."), this);
    Label1->setObjectName(QStringLiteral("Label1"));
    Label1->setAlignment(Qt::AlignCenter);
    QFont title = Label1->font();
    title.setBold(true);
    Label1->setFont(title);

    Label2 = new QLabel(this);
    Label2->setObjectName(QStringLiteral("Label2"));
    Label2->setAlignment(Qt::AlignCenter);

    ProgressBar1 = new QProgressBar(this);
    ProgressBar1->setObjectName(QStringLiteral("ProgressBar1"));
    ProgressBar1->setRange(0, 100);
    ProgressBar1->setValue(0);
    ProgressBar1->setTextVisible(false);

    Shape1 = makeLamp(this, "Shape1", QColor(255, 0, 0));
    Shape2 = makeLamp(this, "Shape2", QColor(0, 192, 0));
    Timer1 = makeLampTimer(this, "Timer1", Shape1);
    Timer2 = makeLampTimer(this, "Timer2", Shape2);

    auto *lamps = new QHBoxLayout;
    lamps->addStretch();
    lamps->addWidget(new QLabel(QStringLiteral("TX"), this));
    lamps->addWidget(Shape1);
    lamps->addSpacing(24);
    lamps->addWidget(new QLabel(QStringLiteral("RX"), this));
    lamps->addWidget(Shape2);
    lamps->addStretch();
    // Hidden lamps keep their place, so the row does not jump as they blink.
    for (QFrame *lamp : {Shape1, Shape2}) {
        QSizePolicy policy = lamp->sizePolicy();
        policy.setRetainSizeWhenHidden(true);
        lamp->setSizePolicy(policy);
    }

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(Label1);
    layout->addWidget(Label2);
    layout->addWidget(ProgressBar1);
    layout->addLayout(lamps);
    setFixedSize(360, 150);

    connect(&link, &Link::requestSent, this, [this] {
        Shape1->show();
        enable(Timer2);
    });
    connect(&link, &Link::replyStarted, Shape1, &QWidget::hide);
    connect(&link, &Link::dataByteReceived, this, &WaitFrm::stepProgress);
    connect(&link, &Link::replyAccepted, this, [this] {
        Shape2->show();
        enable(Timer2);
    });
    connect(&link, &Link::transactionFailed, this, [this] {
        Timer1->stop();
        Timer2->stop();
    });
}

void WaitFrm::stepProgress()
{
    // The procedures size the bar for the replies they expect; extra bytes leave it full.
    if (ProgressBar1->value() < ProgressBar1->maximum())
        ProgressBar1->setValue(ProgressBar1->value() + 1);
}

void WaitFrm::setTitle(const QString &title) { Label1->setText(title); }

void WaitFrm::setStep(const QString &step) { Label2->setText(step); }

void WaitFrm::setMaximum(int maximum) { ProgressBar1->setMaximum(maximum); }

void WaitFrm::setValue(int value) { ProgressBar1->setValue(value); }
