// The rip command and the job set-up through the real CD-access and encoder libraries on
// generated disc images.
#include "app/rip/RipJob.h"
#include "app/cd/Drive.h"
#include "app/rip/RipCommand.h"

#include "discimage/DiscImage.h"
#include "support/TestSupport.h"

#include "Veltraenc.h"

#include <functional>
#include <gtest/gtest.h>
#include <mutex>
#include <stdexcept>
#include <thread>

using testsupport::ReadBytes;
using testsupport::ReadFile;
using testsupport::TempDir;

namespace
{

class TestDialog : public RipProgress
{
public:
    explicit TestDialog(std::function<bool()> overwrite)
        : overwrite_(std::move(overwrite)), closed_(plat::CreateEvent(true, false))
    {
    }
    ~TestDialog() override
    {
        if (canceller.joinable()) canceller.join();
        plat::CloseEvent(closed_);
    }
    void SetPosition(int percent) override
    {
        std::lock_guard<std::mutex> lock(mutex_);
        positions.push_back(percent);
        if (onPosition) onPosition(percent);
    }
    void Close(RipResult r) override
    {
        std::lock_guard<std::mutex> lock(mutex_);
        if (closes++ == 0) result = r;
        plat::SetEvent(closed_);
    }
    bool AskOverwrite(const char* caption, const char* text) override
    {
        questions.push_back(std::string(caption) + "|" + text);
        return overwrite_();
    }
    void ShowError(const char* caption, const char* text) override
    {
        errors.push_back(std::string(caption) + "|" + text);
    }
    uint32_t ClosePauseMs() const override { return 0; }
    RipResult Wait()
    {
        while (plat::WaitForEvent(closed_, plat::kInfinite) != plat::kWaitObject0) {
        }
        std::lock_guard<std::mutex> lock(mutex_);
        return result;
    }

    std::vector<int> positions;
    std::vector<std::string> questions, errors;
    RipResult result = RipResult::Cancelled;
    int closes = 0;
    std::function<void(int)> onPosition;
    std::thread canceller;
    RipJob* job = nullptr;

private:
    std::function<bool()> overwrite_;
    plat::EventHandle closed_;
    std::mutex mutex_;
};

class TestFrontEnd : public RipFrontEnd
{
public:
    RipResult RunTrack(TrackRecord& record, RipJob& job) override
    {
        dialogs.push_back(
            std::make_unique<TestDialog>([this, record] { return overwrite(record); }));
        TestDialog& dialog = *dialogs.back();
        dialog.job = &job;
        if (configure) configure(dialog);
        records.push_back(record);
        StartRipJob(job, &dialog, record, settings);
        const RipResult result = dialog.Wait();
        // The real Cancel runs on the thread that then finishes the job: the cancel ends first.
        if (dialog.canceller.joinable()) dialog.canceller.join();
        reports.push_back(FinishRipJob(job));
        return result;
    }
    void ShowMessage(const char* text) override { messages.push_back(text); }

    RipSettings settings;
    std::function<bool(const TrackRecord&)> overwrite = [](const TrackRecord&) { return true; };
    std::function<void(TestDialog&)> configure;
    std::vector<std::unique_ptr<TestDialog>> dialogs;
    std::vector<TrackRecord> records;
    std::vector<RipReport> reports;
    std::vector<std::string> messages;
};

class RipJobTest : public ::testing::Test
{
protected:
    void Load(const std::vector<uint32_t>& lengths, const std::string& faults = "",
              uint32_t dataLength = 0)
    {
        discimage::DiscLayout layout;
        layout.audioLengths = lengths;
        layout.dataLength = dataLength;
        auto image = discimage::WriteDiscImage(layout, discs / "disc");
        starts = image.trackStarts;
        if (!faults.empty()) testsupport::WriteFile(image.descriptorPath + ".faults", faults);
        setenv("VELTRARIP32_IMAGES", image.descriptorPath.c_str(), 1);
        ReadDriveList(drive);
        ASSERT_NE(OpenDrive(drive), 0u);
        RefreshTrackList(drive, list);
        list.CheckAll(true);
        ui.settings.encoderType = XT_ENCODER_WAV;
        ui.settings.outputFolder = out.path();
    }
    std::vector<uint8_t> Wav(const std::string& name) { return ReadBytes(out / (name + ".wav")); }
    std::vector<uint8_t> Track(size_t i, uint32_t length)
    {
        auto pcm = discimage::PatternBytes(starts[i], length);
        return pcm;
    }
    static std::vector<uint8_t> Data(const std::vector<uint8_t>& wav)
    {
        return wav.size() < 44 ? std::vector<uint8_t>{}
                               : std::vector<uint8_t>(wav.begin() + 44, wav.end());
    }

    TempDir discs, out;
    DriveState drive;
    TrackList list;
    TestFrontEnd ui;
    std::vector<uint32_t> starts;
};

} // namespace

TEST_F(RipJobTest, TicksRowsAreRippedInOrderAndMarkedComplete)
{
    Load({75, 1, 28});
    RipCommand(list, ui, drive.handle);
    ASSERT_EQ(ui.records.size(), 3u);
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(ui.records[i].rowNumber, i + 1);
        EXPECT_EQ(ui.records[i].ripFlag, 1);
        EXPECT_EQ(list.row(i).status, "complete");
    }
    EXPECT_EQ(Data(Wav("Track 01")), Track(0, 75));
    EXPECT_EQ(Data(Wav("Track 02")), Track(1, 1)); // a one-frame track keeps its frame
    EXPECT_EQ(Data(Wav("Track 03")), Track(2, 28));
    EXPECT_TRUE(ui.messages.empty());
}

TEST_F(RipJobTest, NoTickedRowShowsTheMessageOnce)
{
    Load({75});
    list.CheckAll(false);
    RipCommand(list, ui, drive.handle);
    EXPECT_EQ(ui.messages, std::vector<std::string>{"You must select one Item to operate it!"});
    TrackList empty;
    ui.messages.clear();
    RipCommand(empty, ui, drive.handle);
    EXPECT_EQ(ui.messages.size(), 1u);
    EXPECT_TRUE(ui.records.empty());
}

TEST_F(RipJobTest, DecliningTheOverwriteSkipsOnlyThatTrackAndLeavesItsFileAlone)
{
    Load({30, 30, 30});
    testsupport::WriteFile(out / "Track 02.wav", "keep me");
    ui.overwrite = [](const TrackRecord& r) { return std::string(r.name) != "Track 02"; };
    RipCommand(list, ui, drive.handle);
    EXPECT_EQ(list.row(0).status, "complete");
    EXPECT_EQ(list.row(1).status, "");
    EXPECT_EQ(list.row(2).status, "complete");
    EXPECT_EQ(ReadFile(out / "Track 02.wav"), "keep me");
    EXPECT_EQ(ui.dialogs[1]->questions,
              std::vector<std::string>{
                  "Overwrite?|The output file already exists.  Click OK to overwrite "
                  "the file, or Cancel to quit."});
    EXPECT_EQ(ui.dialogs[1]->result, RipResult::Cancelled);
    EXPECT_EQ(Data(Wav("Track 03")), Track(2, 30));
}

TEST_F(RipJobTest, EarlyEndsGiveTheirStreamBackSoHandlesNeverRunOut)
{
    Load({10});
    testsupport::WriteFile(out / "Track 01.wav", "x");
    ui.overwrite = [](const TrackRecord&) { return false; };
    for (int i = 0; i < 40; ++i)
        RipCommand(list, ui, drive.handle);
    const int h = xtGetEncoder(XT_ENCODER_WAV);
    EXPECT_NE(h, 0);
    xtClose(h);
    ui.overwrite = [](const TrackRecord&) { return true; };
    RipCommand(list, ui, drive.handle);
    EXPECT_EQ(list.row(0).status, "complete");
}

TEST_F(RipJobTest, AnOutputThatCannotBeOpenedIsReportedAndSkipped)
{
    Load({10});
    testsupport::WriteFile(out / "file", "");
    ui.settings.outputFolder = out / "file"; // a file where the folder should be
    RipCommand(list, ui, drive.handle);
    EXPECT_EQ(ui.dialogs[0]->errors,
              std::vector<std::string>{"Error|The output file could not be opened!"});
    EXPECT_EQ(list.row(0).status, "");
}

TEST_F(RipJobTest, WithNoStreamHandleFreeTheOpenErrorIsShownAndTheTrackSkipped)
{
    Load({10});
    std::vector<int> taken;
    for (int h = xtGetEncoder(XT_ENCODER_WAV); h != 0; h = xtGetEncoder(XT_ENCODER_WAV))
        taken.push_back(h);
    RipCommand(list, ui, drive.handle);
    for (int h : taken)
        xtClose(h);
    ASSERT_EQ(ui.dialogs.size(), 1u);
    EXPECT_EQ(ui.dialogs[0]->errors,
              std::vector<std::string>{"Error|The output file could not be opened!"});
    EXPECT_EQ(ui.dialogs[0]->result, RipResult::Cancelled);
    EXPECT_EQ(list.row(0).status, "");
}

TEST_F(RipJobTest, ATickedDataTrackIsPassedOverWithItsStatusAndNoFile)
{
    Load({20}, "", 40);
    ASSERT_EQ(list.size(), 2u);
    ASSERT_TRUE(list.row(1).checked);
    RipCommand(list, ui, drive.handle);
    ASSERT_EQ(ui.records.size(), 1u); // only the audio track reached a dialog
    EXPECT_EQ(list.row(0).status, "complete");
    EXPECT_EQ(list.row(1).status, "data track");
    EXPECT_TRUE(list.row(1).checked); // the tick stays as the window shows it
    EXPECT_FALSE(testsupport::FileExists(out / "Data Track.wav"));
    // Ticked alone, it is still a selection: no "select one" message.
    list.row(0).checked = false;
    ui.messages.clear();
    RipCommand(list, ui, drive.handle);
    EXPECT_TRUE(ui.messages.empty());
}

TEST_F(RipJobTest, CancelDuringTheRipLeavesAShorterValidFileAndNoMark)
{
    Load({3000}, "delay * 2\n"); // a slow drive
    ui.configure = [](TestDialog& d) {
        d.onPosition = [&d](int percent) {
            if (percent == 5) {
                // The dialog's Cancel, from another thread than the encoder thread.
                d.canceller = std::thread([&d] {
                    CancelRipJob(*d.job);
                    d.Close(RipResult::Cancelled);
                });
            }
        };
    };
    RipCommand(list, ui, drive.handle);
    EXPECT_EQ(list.row(0).status, "");
    auto wav = Wav("Track 01");
    ASSERT_GT(wav.size(), 44u);
    EXPECT_LT(wav.size(), 44u + 3000 * 2352);
    const uint32_t dataSize =
        wav[40] | (wav[41] << 8) | (wav[42] << 16) | (uint32_t(wav[43]) << 24);
    EXPECT_EQ(dataSize, wav.size() - 44);
    auto expected = Track(0, 3000);
    EXPECT_TRUE(std::equal(wav.begin() + 44, wav.end(), expected.begin()));
}

TEST_F(RipJobTest, AReadErrorEndsTheTrackUnmarkedAndTheNextTrackStillRips)
{
    Load({100, 100}, "error 50 2\n");
    RipCommand(list, ui, drive.handle);
    EXPECT_EQ(list.row(0).status, "");
    ASSERT_EQ(ui.reports.size(), 2u);
    EXPECT_TRUE(ui.reports[0].readFailed);
    EXPECT_FALSE(ui.reports[1].readFailed); // each track has a job of its own
    EXPECT_EQ(list.row(1).status, "complete");
    EXPECT_EQ(Data(Wav("Track 02")), Track(1, 100));
    auto first = Data(Wav("Track 01"));
    EXPECT_EQ(first.size() % 4, 0u); // whole samples; what was still in the ring is dropped
    EXPECT_LT(first.size(), 100u * 2352);
}

TEST_F(RipJobTest, StatusFourAndJitterAreRecoveredBitForBit)
{
    Load({300}, "retry 40 2\nshift 120-130 12\nshift 200 -7 1\n");
    RipCommand(list, ui, drive.handle);
    EXPECT_EQ(list.row(0).status, "complete");
    EXPECT_EQ(Data(Wav("Track 01")), Track(0, 300));
    EXPECT_GT(ui.reports.at(0).retries, 0u);
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
    RipCommand(list, ui, drive.handle);
    EXPECT_EQ(list.row(0).status, "complete");
    EXPECT_EQ(tap.pcm, Track(0, 100));
    EXPECT_TRUE(ui.dialogs[0]->questions.empty());
    EXPECT_EQ(ReadFile(out / "Track 01.wav"), "existing");
}
