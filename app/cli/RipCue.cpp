#include "RipCue.h"

#include "app/verify/CueSheet.h"
#include "app/verify/DiscIds.h"

#include <cstdio>

namespace
{

std::string BaseName(const std::string& path)
{
    const size_t cut = path.find_last_of('/');
    return cut == std::string::npos ? path : path.substr(cut + 1);
}

std::string Extension(const std::string& path)
{
    const std::string base = BaseName(path);
    const size_t dot = base.find_last_of('.');
    return dot == std::string::npos ? std::string() : base.substr(dot + 1);
}

} // namespace

std::string RipCueText(const verify::DiscToc& toc, const std::vector<CueFile>& files,
                       const std::string& folder, const lookup::DiscMetadata* disc, int firstTrack)
{
    verify::CueSheet sheet;
    if (disc) {
        sheet.title = disc->title;
        sheet.performer = disc->artist;
        // A UPC is an EAN with a leading zero, the form of the disc's MCN.
        sheet.catalog = disc->catalogue.size() == 12 ? "0" + disc->catalogue : disc->catalogue;
    }
    char freedb[16];
    std::snprintf(freedb, sizeof freedb, "%08X", verify::FreedbDiscId(toc));
    sheet.remarks.push_back(std::string("DISCID ") + freedb);
    if (const auto ar = verify::AccurateRipId(toc))
        sheet.remarks.push_back("ACCURATERIPID " + ar->Name().substr(5));
    sheet.remarks.push_back("COMMENT \"VeltraCDRip " VELTRA_VERSION "\"");
    for (const CueFile& f : files) {
        const verify::TocTrack* t = toc.Find(f.number);
        if (!t || t->data) continue;
        verify::CueTrack c;
        c.number = t->number;
        // Files in folders of a name template are named from the sheet's folder.
        const std::string prefix = folder + "/";
        c.file = f.path.compare(0, prefix.size(), prefix) == 0 ? f.path.substr(prefix.size())
                                                               : BaseName(f.path);
        if (disc) {
            if (const lookup::TrackMetadata* m = disc->Track(c.number, firstTrack)) {
                c.title = m->title;
                c.performer = m->artist;
                c.isrc = m->isrc;
            }
        }
        c.fileType = verify::CueFileType(Extension(f.path));
        // Audio before track 1 that no file holds (the hidden track, or a longer pregap).
        if (t->number == toc.tracks.front().number) c.pregap = t->start;
        c.copyPermitted = t->copyPermitted;
        c.preEmphasis = t->preEmphasis;
        sheet.tracks.push_back(c);
    }
    return verify::CueSheetText(sheet);
}
