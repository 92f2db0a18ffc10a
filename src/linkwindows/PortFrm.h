#pragma once

#include "link/Link.h"
#include "link/SerialPort.h"

#include <QDialog>

#include <array>

class QComboBox;
class QPushButton;
class QRadioButton;

// The modal port selection window. "COM 1" is selected, with the focus, each time the window
// opens. "CONTINUER" opens the chosen port through the link and closes the window whatever the
// outcome; the close box or Escape leave the port as it was.
//
// "Autre :" lists the ports the system detects, each with what its adapter says of itself (maker,
// description, serial number), so that an installer with two adapters picks the right one; the
// device path of the listed port is what gets opened. A path typed by hand is opened as typed.
// The last port opened through "Autre :" is kept (in the settings) and offered first, already in
// the box, at the next opening, in this run or the next; "COM 1" stays the button selected.
class PortFrm : public QDialog
{
    Q_OBJECT
public:
    PortFrm(Link &link, QWidget *parent = nullptr);

    // Shows the window modally and says how it ended.
    static PortOutcome choose(Link &link, QWidget *parent = nullptr);

    // The port the selected button stands for.
    PortChoice choice() const;

    // The line shown in the "Autre :" list for a detected port: its path, then what the adapter
    // says of itself, when it says anything ("/dev/ttyUSB0 — FT232R USB UART, FTDI, n° A50285BI").
    static QString describePort(const QString &location, const QString &description,
                                const QString &manufacturer, const QString &serialNumber);
    // Adds a port to the "Autre :" list, shown as describePort() says.
    void addDetectedPort(const QString &location, const QString &description, const QString &manufacturer,
                         const QString &serialNumber);
    PortOutcome outcome() const { return m_outcome; }

    std::array<QRadioButton *, 4> Option1{}; // COM 1 to COM4
    QRadioButton *Option_Autre = nullptr;    // a port named in Autre_Port
    QComboBox *Autre_Port = nullptr;         // detected ports, or a typed device path
    QRadioButton *Option_Simul = nullptr;    // the built-in emulated panel
    QPushButton *Command1 = nullptr;

protected:
    void showEvent(QShowEvent *event) override;

private:
    void offerLastOtherPort();
    void onContinue();

    Link &m_link;
    PortOutcome m_outcome = PortOutcome::Cancelled;
};
