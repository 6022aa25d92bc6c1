#pragma once

#include <QLabel>

// A number beside its caption. It stays centred in the box the window gives
// it while it fits there; a longer one (a million channels) runs on to the
// right rather than being cut off at both ends.
class CountLabel : public QLabel
{
public:
    using QLabel::QLabel;

    void setCount(int count);

private:
    QRect m_box; // the box as the window laid it out, taken at the first count
};
