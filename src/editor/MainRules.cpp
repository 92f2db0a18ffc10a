#include "editor/MainWindow.h"

#include "config/CodesRule.h"
#include "config/Messages.h"
#include "config/Session.h"
#include "editor/CodeEdit.h"
#include "seams/Prompts.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QRadioButton>
#include <QScopedValueRollback>

// The change rules: what a click, or a change made by the program, does to the other controls
// and to the session's ConfigSaved.

void MainWindow::connectRules()
{
    auto onSelected = [this](QRadioButton *button, auto rule) {
        connect(button, &QRadioButton::toggled, this, [rule](bool on) {
            if (on)
                rule();
        });
    };
    auto onChanged = [this](QCheckBox *box) {
        connect(box, &QCheckBox::toggled, this, &MainWindow::markChanged);
    };

    for (int i = 0; i < kLoopCount; ++i) {
        onSelected(Mode_Normal[i], [this, i] {
            markChanged();
            onModeSelected(i);
        });
        onSelected(Mode_Discrim[i], [this, i] {
            markChanged();
            onModeSelected(i);
        });
        onSelected(Mode_Double[i], [this, i] {
            markChanged();
            onModeSelected(i);
        });
    }
    for (QRadioButton *button : Option1)
        onSelected(button, [this] { markChanged(); });
    for (QRadioButton *button : OptionRearm)
        onSelected(button, [this] { markChanged(); });
    for (QRadioButton *button : AES_Option)
        onSelected(button, [this] { markChanged(); });
    for (int i = 0; i < 2; ++i)
        onSelected(Up_Option[i], [this, i] { onUpCardSelected(i); });

    for (QCheckBox *box : Check_Alb)
        onChanged(box);
    for (QCheckBox *box : Check_CMSI1)
        onChanged(box);
    for (int k = 0; k < kFunctionCount; ++k) {
        for (FunctionType t : kFunctionTypes)
            onSelected(typeOptions(t)[k], [this, t, k] { onTypeSelected(t, k); });
        onChanged(Check_Hs_Ctc_Aux[k]);
        onChanged(Check_Tempo[k]);
        if (k >= 1) {
            connect(Check_Rgp[k], &QCheckBox::toggled, this, [this, k](bool on) {
                markChanged();
                onGroupedToggled(k, on);
            });
            onChanged(Check_Bp_Actif[k]);
        }
    }

    for (int box = 0; box < 2; ++box) {
        connect(Text_Niveau[box], &CodeEdit::keyTyped, this, &MainWindow::markChanged);
        connect(Text_Niveau[box], &CodeEdit::validationRequested, this, [this, box] { validateCode(box); });
    }
}

void MainWindow::markChanged() { m_session.ConfigSaved = false; }

void MainWindow::onTypeSelected(FunctionType type, int i)
{
    markChanged();
    QCheckBox *tempo = Check_Tempo[i];
    QCheckBox *aux = Check_Hs_Ctc_Aux[i];
    QCheckBox *grouped = Check_Rgp[i];     // nullptr for function 1
    QCheckBox *button = Check_Bp_Actif[i]; // nullptr for function 1

    switch (type) {
    case FunctionType::Nul:
        tempo->setEnabled(false);
        tick(tempo, false);
        aux->setEnabled(false);
        tick(aux, false);
        if (grouped && Option_Nul[i]->isChecked()) {
            grouped->setEnabled(false);
            button->setEnabled(false);
            tick(grouped, false);
            tick(button, false);
        }
        break;
    case FunctionType::RSC_UGA:
        if (grouped && Option_RSC_UGA[i]->isChecked()) {
            grouped->setEnabled(false);
            button->setEnabled(false);
            tick(grouped, false);
            tick(button, false);
            tempo->setEnabled(true);
            tick(tempo, false);
        }
        // Function 1 keeps its tempo box as the previous type left it.
        if (Option_RSC_UGA[i]->isChecked()) {
            aux->setEnabled(true);
            tick(aux, false);
        }
        break;
    case FunctionType::RSC:
    case FunctionType::RAC:
    case FunctionType::ESC:
    case FunctionType::EAC:
        tempo->setEnabled(true);
        aux->setEnabled(false);
        tick(aux, false);
        if (grouped) {
            grouped->setEnabled(true);
            // Enabled whatever the grouped box shows; unticking that box greys it again.
            button->setEnabled(true);
        }
        break;
    }
}

void MainWindow::onModeSelected(int loop)
{
    const int partner = pairedLoop(loop);
    if (Mode_Double[loop]->isChecked())
        select(Mode_Double[partner]); // the partner's own rule then finds this loop double
    else if (Mode_Double[partner]->isChecked())
        select(Mode_Normal[partner]); // falls back to normal, never to discrimination
}

void MainWindow::onGroupedToggled(int function, bool on)
{
    QCheckBox *button = Check_Bp_Actif[function];
    if (on) {
        button->setEnabled(true);
    } else {
        button->setEnabled(false);
        tick(button, false);
    }
}

void MainWindow::onUpCardSelected(int present)
{
    // Hiding the card's frames clears nothing; the presence is not a change of configuration.
    Frame1->setVisible(present == 1);
    Frm_Cde->setVisible(present == 1);
}

void MainWindow::validateCode(int box)
{
    // Showing a message takes the focus from the box, which must not validate a second time.
    if (m_validating)
        return;
    QScopedValueRollback guard(m_validating, true);

    // The box just left must be complete; the other may still be on its way. Two equal codes
    // put this box back to its delivery code.
    const QString title = Messages::entryErrorTitle();
    const CodesRule::Check check = CodesRule::check({code(0), code(1)});
    if (check.incomplete[std::size_t(box)])
        m_prompts.message(CodesRule::message(CodesRule::Fault::TooShort), title, Prompts::Icon::Warning);
    if (check.equal) {
        m_prompts.message(CodesRule::message(CodesRule::Fault::Equal), title, Prompts::Icon::Warning);
        setCode(box, kDeliveryCodes[std::size_t(box)]);
    }
}
