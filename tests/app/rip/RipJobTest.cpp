// The rip command and the job set-up through the real CD-access and encoder libraries on
// generated disc images.
#include "app/rip/RipJob.h"
#include "app/cd/Drive.h"
#include "app/rip/RipCommand.h"

#include "discimage/DiscImage.h"
#include "support/FakeProgress.h"
#include "support/TestSupport.h"
#include "support/WavFile.h"

#include "Veltraenc.h"

#include <functional>
#include <gtest/gtest.h>
#include <stdexcept>
#include <thread>

using testsupport::ReadFile;
using testsupport::TempDir;

namespace
{

// The shared sink, with the thread that cancels as the dialog's button does.
class TestDialog : public testsupport::FakeProgress
{
public:
    ~TestDialog() override
    {
        if (canceller.joinable()) canceller.join();
    }
    std::thread canceller;
};

class TestFrontEnd : public RipFrontEnd
{
public:
    RipResult RunTrack(TrackRecord& record) override
    {
        dialogs.push_back(std::make_unique<TestDialog>());
        TestDialog& dialog = *dialogs.back();
        dialog.answer = [this, record] { return overwrite(record); };
        if (configure) configure(dialog);
        records.push_back(record);
        StartRipJob(&dialog, record, settings);
        return dialog.Wait();
    }
    void ShowMessage(const char* text) override { messages.push_back(text); }

    RipSettings settings;
    std::function<bool(const TrackRecord&)> overwrite = [](const TrackRecord&) { return true; };
    std::function<void(TestDialog&)> configure;
    std::vector<std::unique_ptr<TestDialog>> dialogs;
    std::vector<TrackRecord> records;
    std::vector<std::string> messages;
};

class RipJobTest : public ::testing::Test
{
protected:
    void Load(const std::vector<uint32_t>& lengths, const std::string& faults = "")
    {
        discimage::DiscLayout layout;
        layout.audioLengths = lengths;
        auto image = discimage::WriteDiscImage(layout, discs / "disc");
        starts = image.trackStarts;
        if (!faults.empty()) testsupport::WriteFile(image.descriptorPath + ".faults", faults);
        setenv("VELTRARIP32_IMAGES", image.descriptorPath.c_str(), 1);
        ReadDriveList();
        ASSERT_NE(OpenDrive(), 0u);
        RefreshTrackList(list);
        list.CheckAll(true);
        ui.settings.encoderType = XT_ENCODER_WAV;
        ui.settings.outputFolder = out.path();
    }
    std::vector<uint8_t> Wav(const std::string& name)
    {
        return testsupport::ReadWav(out / (name + ".wav")).data;
    }
    std::vector<uint8_t> Track(size_t i, uint32_t length)
    {
        auto pcm = discimage::PatternBytes(starts[i], length);
        return pcm;
    }

    TempDir discs, out;
    TrackList list;
    TestFrontEnd ui;
    std::vector<uint32_t> starts;
};

} // namespace

TEST_F(RipJobTest, TicksRowsAreRippedInOrderAndMarkedComplete)
{
    Load({75, 1, 28});
    RipCommand(list, ui);
    ASSERT_EQ(ui.records.size(), 3u);
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(ui.records[i].rowNumber, i + 1);
        EXPECT_EQ(ui.records[i].ripFlag, 1);
        EXPECT_EQ(list.row(i).status, "complete");
    }
    EXPECT_EQ(Wav("Track 01"), Track(0, 75));
    EXPECT_EQ(Wav("Track 02"), Track(1, 1)); // a one-frame track keeps its frame
    EXPECT_EQ(Wav("Track 03"), Track(2, 28));
    EXPECT_TRUE(ui.messages.empty());
}

TEST_F(RipJobTest, NoTickedRowShowsTheMessageOnce)
{
    Load({75});
    list.CheckAll(false);
    RipCommand(list, ui);
    EXPECT_EQ(ui.messages, std::vector<std::string>{"You must select one Item to operate it!"});
    TrackList empty;
    ui.messages.clear();
    RipCommand(empty, ui);
    EXPECT_EQ(ui.messages.size(), 1u);
    EXPECT_TRUE(ui.records.empty());
}

TEST_F(RipJobTest, DecliningTheOverwriteSkipsOnlyThatTrackAndLeavesItsFileAlone)
{
    Load({30, 30, 30});
    testsupport::WriteFile(out / "Track 02.wav", "keep me");
    ui.overwrite = [](const TrackRecord& r) { return std::string(r.name) != "Track 02"; };
    RipCommand(list, ui);
    EXPECT_EQ(list.row(0).status, "complete");
    EXPECT_EQ(list.row(1).status, "");
    EXPECT_EQ(list.row(2).status, "complete");
    EXPECT_EQ(ReadFile(out / "Track 02.wav"), "keep me");
    EXPECT_EQ(ui.dialogs[1]->questions(),
              std::vector<std::string>{
                  "Overwrite?|The output file already exists.  Click OK to overwrite "
                  "the file, or Cancel to quit."});
    EXPECT_EQ(ui.dialogs[1]->Wait(), RipResult::Cancelled); // closed already: its first close
    EXPECT_EQ(Wav("Track 03"), Track(2, 30));
}

TEST_F(RipJobTest, EarlyEndsGiveTheirStreamBackSoHandlesNeverRunOut)
{
    Load({10});
    testsupport::WriteFile(out / "Track 01.wav", "x");
    ui.overwrite = [](const TrackRecord&) { return false; };
    for (int i = 0; i < 40; ++i)
        RipCommand(list, ui);
    const int h = xtGetEncoder(XT_ENCODER_WAV);
    EXPECT_NE(h, 0);
    xtClose(h);
    ui.overwrite = [](const TrackRecord&) { return true; };
    RipCommand(list, ui);
    EXPECT_EQ(list.row(0).status, "complete");
}

TEST_F(RipJobTest, AnOutputThatCannotBeOpenedIsReportedAndSkipped)
{
    Load({10});
    testsupport::WriteFile(out / "file", "");
    ui.settings.outputFolder = out / "file"; // a file where the folder should be
    RipCommand(list, ui);
    EXPECT_EQ(ui.dialogs[0]->errors(),
              std::vector<std::string>{"Error|The output file could not be opened!"});
    EXPECT_EQ(list.row(0).status, "");
}

TEST_F(RipJobTest, CancelDuringTheRipLeavesAShorterValidFileAndNoMark)
{
    Load({3000}, "delay * 2\n"); // a slow drive
    ui.configure = [](TestDialog& d) {
        d.onPosition = [&d](int percent) {
            if (percent == 5) {
                // The dialog's Cancel, from another thread than the encoder thread.
                d.canceller = std::thread([&d] {
                    CancelRipJob(g_ripJob);
                    d.Close(RipResult::Cancelled);
                });
            }
        };
    };
    RipCommand(list, ui);
    EXPECT_EQ(list.row(0).status, "");
    auto wav = testsupport::ReadWav(out / "Track 01.wav");
    ASSERT_GT(wav.fileSize, 44u);
    EXPECT_LT(wav.fileSize, 44u + 3000 * 2352);
    EXPECT_EQ(wav.dataSize, wav.fileSize - 44);
    auto expected = Track(0, 3000);
    EXPECT_TRUE(std::equal(wav.data.begin(), wav.data.end(), expected.begin()));
}

TEST_F(RipJobTest, AReadErrorEndsTheTrackUnmarkedAndTheNextTrackStillRips)
{
    Load({100, 100}, "error 50 2\n");
    RipCommand(list, ui);
    EXPECT_EQ(list.row(0).status, "");
    EXPECT_EQ(g_ripJob.readFailed.load(), 0); // cleared by the second track's set-up
    EXPECT_EQ(list.row(1).status, "complete");
    EXPECT_EQ(Wav("Track 02"), Track(1, 100));
    auto first = Wav("Track 01");
    EXPECT_EQ(first.size() % 4, 0u); // whole samples; what was still in the ring is dropped
    EXPECT_LT(first.size(), 100u * 2352);
}

TEST_F(RipJobTest, StatusFourAndJitterAreRecoveredBitForBit)
{
    Load({300}, "retry 40 2\nshift 120-130 12\nshift 200 -7 1\n");
    RipCommand(list, ui);
    EXPECT_EQ(list.row(0).status, "complete");
    EXPECT_EQ(Wav("Track 01"), Track(0, 300));
    EXPECT_GT(g_ripJob.retries.load(), 0u);
}

namespace
{
struct CollectingTap : PcmTap {
    void Pcm(const uint8_t* bytes, uint32_t count) override
    {
        pcm.insert(pcm.end(), bytes, bytes + count);
    }
    std::vector<uint8_t> pcm;
};
} // namespace

TEST_F(RipJobTest, TheTapSeesEveryByteAndNoWriteLeavesNoFileAndAsksNothing)
{
    Load({100});
    testsupport::WriteFile(out / "Track 01.wav", "existing");
    CollectingTap tap;
    ui.settings.tap = &tap;
    ui.settings.noWrite = true;
    ui.overwrite = [](const TrackRecord&) -> bool { throw std::logic_error("asked"); };
    RipCommand(list, ui);
    EXPECT_EQ(list.row(0).status, "complete");
    EXPECT_EQ(tap.pcm, Track(0, 100));
    EXPECT_TRUE(ui.dialogs[0]->questions().empty());
    EXPECT_EQ(ReadFile(out / "Track 01.wav"), "existing");
}
