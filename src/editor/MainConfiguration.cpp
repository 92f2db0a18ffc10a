#include "editor/MainWindow.h"

#include "config/ItemWords.h"
#include "editor/CodeEdit.h"

#include <QCheckBox>
#include <QLabel>
#include <QRadioButton>

// The configuration to the controls (show) and back (configuration()), the one computation from
// the controls.

void MainWindow::show(const PanelConfig &config)
{
    setCodes(config.AccessCodes);
    const bool card = config.cardPresent();

    for (int i = 0; i < kLoopCount; ++i) {
        if (card) {
            switch (config.ugaCommand(i)) {
            case UgaCommand::None:
                select(Option1[3 * i]);
                break;
            case UgaCommand::Immediate:
                select(Option1[3 * i + 1]);
                break;
            case UgaCommand::Temporised:
                select(Option1[3 * i + 2]);
                break;
            }
            for (int f = 0; f < kFunctionCount; ++f)
                tick(Check_CMSI1[3 * i + f], config.drivesFunction(i, f));
        }
        switch (config.alarmMode(i)) {
        case AlarmMode::Normal:
            select(Mode_Normal[i]);
            break;
        case AlarmMode::Discrimination:
            select(Mode_Discrim[i]);
            break;
        case AlarmMode::Double:
            select(Mode_Double[i]);
            break;
        }
    }

    if (card) {
        for (int k = 0; k < kFunctionCount; ++k) {
            // The type first: its rule unticks boxes that the flags below then set.
            // A type no option names (none of the cases) leaves the options as they are.
            switch (config.functionType(k)) {
            case FunctionType::Nul:
                select(Option_Nul[k]);
                Check_Tempo[k]->setEnabled(false);
                tick(Check_Tempo[k], false);
                break;
            case FunctionType::RSC:
                select(Option_RSC[k]);
                break;
            case FunctionType::RAC:
                select(Option_RAC[k]);
                break;
            case FunctionType::ESC:
                select(Option_ESC[k]);
                break;
            case FunctionType::EAC:
                select(Option_EAC[k]);
                break;
            case FunctionType::RSC_UGA:
                select(Option_RSC_UGA[k]);
                tick(Check_Hs_Ctc_Aux[k], config.functionFlag(k, FunctionFlag::AuxContact));
                break;
            }
            tick(Check_Tempo[k], config.functionFlag(k, FunctionFlag::Delayed));
            if (k >= 1) {
                if (config.functionFlag(k, FunctionFlag::Grouped)) {
                    tick(Check_Rgp[k], true);
                    Check_Bp_Actif[k]->setEnabled(true);
                    tick(Check_Bp_Actif[k], config.functionFlag(k, FunctionFlag::ActiveButton));
                } else {
                    tick(Check_Rgp[k], false);
                    Check_Bp_Actif[k]->setEnabled(false);
                }
            }
        }
    }

    for (int r = 0; r < kRelayCount; ++r)
        for (int j = 0; j < kLoopCount; ++j)
            tick(Check_Alb[8 * r + j], config.relayFollows(r, j));

    // Any presence but 0 selects the card's option, although only 1 showed the card's items above.
    select(config.UpCardPresent != 0 ? Up_Option[1] : Up_Option[0]);
    select(config.output12v() == Output12v::Permanent ? OptionRearm[1] : OptionRearm[0]);

    if (card) {
        select(config.aes() == Aes::Internal ? AES_Option[0] : AES_Option[1]);
        // Nothing received yet: the label keeps what it shows.
        if (config.UgaTempo) {
            m_ugaTempo = config.UgaTempo;
            // Two spaces before the minutes, unlike the sheet's line.
            Tempo_Lbl->setText(ItemWords::ugaTempoCaption() +
                               QStringLiteral("  %1 min.").arg(*config.UgaTempo));
        }
    }
}

PanelConfig MainWindow::configuration() const
{
    PanelConfig items;
    items.AccessCodes = {code(0), code(1)};
    items.setCardPresent(Up_Option[1]->isChecked());
    items.UgaTempo = m_ugaTempo;
    for (int r = 0; r < kRelayCount; ++r)
        for (int j = 0; j < kLoopCount; ++j)
            items.setRelayFollows(r, j, ticked(Check_Alb[8 * r + j]));
    items.setOutput12v(OptionRearm[1]->isChecked() ? Output12v::Permanent : Output12v::Rearmable);
    items.setAes(AES_Option[0]->isChecked() ? Aes::Internal : Aes::External);

    for (int i = 0; i < kLoopCount; ++i) {
        items.setAlarmMode(i, Mode_Normal[i]->isChecked()    ? AlarmMode::Normal
                              : Mode_Discrim[i]->isChecked() ? AlarmMode::Discrimination
                                                             : AlarmMode::Double);
        items.setUgaCommand(i, Option1[3 * i + 1]->isChecked()   ? UgaCommand::Immediate
                               : Option1[3 * i + 2]->isChecked() ? UgaCommand::Temporised
                                                                 : UgaCommand::None);
        for (int f = 0; f < kFunctionCount; ++f)
            items.setDrivesFunction(i, f, ticked(Check_CMSI1[3 * i + f]));
    }

    for (int k = 0; k < kFunctionCount; ++k) {
        // The first selected option gives the type; none selected counts as RSC_UGA.
        FunctionType type = FunctionType::RSC_UGA;
        for (FunctionType t : kFunctionTypes) {
            if (typeOptions(t)[k]->isChecked()) {
                type = t;
                break;
            }
        }
        items.setFunctionType(k, type);
        items.setFunctionFlag(k, FunctionFlag::AuxContact,
                              type == FunctionType::RSC_UGA && ticked(Check_Hs_Ctc_Aux[k]));
        items.setFunctionFlag(k, FunctionFlag::Delayed, ticked(Check_Tempo[k]));
        // Functions 2 and 3 only: function 1 has no grouping boxes.
        const bool grouped = ticked(Check_Rgp[k]);
        items.setFunctionFlag(k, FunctionFlag::Grouped, grouped);
        items.setFunctionFlag(k, FunctionFlag::ActiveButton, grouped && ticked(Check_Bp_Actif[k]));
    }
    return items;
}
