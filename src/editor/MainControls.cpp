#include "editor/MainControls.h"

#include "editor/CodeEdit.h"
#include "editor/LinedFrame.h"
#include "editor/MainLayout.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QMap>
#include <QPushButton>
#include <QRadioButton>

namespace {

// Every position of the window is drawn in twips; the screen has 15 twips to a pixel (96 dpi).
constexpr double kTwipsPerPixel = 15.0;

int px(int twips) { return qRound(twips / kTwipsPerPixel); }

QPoint px(QPoint twips) { return {px(twips.x()), px(twips.y())}; }

QRect px(QRect twips) { return {px(twips.x()), px(twips.y()), px(twips.width()), px(twips.height())}; }

// The controls made from the layout, by name.
using Made = QMap<QString, QWidget *>;

template <typename W>
void lookUp(const Made &made, W *&control, const char *name)
{
    control = qobject_cast<W *>(made.value(QLatin1String(name)));
}

// A control array: an index without a control stays nullptr. (Not named bind: std::bind, found
// through std::array, would be chosen and do nothing.)
template <typename W, std::size_t N>
void lookUp(const Made &made, std::array<W *, N> &controls, const char *name)
{
    for (std::size_t i = 0; i < N; ++i)
        controls[i] = qobject_cast<W *>(made.value(indexed(name, int(i))));
}

QWidget *make(const LayoutItem &item, QWidget *parent)
{
    using Kind = LayoutItem::Kind;
    switch (item.kind) {
    case Kind::Frame:
        return new QGroupBox(item.caption, parent);
    case Kind::LinedFrame:
        return new LinedFrame(item.caption, parent);
    case Kind::OptionFrame: {
        auto *frame = new QFrame(parent);
        frame->setFrameShape(QFrame::NoFrame);
        new QButtonGroup(frame);
        return frame;
    }
    case Kind::OptionButton: {
        // The first option button of a frame makes the frame's group.
        auto *group = parent->findChild<QButtonGroup *>(QString(), Qt::FindDirectChildrenOnly);
        if (!group)
            group = new QButtonGroup(parent);
        auto *button = new QRadioButton(item.caption, parent);
        group->addButton(button);
        return button;
    }
    case Kind::CheckBox:
        return new QCheckBox(item.caption, parent);
    case Kind::Label: {
        auto *label = new QLabel(item.caption, parent);
        label->setAlignment(item.alignment);
        return label;
    }
    case Kind::CodeBox:
        return new CodeEdit(parent);
    case Kind::Button: {
        auto *button = new QPushButton(item.caption, parent);
        QFont arial(QStringLiteral("Arial"));
        arial.setStyleHint(QFont::SansSerif);
        arial.setPointSize(8);
        button->setFont(arial);
        return button;
    }
    case Kind::Line:
        break;
    }
    return nullptr;
}

} // namespace

void MainControls::build(QWidget *client)
{
    client->setFixedSize(px(kMainClientTwips.width()), px(kMainClientTwips.height()));
    QFont font(QStringLiteral("MS Sans Serif"));
    font.setStyleHint(QFont::SansSerif);
    font.setPointSize(8);
    client->setFont(font);

    Made made{{client->objectName(), client}};
    for (const LayoutItem &item : mainLayout()) {
        QWidget *parent = made.value(item.parent);
        Q_ASSERT(parent);
        if (item.kind == LayoutItem::Kind::Line) {
            auto *frame = qobject_cast<LinedFrame *>(parent);
            Q_ASSERT(frame);
            frame->addLine(px(item.twips.topLeft()), px(item.twips.bottomRight()));
            continue;
        }
        QWidget *widget = make(item, parent);
        widget->setObjectName(item.name);
        widget->setGeometry(px(item.twips));
        if (!item.toolTip.isEmpty())
            widget->setToolTip(item.toolTip);
        made.insert(item.name, widget);
    }

    lookUp(made, Command1, "Command1");
    lookUp(made, Command2, "Command2");
    lookUp(made, Det_mode, "Det_mode");
    lookUp(made, Up_frm, "Up_frm");
    lookUp(made, Frm_Relais, "Frm_Relais");
    lookUp(made, Misc_Frm, "Misc_Frm");
    lookUp(made, Frm_12v, "Frm_12v");
    lookUp(made, Frm_Cde, "Frm_Cde");
    lookUp(made, Frame1, "Frame1");
    lookUp(made, Frame_Relais, "Frame_Relais");
    lookUp(made, mode_B, "mode_B");
    lookUp(made, Frm_Uga, "Frm_Uga");
    lookUp(made, Frm_Fonction, "Frm_Fonction");
    lookUp(made, Mode_Normal, "Mode_Normal");
    lookUp(made, Mode_Discrim, "Mode_Discrim");
    lookUp(made, Mode_Double, "Mode_Double");
    lookUp(made, Up_Option, "Up_Option");
    lookUp(made, Check_Alb, "Check_Alb");
    lookUp(made, OptionRearm, "OptionRearm");
    lookUp(made, Text_Niveau, "Text_Niveau");
    lookUp(made, Option1, "Option1");
    lookUp(made, Check_CMSI1, "Check_CMSI1");
    lookUp(made, AES_Option, "AES_Option");
    lookUp(made, Option_Nul, "Option_Nul");
    lookUp(made, Option_RSC, "Option_RSC");
    lookUp(made, Option_RAC, "Option_RAC");
    lookUp(made, Option_ESC, "Option_ESC");
    lookUp(made, Option_EAC, "Option_EAC");
    lookUp(made, Option_RSC_UGA, "Option_RSC_UGA");
    lookUp(made, Check_Hs_Ctc_Aux, "Check_Hs_Ctc_Aux");
    lookUp(made, Check_Tempo, "Check_Tempo");
    lookUp(made, Check_Rgp, "Check_Rgp");
    lookUp(made, Check_Bp_Actif, "Check_Bp_Actif");
    lookUp(made, Label_Zone, "Label_Zone");
    lookUp(made, Label2, "Label2");
    lookUp(made, Label5, "Label5");
    lookUp(made, Label7, "Label7");
    lookUp(made, Label1, "Label1");
    lookUp(made, Label3, "Label3");
    lookUp(made, Label4, "Label4");
    lookUp(made, Label6, "Label6");
    lookUp(made, Label8, "Label8");
    lookUp(made, Label9, "Label9");
    lookUp(made, Label10, "Label10");
    lookUp(made, Label11, "Label11");
    lookUp(made, Label12, "Label12");
    lookUp(made, Label13, "Label13");
    lookUp(made, Label14, "Label14");
    lookUp(made, Label15, "Label15");
    lookUp(made, Tempo_Lbl, "Tempo_Lbl");
}

std::array<QRadioButton *, 3> &MainControls::typeOptions(FunctionType type)
{
    switch (type) {
    case FunctionType::Nul:
        return Option_Nul;
    case FunctionType::RSC:
        return Option_RSC;
    case FunctionType::RAC:
        return Option_RAC;
    case FunctionType::ESC:
        return Option_ESC;
    case FunctionType::EAC:
        return Option_EAC;
    case FunctionType::RSC_UGA:
        break;
    }
    return Option_RSC_UGA;
}

const std::array<QRadioButton *, 3> &MainControls::typeOptions(FunctionType type) const
{
    return const_cast<MainControls *>(this)->typeOptions(type);
}

void MainControls::select(QRadioButton *button) { button->setChecked(true); }

void MainControls::tick(QCheckBox *box, bool ticked) { box->setChecked(ticked); }

bool MainControls::ticked(const QCheckBox *box) { return box && box->isChecked(); }
