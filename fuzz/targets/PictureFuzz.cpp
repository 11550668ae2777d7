// Bitmap and JPEG pictures as a user imports them: the kit's type test and load, then the whole
// import into a DVF file for every picture that loads.
#include "../FuzzTarget.h"

#include "image/Conversions.h"
#include "image/DvCodec.h"
#include "image/ImageDocument.h"
#include "image/ImageKit.h"

#include <cstdlib>

namespace {

// The import writes its work file into the program folder: a scratch folder of this process.
const std::string& scratchHome()
{
    const std::string& folder = vantrel::fuzz::scratchFolder("picture-home");
    setenv("VANTREL_HOME", folder.c_str(), 1);
    return folder;
}

std::string anyPath(const std::string& path, const std::string&, uint64_t, bool)
{
    return path;
}

} // namespace

VANTREL_FUZZ_TARGET(picture)
{
    static const bool loaded = vantrel::DvcLoad();
    static const std::string& home = scratchHome();
    vantrel::fuzz::check(loaded, "the DV codec loads");
    const std::string& path = vantrel::fuzz::asFile("picture", data, size);
    vantrel::ImgKitFileInfo info;
    const bool known = vantrel::ImgKitFileType(path, &info) != 0;
    vantrel::ImageDocument picture;
    if (!picture.load(path))
        return;
    vantrel::fuzz::check(known, "a picture that loads has a known type");
    vantrel::fuzz::check(picture.width > 0 && picture.height > 0, "a loaded picture has a size");
    const vantrel::ImageSettings settings;
    const std::string dvf = home + "/import.dvf";
    vantrel::importToDvf(path, dvf, settings, anyPath);
}
