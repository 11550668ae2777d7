#include "TapeFile.h"

#include "image/Dvf.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace vantrel::quobsim {

namespace {

constexpr uint8_t PaddingByte = 0xFF;
constexpr uint8_t SectionBits = 0xE0;
// Section type of the blocks that open a sequence, in the top bits of their first byte.
constexpr uint8_t HeaderSection = 0x00;
constexpr uint8_t SubcodeSection = 0x20;
constexpr uint8_t VauxSection = 0x40;
constexpr uint8_t AudioSection = 0x60;
constexpr uint8_t VideoSection = 0x80;
constexpr uint8_t SystemBit = 0x80; // of byte 3 of the header block
constexpr size_t FrameStartBytes = 8 * dvBlockBytes;

class FileDescriptor {
public:
    explicit FileDescriptor(int fd) : fd_(fd) {}
    ~FileDescriptor()
    {
        if (fd_ >= 0)
            ::close(fd_);
    }
    FileDescriptor(const FileDescriptor&) = delete;
    FileDescriptor& operator=(const FileDescriptor&) = delete;
    int get() const { return fd_; }

private:
    int fd_;
};

// A raw DV stream: frame after frame of the same size, read at its offset.
class RawSource : public FrameSource {
public:
    RawSource(std::unique_ptr<FileDescriptor> file, size_t frameBytes)
        : file_(std::move(file)), frameBytes_(frameBytes)
    {
    }

    bool read(int64_t index, uint8_t* frame) override
    {
        size_t got = 0;
        const off_t start = static_cast<off_t>(index) * static_cast<off_t>(frameBytes_);
        while (got < frameBytes_) {
            const ssize_t n = ::pread(file_->get(), frame + got, frameBytes_ - got, start + off_t(got));
            if (n < 0 && errno == EINTR)
                continue;
            if (n <= 0)
                break;
            got += size_t(n);
        }
        std::memset(frame + got, PaddingByte, frameBytes_ - got);
        return got > 0;
    }

private:
    std::unique_ptr<FileDescriptor> file_;
    size_t frameBytes_;
};

std::string describe(const std::string& path, const std::string& what)
{
    return path + ": " + what;
}

size_t readStart(int fd, uint8_t* bytes, size_t count)
{
    size_t got = 0;
    while (got < count) {
        const ssize_t n = ::pread(fd, bytes + got, count - got, off_t(got));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            break;
        got += size_t(n);
    }
    return got;
}

std::unique_ptr<FrameSource> openRaw(std::unique_ptr<FileDescriptor> file, off_t size,
                                     DvSystem system, TapeFormat& format, std::string& error)
{
    const auto frameBytes = static_cast<off_t>(frameBytesOf(system));
    const off_t rest = size % frameBytes;
    if (rest != 0) {
        error = "cut short: its last frame lacks " + std::to_string(frameBytes - rest) + " bytes";
        return nullptr;
    }
    format.system = system;
    format.frames = size / frameBytes;
    return std::make_unique<RawSource>(std::move(file), size_t(frameBytes));
}

} // namespace

std::optional<DvSystem> systemOfFrameStart(const uint8_t* bytes, size_t count)
{
    if (count < FrameStartBytes)
        return std::nullopt;
    static constexpr uint8_t sections[8] = {HeaderSection, SubcodeSection, SubcodeSection, VauxSection,
                                            VauxSection,   VauxSection,    AudioSection,   VideoSection};
    for (size_t b = 0; b < 8; ++b)
        if ((bytes[b * dvBlockBytes] & SectionBits) != sections[b] || (bytes[b * dvBlockBytes + 1] >> 4) != 0)
            return std::nullopt;
    if (bytes[2] != 0)
        return std::nullopt;
    for (const auto& facts : dvSystems)
        if ((bytes[3] & SystemBit) == (facts.headerFlag & SystemBit))
            return facts.system;
    return std::nullopt;
}

std::optional<int64_t> subcodeTimeCode(const uint8_t* frame, size_t sequences, int framesPerSecond)
{
    const uint8_t* pack = frameTimeCodePack(frame, static_cast<int>(sequences));
    if (!pack)
        return std::nullopt;
    const std::string text = packTimeCodeText(pack);
    int hours = 0, minutes = 0, seconds = 0, frames = 0;
    if (std::sscanf(text.c_str(), "%d:%d:%d:%d", &hours, &minutes, &seconds, &frames) != 4
        || frames >= framesPerSecond)
        return std::nullopt;
    return ((int64_t(hours) * 60 + minutes) * 60 + seconds) * framesPerSecond + frames;
}

std::shared_ptr<TapeFile> TapeFile::open(const std::string& path, std::string& error)
{
    auto file = std::make_unique<FileDescriptor>(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
    struct stat status {};
    if (file->get() < 0 || ::fstat(file->get(), &status) != 0) {
        error = describe(path, std::strerror(errno));
        return nullptr;
    }
    if (!S_ISREG(status.st_mode)) {
        error = describe(path, "not a file");
        return nullptr;
    }
    if (status.st_size == 0) {
        error = describe(path, "empty");
        return nullptr;
    }
    uint8_t start[FrameStartBytes];
    const size_t got = readStart(file->get(), start, sizeof start);
    TapeFormat format;
    std::unique_ptr<FrameSource> source;
    if (const auto system = systemOfFrameStart(start, got))
        source = openRaw(std::move(file), status.st_size, *system, format, error);
    else
        source = openContainer(path, format, error);
    if (!source) {
        error = describe(path, error);
        return nullptr;
    }
    return std::make_shared<TapeFile>(std::move(source), format);
}

TapeFile::TapeFile(std::unique_ptr<FrameSource> source, TapeFormat format)
    : source_(std::move(source)), format_(format), loaded_(frameBytes())
{
}

bool TapeFile::load(int64_t index)
{
    if (index < 0 || index >= format_.frames)
        return false;
    if (index == loadedIndex_)
        return true;
    loadedIndex_ = -1;
    if (!source_->read(index, loaded_.data()))
        return false;
    loadedIndex_ = index;
    return true;
}

std::vector<uint8_t> TapeFile::frame(int64_t index)
{
    std::lock_guard held(mutex_);
    if (!load(index))
        return {};
    return loaded_;
}

std::optional<int64_t> TapeFile::recordedTimeCode(int64_t index)
{
    std::lock_guard held(mutex_);
    if (!load(index))
        return std::nullopt;
    return subcodeTimeCode(loaded_.data(), size_t(sequencesOf(format_.system)), framesPerSecond());
}

} // namespace vantrel::quobsim
