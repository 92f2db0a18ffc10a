#pragma once

#include "seams/ProgressView.h"

#include <QWidget>

class Link;
class QFrame;
class QLabel;
class QProgressBar;
class QTimer;

// The progress window shown, without blocking, while a receive or a send runs: a title line,
// the current step, a progress bar that the link steps once per reply data byte, and two lamps
// (send, reply) that the link lights and that go out again within about 300 ms.
class WaitFrm : public QWidget, public ProgressView
{
    Q_OBJECT
public:
    explicit WaitFrm(Link &link, QWidget *parent = nullptr);

    // ProgressView: Label1, Label2 and ProgressBar1, and the window itself.
    void setTitle(const QString &title) override;
    void setStep(const QString &step) override;
    void setMaximum(int maximum) override;
    void setValue(int value) override;
    void showProgress() override { show(); }
    void hideProgress() override { hide(); }

    QLabel *Label1 = nullptr;
    QLabel *Label2 = nullptr;
    QProgressBar *ProgressBar1 = nullptr;
    QFrame *Shape1 = nullptr; // send lamp
    QFrame *Shape2 = nullptr; // reply lamp
    QTimer *Timer1 = nullptr; // hides Shape1 each time it fires
    QTimer *Timer2 = nullptr; // hides Shape2 each time it fires

private:
    void stepProgress();
};
