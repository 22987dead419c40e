#pragma once

#include <QString>

namespace tilvano::messenger {

// A contact as the events hand it over: how to call them, how to reach them
// (the bare address, which is what a mail address was to the old messengers)
// and their state number at the time of the event.
struct MessengerUser {
    QString friendlyName;
    QString emailAddress;
    int state = 1;

    friend bool operator==(const MessengerUser &, const MessengerUser &) = default;
};

} // namespace tilvano::messenger
