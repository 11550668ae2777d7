#pragma once
#include "link/Quobsys.h"

#include <QString>

namespace vantrel {

// What the device list works on: the port of the device session and the devices on it. The
// session implements it; the device list changes the port and reads the devices through it.
class DeviceListLink {
public:
    virtual ~DeviceListLink() = default;
    // The port open now, 1 to 4; 0 when none is.
    virtual int portInUse() const = 0;
    // Closes the port in use and opens COM `port` (1 to 4) in the control configuration;
    // false, with no port open, when it does not open.
    virtual bool usePort(int port) = 0;
    virtual void releasePort() = 0;
    // Why the port last asked for did not open, in the user's language; empty when it did.
    virtual QString portRefusal() const = 0;
    // The device commands on that port.
    virtual QuobSys& devices() = 0;
};

} // namespace vantrel
