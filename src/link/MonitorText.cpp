#include "MonitorText.h"

namespace vantrel {

std::string packetText(const QuobPacket& packet)
{
    static constexpr char hex[] = "0123456789ABCDEF";
    std::string text;
    text.reserve(packet.size() * 3);
    for (uint8_t byte : packet) {
        text += hex[byte >> 4];
        text += hex[byte & 0x0F];
        text += ':';
    }
    return text;
}

std::string lastDigits(uint64_t value, int digits)
{
    std::string text(static_cast<size_t>(digits), '0');
    for (int i = digits - 1; i >= 0 && value > 0; --i, value /= 10)
        text[static_cast<size_t>(i)] = static_cast<char>('0' + value % 10);
    return text;
}

} // namespace vantrel
