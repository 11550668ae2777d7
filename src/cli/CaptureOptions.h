#pragma once
#include <memory>

class QCoreApplication;

namespace vantrel {
class CQuobIO;
class QuobCpt;
}

namespace vantrel::cli {

// The settings' value for an INIT key when it lies in [low, high], else the fallback.
int settingOr(const char* key, int low, int high, int fallback);
// Reads the device's model codes for the capture's two model rules.
void classifyDevice(CQuobIO& io, int id, QuobCpt& capture);
// The transfer rate when --rate does not give one.
constexpr int defaultRateIndex = 2;
// The application object whose event loop serves the capture thread's messages; null when
// one exists already.
std::unique_ptr<QCoreApplication> eventApplication();

} // namespace vantrel::cli
