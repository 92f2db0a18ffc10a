#pragma once

// The receive and send procedures against the emulated panel, with the editor and the progress
// window replaced by recording fakes: no widget anywhere.
#include "support/PanelBench.h"

#include "config/EditorView.h"
#include "config/Session.h"
#include "config/Transfer.h"
#include "link/ProgressView.h"

#include <QList>

// The editor as the procedures see it: the configuration it shows, and each one they showed.
class FakeEditor : public EditorView
{
public:
    PanelConfig shown;
    QList<PanelConfig> showCalls;
    std::optional<bool> cardFrames;   // set by setCardFramesVisible()

    PanelConfig configuration() const override { return shown; }
    void show(const PanelConfig &config) override
    {
        shown = config;
        showCalls << config;
    }
    void setCodes(const std::array<QString, 2> &codes) override { shown.AccessCodes = codes; }
    void setCardFramesVisible(bool visible) override { cardFrames = visible; }
};

// The progress window's texts and bar; the link steps the bar once per reply data byte.
class FakeProgress : public QObject, public ProgressView
{
public:
    explicit FakeProgress(Link &link)
    {
        connect(&link, &Link::dataByteReceived, this, [this] { value = std::min(value + 1, maximum); });
    }
    QString title;
    QStringList steps;
    int maximum = 0;
    int value = 0;
    bool visible = false;

    void setTitle(const QString &text) override { title = text; }
    void setStep(const QString &step) override { steps << step; }
    void setMaximum(int m) override { maximum = m; }
    void setValue(int v) override { value = v; }
    void showProgress() override { visible = true; }
    void hideProgress() override { visible = false; }
};

struct ConfigBench : PanelBench
{
    Session session;
    FakeEditor editor;
    FakeProgress progress{link};
    int portSelections = 0;
    TransferContext context{link, session, editor, prompts, progress, [this] {
                                ++portSelections;
                                return link.openPort(PortChoice::simulated()) ? PortOutcome::Opened
                                                                              : PortOutcome::Failed;
                            }};

    // The port selection opens the line, whose adapter is pulled out right after the wake-up byte.
    void loseLineAtWakeUp()
    {
        context.selectPort = [this] {
            const bool opened = link.openPort(PortChoice::simulated());
            port->vanishAfterWrites(1);
            return opened ? PortOutcome::Opened : PortOutcome::Failed;
        };
    }
};
