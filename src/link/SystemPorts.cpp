#include "link/SystemPorts.h"

PortFactory makeRealPortFactory(PortFactory simulated)
{
    return [simulated = std::move(simulated)](const PortChoice &choice) -> std::unique_ptr<SerialPort> {
        if (choice.kind == PortChoice::Kind::Simulated)
            return simulated ? simulated(choice) : nullptr;
        return makeSystemPort(choice.device);
    };
}
