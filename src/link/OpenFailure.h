#pragma once

#include <QString>

// Why a serial port could not be opened, as the installer reads it in the details of the opening
// failure message: what happened, the system's own reason, and what to do about it. Shared by
// the Linux and the Windows ports, so that both say the same things.
enum class OpenFailure {
    NotFound,    // no such device: the adapter is not plugged in, or the name is wrong
    Busy,        // held by another program, or refused to this account
    RightsGroup, // refused to this account; joining `group` grants it
    AlreadyOpen, // this program holds it already
    Other,
};

// `systemReason` is the system's text, without a final full stop; `group` only for RightsGroup.
QString openFailureDetails(OpenFailure failure, const QString &device, const QString &systemReason,
                           const QString &group = {});
