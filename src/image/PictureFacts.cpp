#include "PictureFacts.h"

#include "image/Dvf.h"

#include <QByteArray>

#include <exiv2/exiv2.hpp>
#include <sys/stat.h>

#include <mutex>

namespace vantrel {

namespace {

// The program's own XMP properties: the video system and aspect of the frame.
constexpr char factsNamespace[] = "urn:vantrel:dv-still:1.0/";
constexpr char factsPrefix[] = "vantrel";

void prepareLibrary()
{
    static std::once_flag once;
    std::call_once(once, [] {
        Exiv2::LogMsg::setLevel(Exiv2::LogMsg::mute);
        Exiv2::XmpParser::initialize();
        Exiv2::XmpProperties::registerNs(factsNamespace, factsPrefix);
    });
}

std::optional<std::time_t> modificationTimeOf(const std::string& path)
{
    struct stat facts {};
    if (stat(path.c_str(), &facts) != 0)
        return std::nullopt;
    return facts.st_mtime;
}

std::string exifDateTimeText(std::time_t when)
{
    std::tm local{};
    localtime_r(&when, &local);
    char text[32];
    std::strftime(text, sizeof text, "%Y:%m:%d %H:%M:%S", &local);
    return text;
}

void putExif(Exiv2::ExifData& exif, const PictureFacts& facts)
{
    exif["Exif.Image.Software"] = softwareName();
    if (facts.digitized)
        exif["Exif.Photo.DateTimeDigitized"] = exifDateTimeText(*facts.digitized);
    if (facts.recorded)
        exif["Exif.Photo.DateTimeOriginal"] = exifDateTimeText(*facts.recorded);
    if (facts.timeCode != invalidTimeCode)
        exif["Exif.Photo.UserComment"] = "charset=Ascii " + timeCodeComment(facts.timeCode);
}

void putXmp(Exiv2::XmpData& xmp, const PictureFacts& facts)
{
    if (facts.timeCode != invalidTimeCode) {
        Exiv2::XmpTextValue timeCode;
        timeCode.setXmpStruct();
        xmp.add(Exiv2::XmpKey("Xmp.xmpDM.startTimeCode"), &timeCode);
        xmp["Xmp.xmpDM.startTimeCode/xmpDM:timeFormat"] =
            std::to_string(timeCodeRate(facts.system)) + "Timecode";
        xmp["Xmp.xmpDM.startTimeCode/xmpDM:timeValue"] = facts.timeCode;
    }
    const DvSystemFacts& system = factsOf(facts.system);
    // The frame-rate choices of the XMP schema name the two television systems.
    xmp["Xmp.xmpDM.videoFrameRate"] = system.timeCodeFramesPerSecond == 25 ? "PAL" : "NTSC";
    xmp[std::string("Xmp.") + factsPrefix + ".videoSystem"] =
        std::string(system.name) + " lines/" + std::to_string(2 * system.timeCodeFramesPerSecond) + " Hz";
    xmp[std::string("Xmp.") + factsPrefix + ".wide"] = facts.wide ? "True" : "False";
}

} // namespace

PictureFacts pictureFactsOf(const PictureRecord& record)
{
    PictureFacts facts;
    facts.timeCode = record.timeCode;
    facts.system = record.videoSystem();
    facts.wide = record.wide;
    facts.recorded = record.recorded;
    facts.digitized = modificationTimeOf(record.path);
    return facts;
}

int timeCodeRate(DvSystem system) { return factsOf(system).timeCodeFramesPerSecond; }

std::string timeCodeComment(const std::string& timeCode) { return "Time code " + timeCode; }

std::string softwareName() { return std::string("Vantrel ") + VANTREL_VERSION; }

bool putPictureFacts(QByteArray& picture, const PictureFacts& facts)
{
    prepareLibrary();
    try {
        const auto image = Exiv2::ImageFactory::open(reinterpret_cast<const Exiv2::byte*>(picture.constData()),
                                                     static_cast<long>(picture.size()));
        if (!image.get())
            return false;
        Exiv2::ExifData exif;
        Exiv2::XmpData xmp;
        putExif(exif, facts);
        putXmp(xmp, facts);
        image->setExifData(exif);
        image->setXmpData(xmp);
        image->writeMetadata();
        Exiv2::BasicIo& io = image->io();
        if (io.open() != 0)
            return false;
        const Exiv2::DataBuf bytes = io.read(static_cast<long>(io.size()));
        if (bytes.size_ <= 0 || static_cast<size_t>(bytes.size_) != io.size())
            return false;
        picture = QByteArray(reinterpret_cast<const char*>(bytes.pData_), bytes.size_);
        return true;
    } catch (const std::exception&) {
        // exiv2 reports bytes it cannot read or write by throwing; no throw leaves here.
        return false;
    }
}

} // namespace vantrel
