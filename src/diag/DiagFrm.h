#pragma once

#include "config/SerialNumber.h"
#include "diagreads/DiagReader.h"
#include "link/Link.h"

#include <QDialog>

#include <array>
#include <chrono>
#include <optional>

class Prompts;
struct Session;
class QFrame;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QTimer;

// The diagnostic window "TORVA DIAGNOSTIC": the versions and serial numbers of the panel and of
// its UP card, read once when the window opens, then the loop loads and the voltages polled
// over and over from Timer1 until "FERMER" or a failed exchange ends the diagnostic.
//
// The window only shows what DiagReader reads and draws the bars; it runs the timing: it holds
// the link in its diagnostic mode for exactly the time it talks to the panel, never runs two
// exchanges at once, and closes itself when a read fails, saying why when the transaction has
// not already said it.
class DiagFrm : public QDialog
{
    Q_OBJECT
public:
    static constexpr std::chrono::milliseconds kCycleInterval{300};
    static constexpr int kLoops = DiagReader::kLoops;

    // `cardDeclared`: the editor shows the UP card present; only then is the card read.
    DiagFrm(Link &link, Session &session, Prompts &prompts, bool cardDeclared, QWidget *parent = nullptr);
    ~DiagFrm() override;

    // Shows the window modally, with the hourglass until its opening reads are done, and returns
    // once the diagnostic has ended and the window has closed.
    static void run(Link &link, Session &session, Prompts &prompts, bool cardDeclared,
                    QWidget *parent = nullptr);

    // Controls, indexed as designed; indexes without a control hold nullptr.
    QGroupBox *Frame1 = nullptr;
    QGroupBox *Frame2 = nullptr;
    QGroupBox *Frame4 = nullptr;
    std::array<QLabel *, 19> Label1{};
    std::array<QLabel *, kLoops> Label2{};
    std::array<QFrame *, kLoops> Cadre_Vu{};
    std::array<QFrame *, kLoops> Vu_Metre{};
    std::array<QLabel *, kLoops> Ib{};
    QPushButton *Fermer = nullptr;
    QLineEdit *Text1 = nullptr;
    QLineEdit *Text2 = nullptr;
    QLineEdit *Text3 = nullptr;
    QPushButton *Command2 = nullptr;
    QPushButton *Command3 = nullptr;
    QTimer *Timer1 = nullptr;

    // Set by "FERMER": the diagnostic ends at the end of the cycle that runs or comes next.
    bool CloseRequested = false;
    // Sizes and colours the bar of loop k against its scale.
    void DrawVuMeter(int k, double value, double high, double low, double fullScale);

signals:
    // The diagnostic has ended: the timer is off, the link out of its diagnostic mode, the window
    // closed.
    void diagnosticEnded();

protected:
    void showEvent(QShowEvent *event) override;
    // Escape and the window's close control ask for the end like "FERMER", once it is offered.
    void reject() override;

private:
    void buildControls();
    void activate();
    void onTick();
    void measure();
    // Shows each accepted read: its label's text, or a loop's text and bar.
    DiagReader::ShowFn showingEach();
    void requestClose();
    void onWriteSerial();
    void writePendingSerial();
    void afterExchanges();
    void stop();
    void stopOnFailure(DiagReader::Outcome outcome);
    void holdHourglass(bool hold);

    Link &m_link;
    Prompts &m_prompts;
    DiagReader m_reader;
    bool m_activationQueued = false;
    bool m_exchanging = false;  // a cycle, the opening reads or a serial write talks to the panel
    bool m_tickMissed = false;  // Timer1 fell due while the panel was busy
    bool m_cycleQueued = false; // a cycle is about to start from the event loop
    bool m_stopped = false;
    bool m_hourglassHeld = false;
    std::optional<SerialNumber> m_pendingSerial;
    std::optional<Link::DiagnosticMode> m_diagnosticMode; // from the activation to the stop
};
