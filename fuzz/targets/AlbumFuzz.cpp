// Album files as a user opens them: every record read, written as a side file and added to the
// album with its thumbnail; the album is emptied again after each input.
#include "../FuzzTarget.h"
#include "../SilentPrompts.h"

#include "album/Album.h"
#include "image/DvCodec.h"

VANTREL_FUZZ_TARGET(album)
{
    static const bool loaded = vantrel::DvcLoad();
    vantrel::fuzz::check(loaded, "the DV codec loads");
    const std::string& path = vantrel::fuzz::asFile("album.zal", data, size);
    vantrel::Album album(vantrel::fuzz::scratchFolder("album-home"));
    vantrel::fuzz::SilentPrompts prompts;
    album.openAlbum(path, prompts);
    vantrel::fuzz::check(album.count() <= vantrel::albumMaxPictures, "an album holds at most 99 pictures");
    for (int place = 1; place <= album.count(); ++place)
        vantrel::fuzz::check(album.place(place).timeCode.size() == 11, "every place has a time code");
    album.clear();
}
