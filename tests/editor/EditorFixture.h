#pragma once

#include "support/FakePrompts.h"
#include "config/Session.h"
#include "editor/MainWindow.h"
#include "link/Link.h"

#include <QAbstractButton>
#include <QButtonGroup>
#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QRadioButton>
#include <QTest>

#include <memory>

// A main window after its start-up, with a link that has no port and prompts that record.
struct EditorFixture
{
    FakePrompts prompts;
    Session session;
    Link link{prompts, [](const PortChoice &) { return std::unique_ptr<SerialPort>(); }};
    MainWindow window{session, link, prompts};

    template <typename W = QWidget>
    W *find(const QString &name)
    {
        W *widget = window.findChild<W *>(name);
        if (!widget)
            qWarning("no control %s", qPrintable(name));
        return widget;
    }

    // Runs one step of a scripted sequence, as the installer or the program would:
    //   "Mode_Double(3)"          click (a disabled control ignores it, as it does a real click)
    //   "+Check_Tempo(0)"         tick from the program, "-Check_Tempo(0)" untick
    //   "none:Frm_Fonction(1)"    no option of that frame selected (the group let go for a moment)
    bool run(const QString &step)
    {
        if (step.startsWith(QLatin1String("none:"))) {
            auto *frame = find(step.mid(5));
            auto *group = frame ? frame->findChild<QButtonGroup *>() : nullptr;
            if (!group)
                return false;
            group->setExclusive(false);
            for (QAbstractButton *b : group->buttons())
                b->setChecked(false);
            group->setExclusive(true);
            return true;
        }
        if (step.startsWith(QLatin1Char('+')) || step.startsWith(QLatin1Char('-'))) {
            auto *box = find<QCheckBox>(step.mid(1));
            if (!box)
                return false;
            box->setChecked(step.startsWith(QLatin1Char('+')));
            return true;
        }
        auto *button = find<QAbstractButton>(step);
        if (!button)
            return false;
        button->click();
        return true;
    }

    bool run(const QStringList &steps)
    {
        for (const QString &step : steps)
            if (!run(step))
                return false;
        return true;
    }

    // "E" enabled or "D" disabled, then "x" ticked or "." not: "Ex", "D.".
    QString boxState(const QString &name)
    {
        auto *box = find<QCheckBox>(name);
        if (!box)
            return QStringLiteral("??");
        return QString(box->isEnabled() ? QLatin1Char('E') : QLatin1Char('D'))
               + (box->isChecked() ? QLatin1Char('x') : QLatin1Char('.'));
    }
};
