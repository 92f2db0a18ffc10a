#pragma once

class QWidget;

// For the start-up benchmark (bench/startup_bench): when TORVA_STARTUP_PROBE is set, the program
// writes "shown" on standard output once `window` has been painted for the first time, and ends.
// Otherwise nothing.
namespace StartupProbe {

void watchFirstPaint(QWidget &window);

} // namespace StartupProbe
