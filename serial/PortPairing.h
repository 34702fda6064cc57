#pragma once

#include <QString>
#include <string>
#include <vector>

#include "PortFacts.h"

// One serial port as the driver lists it: the description the port chooser
// and the open by description use, and the port behind it.
struct ListedChannel {
    std::string description;
    PortFacts port;
};

// Turns the computer's serial ports into bridge devices. The interfaces of
// one USB device form one board, listed as "<name> A", "<name> B" in the
// order of their interface numbers; two boards of one model are told apart
// by serial number, or by bus path when that does not tell them apart. Every
// other port is a board of its own with channel A only: a lone USB interface
// as "<product> [<port name>]", any other port by its device path. Every
// description fits the library's 49 characters; the list is sorted by name,
// then channel.
std::vector<ListedChannel> pairPorts(const std::vector<PortFacts>& ports);
