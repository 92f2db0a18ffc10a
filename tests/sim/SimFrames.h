#pragma once

#include <QByteArray>

#include <cstdint>
#include <initializer_list>

// Frames built by the test itself, so that a wrong sum in the panel cannot pass by agreeing
// with its own encoder.
inline QByteArray frame(int command, std::initializer_list<int> data = {})
{
    QByteArray f;
    f.append(char(1)).append(char(5 + data.size())).append(char(command));
    for (int b : data)
        f.append(char(b));
    int sum = 0;
    for (char c : f)
        sum += std::uint8_t(c);
    return f.append(char(sum % 256)).append(char(sum / 256));
}
