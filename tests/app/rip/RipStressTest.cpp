// Long runs and cancel storms through the real libraries: nothing leaks, nothing deadlocks,
// every output file stays valid.
#include "app/cd/Drive.h"
#include "app/rip/RipCommand.h"
#include "app/rip/RipJob.h"

#include "discimage/DiscImage.h"
#include "platform/Thread.h"
#include "support/FakeProgress.h"
#include "support/TestSupport.h"
#include "support/WavFile.h"

#include "Veltraenc.h"

#include <atomic>
#include <gtest/gtest.h>
#include <mutex>
#include <random>
#include <thread>

using testsupport::TempDir;

namespace
{

// A dialog that cancels itself at a chosen moment, the way the user's Cancel does (from the
// user-interface thread, never the encoder thread).
class CancellingDialog : public testsupport::FakeProgress
{
public:
    enum class When { Never, AfterSetUp, AtPercent, AtTheEnd };
    CancellingDialog(When when, int percent) : when_(when), percent_(percent)
    {
        onPosition = [this](int at) {
            if ((when_ == When::AtPercent && at >= percent_) ||
                (when_ == When::AtTheEnd && at == 100))
                Cancel();
        };
    }
    ~CancellingDialog() override { JoinCanceller(); }
    // The real Cancel runs on the thread that then finishes the job: the cancel ends first.
    void JoinCanceller()
    {
        std::thread canceller;
        {
            std::lock_guard<std::mutex> lock(cancellerMutex_);
            canceller = std::move(canceller_);
        }
        if (canceller.joinable()) canceller.join();
    }
    void Started()
    {
        if (when_ == When::AfterSetUp) Cancel();
    }

private:
    void Cancel()
    {
        bool expected = false;
        if (!cancelled_.compare_exchange_strong(expected, true)) return;
        // The encoder thread starts the canceller: its handle is stored before it may close.
        std::lock_guard<std::mutex> lock(cancellerMutex_);
        canceller_ = std::thread([this] {
            {
                std::lock_guard<std::mutex> stored(cancellerMutex_);
            }
            CancelRipJob(*job);
            Close(RipResult::Cancelled);
        });
    }

public:
    RipJob* job = nullptr;

private:
    When when_;
    int percent_;
    std::atomic<bool> cancelled_{false};
    std::mutex cancellerMutex_;
    std::thread canceller_;
};

class StressFrontEnd : public RipFrontEnd
{
public:
    RipResult RunTrack(TrackRecord& record, RipJob& job) override
    {
        if (before) before();
        CancellingDialog dialog(when, percent);
        dialog.job = &job;
        StartRipJob(job, &dialog, record, settings);
        dialog.Started();
        const RipResult result = dialog.Wait();
        dialog.JoinCanceller();
        FinishRipJob(job); // the threads use the dialog until they end
        return result;
    }
    void ShowMessage(const char*) override {}
    RipSettings settings;
    CancellingDialog::When when = CancellingDialog::When::Never;
    int percent = 0;
    std::function<void()> before;
};

void LoadDisc(DriveState& drive, const TempDir& dir, std::vector<uint32_t> lengths, TrackList& list,
              const std::string& faults = "")
{
    discimage::DiscLayout layout;
    layout.audioLengths = std::move(lengths);
    auto image = discimage::WriteDiscImage(layout, dir / "disc");
    if (!faults.empty()) testsupport::WriteFile(image.descriptorPath + ".faults", faults);
    setenv("VELTRARIP32_IMAGES", image.descriptorPath.c_str(), 1);
    ReadDriveList(drive);
    ASSERT_NE(OpenDrive(drive), 0u);
    RefreshTrackList(drive, list);
    list.CheckAll(true);
}

bool ValidFile(int type, const std::string& path)
{
    switch (type) {
    case XT_ENCODER_WAV:
        return testsupport::ReadWav(path).Consistent();
    case XT_ENCODER_VORB:
        // A stream cancelled before any audio holds only its header pages: it decodes to
        // nothing, as oggenc's does.
        return testsupport::Run({"/usr/bin/oggdec", "-Q", "-o", "/dev/null", path}).exitCode == 0;
    default: {
        // The decoder reads the whole file and fails on a broken one.
        auto run = testsupport::Run({"/usr/bin/mpg123", "-q", "-t", path});
        return run.exitCode == 0 && run.err.find("error") == std::string::npos;
    }
    }
}

// Threads that have been joined can stay listed by the kernel for a moment after they ended.
int SettledThreadCount(int expected)
{
    int n = plat::CountProcessThreads();
    for (int i = 0; i < 200 && n > expected; ++i) {
        plat::Sleep(5);
        n = plat::CountProcessThreads();
    }
    return n;
}

const char* Extension(int type)
{
    return type == XT_ENCODER_WAV ? "wav" : type == XT_ENCODER_VORB ? "ogg" : "MP3";
}

} // namespace

TEST(RipStress, FortyTracksInARowLeakNoThreadHandleOrStream)
{
    TempDir dir, out;
    TrackList list;
    DriveState drive;
    LoadDisc(drive, dir, std::vector<uint32_t>(40, 12), list);
    StressFrontEnd ui;
    ui.settings.encoderType = XT_ENCODER_WAV;
    ui.settings.outputFolder = out.path();
    const int threads = testsupport::BaselineThreadCount();
    int tracks = 0;
    ui.before = [&] {
        // Each earlier track's threads have ended and its stream is gone.
        EXPECT_EQ(SettledThreadCount(threads), threads) << "before track " << tracks + 1;
        ++tracks;
    };
    RipCommand(list, ui, drive.handle);
    EXPECT_EQ(tracks, 40);
    for (size_t i = 0; i < list.size(); ++i)
        EXPECT_EQ(list.row(i).status, "complete") << i;
    EXPECT_EQ(SettledThreadCount(threads), threads);
    // All 32 stream handles are free again.
    std::vector<int> handles;
    for (int i = 0; i < XT_MAX_STREAMS; ++i)
        handles.push_back(xtGetEncoder(XT_ENCODER_RAW));
    for (int h : handles)
        EXPECT_NE(h, 0);
    EXPECT_EQ(xtGetEncoder(XT_ENCODER_RAW), 0);
    for (int h : handles)
        xtClose(h);
}

TEST(RipStress, AHundredCancelsAtRandomMomentsLeaveValidFiles)
{
    std::vector<int> types{XT_ENCODER_WAV};
    for (int t : {XT_ENCODER_LAME2, XT_ENCODER_VORB})
        if (xtEncoderAvail(t)) types.push_back(t);
    std::mt19937 random(20261207);
    TempDir dir;
    TrackList list;
    DriveState drive;
    LoadDisc(drive, dir, {150}, list, "delay * 1\n"); // slow enough to cancel in the middle
    const int threads = testsupport::BaselineThreadCount();
    int cancelled = 0;
    for (int round = 0; round < 100; ++round) {
        TempDir out;
        StressFrontEnd ui;
        const int type = types[round % types.size()];
        ui.settings.encoderType = type;
        ui.settings.outputFolder = out.path();
        ui.when = static_cast<CancellingDialog::When>(1 + random() % 3);
        ui.percent = static_cast<int>(random() % 100);
        list.row(0).status.clear();
        RipCommand(list, ui, drive.handle); // deadlock shows as a test time-out
        const std::string file = out / (std::string("Track 01.") + Extension(type));
        ASSERT_TRUE(testsupport::FileExists(file)) << round;
        EXPECT_TRUE(ValidFile(type, file)) << "round " << round << " type " << type;
        // A cancel that comes after the encoder thread's finished close is too late.
        if (list.row(0).status != "complete") {
            ++cancelled;
        } else if (type == XT_ENCODER_WAV) {
            EXPECT_EQ(testsupport::FileSize(file), 44 + 150 * 2352) << round;
        }
        EXPECT_EQ(SettledThreadCount(threads), threads) << round;
    }
    EXPECT_GE(cancelled, 50); // most cancels come in time: the storm is real
}
