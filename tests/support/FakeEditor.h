#pragma once

// The editor and the progress window as the procedures below the editor see them, recording.
#include "config/EditorView.h"
#include "link/Link.h"
#include "seams/ProgressView.h"

#include <QList>
#include <QStringList>

#include <optional>

// The editor as the procedures see it: the configuration it shows, and each one they showed.
class FakeEditor : public EditorView
{
public:
    PanelConfig shown;
    QList<PanelConfig> showCalls;
    std::optional<bool> cardFrames; // set by setCardFramesVisible()

    PanelConfig configuration() const override { return shown; }
    void show(const PanelConfig &config) override
    {
        shown = config;
        showCalls << config;
    }
    void setCodes(const std::array<QString, 2> &codes) override { shown.AccessCodes = codes; }
    void setCardFramesVisible(bool visible) override { cardFrames = visible; }
};

// The progress window's texts; the bar, which the link steps once per reply data byte, is not kept.
class FakeProgress : public ProgressView
{
public:
    explicit FakeProgress(Link &) {}
    QString title;
    QStringList steps;
    bool visible = false;

    void setTitle(const QString &text) override { title = text; }
    void setStep(const QString &step) override { steps << step; }
    void setMaximum(int) override {}
    void setValue(int) override {}
    void showProgress() override { visible = true; }
    void hideProgress() override { visible = false; }
};
