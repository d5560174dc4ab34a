// Opening the first drive that answers and refreshing the track list, through the real
// CD-access library on generated images.
#include "Drive.h"
#include "Toc.h"

#include "support/TestDisc.h"

#include <cstring>
#include <fstream>
#include <gtest/gtest.h>
#include <regex>

using testsupport::TempDir;

namespace
{

void UseImages(DriveState& drive, const std::string& list)
{
    testsupport::UseDiscImages(list);
    ReadDriveList(drive);
}

// Writes the disc, makes it the only drive and opens it.
CDHANDLE OpenDisc(DriveState& drive, const TempDir& dir, const discimage::DiscLayout& layout)
{
    UseImages(drive, testsupport::WriteTestDisc(dir, layout).image.descriptorPath);
    return OpenDrive(drive);
}

uint32_t MsfFrames(const std::string& msf)
{
    int m = 0, s = 0, f = 0;
    std::sscanf(msf.c_str(), "%d:%d:%d", &m, &s, &f);
    return static_cast<uint32_t>((m * 60 + s) * 75 + f);
}

// Audio track starts and lengths (index 01 to index 01) and the data track's length, read from
// a cdrdao toc file of a real Enhanced CD.
struct RealLayout {
    std::vector<uint32_t> starts;
    uint32_t audioEnd = 0;
    uint32_t dataLength = 0;
};

RealLayout ReadRealLayout(const std::string& path)
{
    std::ifstream in(path);
    std::string line;
    RealLayout layout;
    std::regex file(R"(FILE "[^"]+" (\S+) (\S+))"), start(R"(^START (\S+))"),
        data(R"(DATAFILE "[^"]+" (\S+))");
    bool inData = false;
    while (std::getline(in, line)) {
        std::smatch m;
        if (line.rfind("TRACK ", 0) == 0) inData = line.find("AUDIO") == std::string::npos;
        if (!inData && std::regex_search(line, m, file)) {
            const uint32_t at = m[1] == "0" ? 0 : MsfFrames(m[1]);
            layout.starts.push_back(at);
            layout.audioEnd = at + MsfFrames(m[2]);
        } else if (!inData && std::regex_search(line, m, start)) {
            layout.starts.back() += MsfFrames(m[1]);
        } else if (inData && std::regex_search(line, m, data)) {
            layout.dataLength = MsfFrames(m[1]);
        }
    }
    return layout;
}

} // namespace

TEST(Drive, OpensTheFirstDriveThatAnswers)
{
    DriveState drive;
    TempDir dir;
    auto image = testsupport::WriteTestDisc(dir, {300}).image;
    UseImages(drive, dir / "missing.cue" + ":" + image.descriptorPath);
    ASSERT_EQ(drive.driveList.found, 2);
    EXPECT_NE(OpenDrive(drive), 0u);
    TrackList list;
    RefreshTrackList(drive, list);
    ASSERT_EQ(list.size(), 1u);
    EXPECT_EQ(list.row(0).record.length, 300u);
    // Re-opening closes the old handle first.
    CDHANDLE again = OpenDrive(drive);
    EXPECT_NE(again, 0u);
    EXPECT_EQ(drive.handle, again);
}

TEST(Drive, NoDriveLeavesTheListEmpty)
{
    DriveState drive;
    UseImages(drive, std::string("/nonexistent/a.cue"));
    EXPECT_EQ(OpenDrive(drive), 0u);
    TrackList list;
    list.Append(TrackRecord{}, "00:00");
    RefreshTrackList(drive, list);
    EXPECT_TRUE(list.empty());
}

TEST(Drive, RefreshRowsForAnEnhancedCdAndTwoRefreshesGiveTheSameRows)
{
    DriveState drive;
    TempDir dir;
    discimage::DiscLayout layout;
    layout.audioLengths = {4500, 4500, 4500, 4500, 4500, 4500, 4500, 4500, 4500, 6000};
    layout.dataLength = 2000;
    ASSERT_NE(OpenDisc(drive, dir, layout), 0u);
    TrackList list;
    RefreshTrackList(drive, list);
    ASSERT_EQ(list.size(), 11u);
    EXPECT_EQ(list.row(9).name, "Track 10");
    EXPECT_EQ(list.row(9).record.length, 6000u); // ends where its audio ends
    EXPECT_EQ(list.row(9).time, "01:20");
    EXPECT_EQ(list.row(10).name, "Data Track");
    EXPECT_EQ(list.row(10).record.length, 2000u);
    EXPECT_EQ(list.row(0).selected, "selected");
    EXPECT_TRUE(list.row(0).status.empty());
    EXPECT_FALSE(list.row(0).checked);

    TrackList again;
    RefreshTrackList(drive, again);
    ASSERT_EQ(again.size(), list.size());
    for (size_t i = 0; i < list.size(); ++i)
        EXPECT_EQ(std::memcmp(&again.row(i).record, &list.row(i).record, sizeof(TrackRecord)), 0);
}

TEST(Drive, RealEnhancedCdLayoutsListEveryAudioTrackAtItsTrueLength)
{
    DriveState drive;
    for (const char* name : {"whipper/ladyhawke.toc"}) {
        RealLayout real = ReadRealLayout(testsupport::SharedTestData() + "/toc/" + name);
        ASSERT_EQ(real.starts.size(), 12u) << name;
        ASSERT_GT(real.dataLength, 0u);
        discimage::DiscLayout layout;
        for (size_t i = 0; i < real.starts.size(); ++i)
            layout.audioLengths.push_back(
                (i + 1 < real.starts.size() ? real.starts[i + 1] : real.audioEnd) - real.starts[i]);
        // The generated image starts track 1 at frame 0, as the real disc's index 1 does.
        ASSERT_EQ(real.starts[0], 0u);
        layout.dataLength = real.dataLength;
        layout.audio = discimage::Audio::Silence;
        TempDir dir;
        ASSERT_NE(OpenDisc(drive, dir, layout), 0u);
        TrackList list;
        RefreshTrackList(drive, list);
        ASSERT_EQ(list.size(), 13u);
        for (size_t i = 0; i < 12; ++i) {
            EXPECT_EQ(list.row(i).record.startFrame, real.starts[i]) << i;
            EXPECT_EQ(list.row(i).record.length, layout.audioLengths[i]) << i;
        }
        EXPECT_EQ(list.row(11).record.startFrame + list.row(11).record.length, real.audioEnd);
        EXPECT_EQ(list.row(12).name, "Data Track");
        EXPECT_EQ(list.row(12).record.length, real.dataLength);
    }
}
