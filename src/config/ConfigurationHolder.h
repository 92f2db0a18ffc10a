#pragma once

#include "config/EditorView.h"

// An editor without controls: it holds the configuration it is shown. A receive into one reads
// the panel without touching the main window (the comparison), and a program without a window
// (the command line) receives, opens and sends through one.
class ConfigurationHolder : public EditorView
{
public:
    ConfigurationHolder() = default;
    explicit ConfigurationHolder(const PanelConfig &config) : m_config(config) {}

    PanelConfig configuration() const override { return m_config; }
    void show(const PanelConfig &config) override { m_config = config; }
    void setCodes(const std::array<QString, 2> &codes) override { m_config.AccessCodes = codes; }
    void setCardFramesVisible(bool) override {}

private:
    PanelConfig m_config;
};
