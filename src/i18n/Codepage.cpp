#include "Codepage.h"

#include <cerrno>
#include <iconv.h>
#include <memory>
#include <string>

namespace vantrel {

namespace {

const char* iconvName(Codepage codepage)
{
    // glibc's "SHIFT_JIS" refuses the NEC extension characters that CP932 carries.
    return codepage == Codepage::ShiftJis ? "CP932" : "CP1252";
}

struct IconvCloser {
    void operator()(void* handle) const { iconv_close(static_cast<iconv_t>(handle)); }
};
using IconvHandle = std::unique_ptr<void, IconvCloser>;

IconvHandle openToUtf8(Codepage codepage)
{
    iconv_t handle = iconv_open("UTF-8", iconvName(codepage));
    if (handle == reinterpret_cast<iconv_t>(-1))
        return nullptr;
    return IconvHandle(handle);
}

// The calling thread's converter from the codepage, opened at its first use and kept: opening
// one costs several times a text's decoding, and every window text is decoded when it is
// shown. Back in its first state for each text; null when the system has none.
void* converterToUtf8(Codepage codepage)
{
    thread_local IconvHandle shiftJis;
    thread_local IconvHandle ansi;
    IconvHandle& handle = codepage == Codepage::ShiftJis ? shiftJis : ansi;
    if (!handle)
        handle = openToUtf8(codepage);
    if (handle)
        iconv(static_cast<iconv_t>(handle.get()), nullptr, nullptr, nullptr, nullptr);
    return handle.get();
}

} // namespace

QString decodeCodepage(std::string_view bytes, Codepage codepage, bool* valid)
{
    if (valid)
        *valid = true;
    void* const handle = converterToUtf8(codepage);
    if (!handle) {
        if (valid)
            *valid = false;
        return QString::fromLatin1(bytes.data(), static_cast<qsizetype>(bytes.size()));
    }
    std::string utf8;
    char chunk[256];
    char* in = const_cast<char*>(bytes.data());
    size_t inLeft = bytes.size();
    while (inLeft > 0) {
        char* out = chunk;
        size_t outLeft = sizeof chunk;
        const size_t done = iconv(static_cast<iconv_t>(handle), &in, &inLeft, &out, &outLeft);
        utf8.append(chunk, static_cast<size_t>(out - chunk));
        if (done != static_cast<size_t>(-1) || errno == E2BIG)
            continue;
        // An invalid or cut-off sequence: mark it and go on after its first byte.
        if (valid)
            *valid = false;
        utf8.append("\xEF\xBF\xBD");
        ++in;
        --inLeft;
    }
    return QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size()));
}

} // namespace vantrel
