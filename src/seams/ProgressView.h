#pragma once

#include <QString>

// What the receive and send procedures show of their progress: a title, the current step and a
// bar. The progress window implements it; a program without a window may show it otherwise, or
// not at all. The link steps the bar itself, one step per reply data byte.
class ProgressView
{
public:
    virtual ~ProgressView() = default;

    virtual void setTitle(const QString &title) = 0;
    virtual void setStep(const QString &step) = 0;
    virtual void setMaximum(int maximum) = 0;
    virtual void setValue(int value) = 0;
    virtual void showProgress() = 0;
    virtual void hideProgress() = 0;
};
