#pragma once

#include <QByteArray>

#include <initializer_list>

// Frames built by the test itself, so that a wrong sum in the panel cannot pass by agreeing
// with its own encoder.
namespace SimFrames {

inline QByteArray bytes(std::initializer_list<int> list)
{
    QByteArray out;
    for (int b : list)
        out.append(char(b));
    return out;
}

inline QByteArray frame(int command, const QByteArray &data = {})
{
    QByteArray f;
    f.append(char(1));
    f.append(char(5 + data.size()));
    f.append(char(command));
    f.append(data);
    int sum = 0;
    for (char c : f)
        sum += static_cast<unsigned char>(c);
    f.append(char(sum % 256));
    f.append(char(sum / 256));
    return f;
}

} // namespace SimFrames
