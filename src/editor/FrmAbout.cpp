#include "editor/FrmAbout.h"

#include "editor/ProgramIcon.h"
#include "seams/Version.h"

#include <QFont>
#include <QLabel>
#include <QPushButton>

namespace {

constexpr int kPictureSize = 64;

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
    Image1->setPixmap(ProgramIcon::picture(kPictureSize));

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
    lblVersion->setText(Version::label());
    lblTitle->setText(QStringLiteral("TORVA-PC"));
    Description_Lbl->setText(QStringLiteral("Configurateur pour TORVA-UP"));
}

void FrmAbout::showAbout(QWidget *parent)
{
    FrmAbout box(parent);
    box.exec();
}
