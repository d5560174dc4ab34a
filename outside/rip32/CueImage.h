// A disc image described by a cue sheet: the disc the sheet describes, laid out from its data
// files (frame positions across files, gaps of silence the files do not hold) and read frame by
// frame. A sheet or data file that does not add up is refused with the file, line and reason.
#pragma once

#include "CueSheet.h"
#include "DataFile.h"

#include "Veltrarip32.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace rip32
{

class CueImage
{
public:
    // Null when refused; `refusal` then names the file, the sheet's line and what is wrong.
    static std::unique_ptr<CueImage> Open(const std::string& sheetPath, std::string& refusal);
    // The data files the sheet names, as found beside it.
    const std::vector<std::string>& dataPaths() const { return dataPaths_; }

    const CueSheet& sheet() const { return sheet_; }
    int64_t leadout() const { return leadout_; }
    // Fills the READ TOC response: track starts (INDEX 01) and the lead-out.
    void ReadToc(CDTocRecord& toc, uint32_t addressForm) const;
    // Frames [first, first + count): off the disc they read as zeros; false when a file no
    // longer holds what it held at the open.
    bool ReadFrames(int64_t first, uint32_t count, uint8_t* out);

private:
    CueImage() = default;
    bool Lay(const std::string& sheetPath, std::string& refusal);

    struct Segment {
        int64_t discStart;
        int64_t length;
        int file;          // -1: silence
        int64_t fileFrame; // first frame in the file
    };
    struct TocTrack {
        int number;
        int64_t start;
        uint8_t control;
    };

    CueSheet sheet_;
    std::vector<std::unique_ptr<DataFile>> files_;
    std::vector<std::string> dataPaths_;
    std::vector<Segment> segments_;
    std::vector<TocTrack> tracks_;
    int64_t leadout_ = 0;
};

// True for a file the cue-sheet reader takes (by its name: ".cue" in any case).
bool IsCueSheetPath(const std::string& path);

} // namespace rip32
