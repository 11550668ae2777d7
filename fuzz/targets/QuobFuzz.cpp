// Quob answers as they come off the line, 11 bytes each: the start and checksum test, then the
// status decode of every answer that passes, one after the other as the poll thread sees them.
#include "../FuzzTarget.h"

#include "link/MonitorText.h"
#include "link/Quobio.h"
#include "link/Quobvtr.h"

#include <algorithm>

VANTREL_FUZZ_TARGET(quob)
{
    vantrel::CQuobIO io;
    vantrel::QuobVtr vtr(io);
    for (size_t at = 0; at + 11 <= size; at += 11) {
        vantrel::QuobPacket answer;
        std::copy(data + at, data + at + 11, answer.begin());
        vantrel::fuzz::check(vantrel::packetText(answer).size() == 33,
                             "the monitor shows every packet in 33 characters");
        if (vantrel::answerResult(answer) != vantrel::QuobResult::Ok)
            continue;
        io.answerBuffer = answer;
        vtr.DecodeStatus();
        vantrel::fuzz::check(vtr.timeCodeText().size() == 12, "the time code text has 12 characters");
        vantrel::fuzz::check(vtr.framesPerSecond == 25 || vtr.framesPerSecond == 30,
                             "the frame rate is 25 or 30");
        vantrel::fuzz::check(vtr.state <= 0x0F, "the state is one nibble");
    }
}
