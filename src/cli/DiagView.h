#pragma once

#include "diagreads/DiagReader.h"

#include <QJsonObject>
#include <QList>
#include <QString>

#include <array>

// What the diagnostic window would show, read once: as text for people (the window's frames, top
// to bottom) and as data for a program (versions and serial numbers as strings, voltages in
// volts, currents in amperes, loop loads in milliamperes).
struct DiagView
{
    QList<DiagReader::Shown> shown;
    bool cardShown = false;
    std::array<double, 9> loads{};
    const DiagReader::Opening &opening;
    const DiagReader::Result &cycle;

    QString text() const;
    QJsonObject json() const;

private:
    QString textOf(DiagRead read) const;
    QString loopText(int loop) const;
};
