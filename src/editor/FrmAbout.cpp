#include "editor/FrmAbout.h"

#include <QFont>
#include <QLabel>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>
#include <QPushButton>

namespace {

constexpr int kPictureSize = 64;

// The program's emblem: the front of a fire panel with its alarm lamp lit and a flame above.
QPixmap emblem()
{
    QPixmap picture(kPictureSize, kPictureSize);
    picture.fill(Qt::transparent);
    QPainter painter(&picture);
    painter.setRenderHint(QPainter::Antialiasing);

    painter.setPen(QPen(QColor(60, 60, 60), 2));
    painter.setBrush(QColor(225, 225, 220));
    painter.drawRoundedRect(QRectF(6, 26, 52, 34), 4, 4);

    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(40, 40, 40));
    painter.drawRect(QRectF(12, 32, 28, 10));   // the panel's display
    painter.setBrush(QColor(220, 0, 0));
    painter.drawEllipse(QPointF(49, 37), 4, 4);   // alarm lamp
    painter.setBrush(QColor(0, 170, 0));
    painter.drawEllipse(QPointF(49, 50), 3, 3);   // power lamp
    for (int i = 0; i < 4; ++i) {
        painter.setBrush(QColor(150, 150, 150));
        painter.drawRect(QRectF(12 + i * 7, 48, 5, 5));   // keys
    }

    QPainterPath flame;
    flame.moveTo(32, 2);
    flame.cubicTo(44, 12, 42, 22, 32, 24);
    flame.cubicTo(22, 22, 20, 12, 32, 2);
    painter.setBrush(QColor(240, 90, 0));
    painter.drawPath(flame);
    QPainterPath core;
    core.moveTo(32, 10);
    core.cubicTo(38, 16, 37, 21, 32, 22);
    core.cubicTo(27, 21, 26, 16, 32, 10);
    painter.setBrush(QColor(255, 210, 0));
    painter.drawPath(core);
    return picture;
}

QLabel *makeLabel(QWidget *parent, const char *name, const QRect &geometry)
{
    auto *label = new QLabel(parent);
    label->setObjectName(QLatin1String(name));
    label->setGeometry(geometry);
    return label;
}

} // namespace

FrmAbout::FrmAbout(QWidget *parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("frmAbout"));
    setFixedSize(380, 200);

    Image1 = makeLabel(this, "Image1", QRect(16, 16, kPictureSize, kPictureSize));
    Image1->setPixmap(emblem());

    lblTitle = makeLabel(this, "lblTitle", QRect(96, 16, 270, 28));
    QFont titleFont = lblTitle->font();
    titleFont.setPointSize(titleFont.pointSize() + 6);
    titleFont.setBold(true);
    lblTitle->setFont(titleFont);

    lblVersion = makeLabel(this, "lblVersion", QRect(96, 48, 270, 20));
    Description_Lbl = makeLabel(this, "Description_Lbl", QRect(96, 72, 270, 20));
    Compil_Lbl = makeLabel(this, "Compil_Lbl", QRect(16, 120, 350, 20));

    cmdOK = new QPushButton(QStringLiteral("OK"), this);
    cmdOK->setObjectName(QStringLiteral("cmdOK"));
    cmdOK->setGeometry(280, 156, 84, 30);
    cmdOK->setDefault(true);
    connect(cmdOK, &QPushButton::clicked, this, &QDialog::accept);

    fillTexts();
}

void FrmAbout::fillTexts()
{
    setWindowTitle(QStringLiteral("A propos de TORVA PC"));
    Compil_Lbl->setText(QStringLiteral("Date de compilation=09/09/08"));
    lblVersion->setText(QStringLiteral("V3.0"));
    lblTitle->setText(QLatin1String(kApplicationTitle));
    Description_Lbl->setText(QStringLiteral("Configurateur pour TORVA-UP"));
}

void FrmAbout::showAbout(QWidget *parent)
{
    FrmAbout box(parent);
    box.exec();
}
