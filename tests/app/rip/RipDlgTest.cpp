// The progress dialog as the rip job's progress interface, without a job: its layout, the
// closes from other threads (first one wins, none blocks), Cancel, Enter and Esc.
#include "app/rip/RipDlg.h"

#include "GuiTestSupport.h"

#include "app/controls/DialogUnits.h"

#include <QLabel>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <future>
#include <thread>

using guitest::MessageBoxAnswerer;

namespace
{

// A dialog whose job is played by the test: StartJob runs `start`, CancelJob counts.
class TestRipDlg : public CRipDlg
{
public:
    using CRipDlg::CRipDlg;
    std::function<void(TestRipDlg&)> start;
    int starts = 0;
    int cancels = 0;

protected:
    void StartJob() override
    {
        ++starts;
        if (start) start(*this);
    }
    void CancelJob() override { ++cancels; }
};

TrackRecord Record(const char* name)
{
    TrackRecord record{};
    std::snprintf(record.name, sizeof record.name, "%s", name);
    record.length = 75;
    return record;
}

// Runs the dialog modally, with `whileOpen` called once from its loop.
int Exec(TestRipDlg& dialog, const std::function<void()>& whileOpen = {})
{
    if (whileOpen) QTimer::singleShot(20, whileOpen);
    return dialog.exec();
}

} // namespace

TEST(RipDlg, LayoutInDialogUnitsOfItsFont)
{
    TestRipDlg dialog(Record("Track 07"), RipSettings{});
    EXPECT_EQ(dialog.windowTitle(), "RIP TRACKS");
    EXPECT_EQ(dialog.trackText(), "Track 07");
    const QSize base = DialogBaseUnits(DialogFont("System", 10));
    EXPECT_EQ(dialog.size(), MapDialogSize({178, 79}, base));
    EXPECT_EQ(dialog.cancelButton()->text(), "Cancel");
    EXPECT_EQ(dialog.cancelButton()->geometry(), MapDialogRect({60, 53, 44, 14}, base));
    EXPECT_EQ(dialog.meter()->geometry(), MapDialogRect({53, 30, 107, 13}, base));
    QStringList labels;
    for (QLabel* label : dialog.findChildren<QLabel*>())
        labels << label->text();
    labels.sort();
    EXPECT_EQ(labels, QStringList({"Rip %", "Track 07", "Track:"}));
}

TEST(RipDlg, TheEncoderThreadsCloseEndsItAndPositionsReachTheMeter)
{
    TestRipDlg dialog(Record("Track 01"), RipSettings{});
    std::thread worker;
    dialog.start = [&](TestRipDlg& d) {
        EXPECT_EQ(d.meter()->position(), 0);
        EXPECT_EQ(d.meter()->upper(), 100);
        worker = std::thread([&d] {
            for (int p = 1; p <= 100; ++p)
                d.SetPosition(p);
            d.Close(RipResult::Finished);
            d.Close(RipResult::Cancelled); // later closes have no effect
        });
    };
    EXPECT_EQ(CRipDlg::ResultOf(dialog.exec()), RipResult::Finished);
    worker.join();
    EXPECT_EQ(dialog.starts, 1);
    EXPECT_EQ(dialog.cancels, 0);
    QCoreApplication::processEvents();
    EXPECT_EQ(dialog.meter()->position(), 100);
}

TEST(RipDlg, AnEarlyCloseDuringTheSetUpEndsTheDialogCancelled)
{
    TestRipDlg dialog(Record("Track 01"), RipSettings{});
    dialog.start = [](TestRipDlg& d) { d.Close(RipResult::Cancelled); };
    EXPECT_EQ(CRipDlg::ResultOf(dialog.exec()), RipResult::Cancelled);
    EXPECT_EQ(dialog.cancels, 0); // nothing to cancel: no thread was started
}

TEST(RipDlg, CancelStopsTheJobEndsAtOnceAndLaterClosesHaveNoEffect)
{
    TestRipDlg dialog(Record("Track 01"), RipSettings{});
    const int code =
        Exec(dialog, [&] { QTest::mouseClick(dialog.cancelButton(), Qt::LeftButton); });
    EXPECT_EQ(CRipDlg::ResultOf(code), RipResult::Cancelled);
    EXPECT_EQ(dialog.cancels, 1);
    dialog.Close(RipResult::Finished); // the encoder thread winding down
    QCoreApplication::processEvents();
    EXPECT_EQ(dialog.result(), QDialog::Rejected);
    EXPECT_FALSE(dialog.isVisible());

    TestRipDlg escaped(Record("Track 02"), RipSettings{});
    EXPECT_EQ(Exec(escaped, [&] { QTest::keyClick(&escaped, Qt::Key_Escape); }), QDialog::Rejected);
    EXPECT_EQ(escaped.cancels, 1);

    TestRipDlg closed(Record("Track 03"), RipSettings{});
    EXPECT_EQ(Exec(closed, [&] { closed.close(); }), QDialog::Rejected); // the caption's close box
    EXPECT_EQ(closed.cancels, 1);
}

TEST(RipDlg, EnterNeitherCancelsNorFinishes)
{
    TestRipDlg dialog(Record("Track 01"), RipSettings{});
    bool visibleAfterEnter = false;
    const int code = Exec(dialog, [&] {
        QTest::keyClick(&dialog, Qt::Key_Return);
        QTest::keyClick(dialog.cancelButton(), Qt::Key_Return);
        visibleAfterEnter = dialog.isVisible();
        dialog.Close(RipResult::Finished);
    });
    EXPECT_TRUE(visibleAfterEnter);
    EXPECT_EQ(dialog.cancels, 0);
    EXPECT_EQ(code, QDialog::Accepted);
}

TEST(RipDlg, AClosePendingBeforeCancelWins)
{
    TestRipDlg dialog(Record("Track 01"), RipSettings{});
    const int code = Exec(dialog, [&] {
        dialog.Close(RipResult::Finished); // posted, not yet handled
        dialog.reject();                   // the user's Cancel right after
    });
    EXPECT_EQ(code, QDialog::Accepted);
    EXPECT_EQ(dialog.cancels, 0);
}

TEST(RipDlg, WorkersNeverWaitForTheUserInterfaceThread)
{
    // The user-interface thread waits for the worker (as the rip command waits for both
    // threads): the worker's positions and close must get through without it.
    TestRipDlg dialog(Record("Track 01"), RipSettings{});
    dialog.show();
    auto worker = std::async(std::launch::async, [&] {
        for (int p = 0; p <= 100; ++p)
            dialog.SetPosition(p);
        dialog.Close(RipResult::Finished);
    });
    ASSERT_EQ(worker.wait_for(std::chrono::seconds(20)), std::future_status::ready);
    EXPECT_TRUE(guitest::WaitUntil([&] { return !dialog.isVisible(); }));
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
}

TEST(RipDlg, PositionsStillQueuedWhenTheDialogGoesAreDropped)
{
    auto dialog = std::make_unique<TestRipDlg>(Record("Track 01"), RipSettings{});
    dialog->show();
    std::thread([&] {
        for (int p = 0; p < 500; ++p)
            dialog->SetPosition(p % 101);
        dialog->Close(RipResult::Finished);
    }).join();
    ASSERT_EQ(dialog->meter()->position(), 0); // nothing of it handled yet
    dialog.reset();                            // destroyed with its posted calls pending
    // A call that still reached it would be a use after free (the sanitizer build's catch).
    QCoreApplication::processEvents();
}

TEST(RipDlg, SetUpMessagesHaveNoOwnerWindow)
{
    TestRipDlg dialog(Record("Track 01"), RipSettings{});
    {
        MessageBoxAnswerer answers; // OK
        EXPECT_TRUE(dialog.AskOverwrite("Overwrite?", "The output file already exists."));
        dialog.ShowError("Error", "The output file could not be opened!");
        ASSERT_EQ(answers.seen.size(), 2u);
        EXPECT_EQ(answers.texts()[1], "Error|The output file could not be opened!");
        for (const auto& s : answers.seen) {
            EXPECT_FALSE(s.owned);
            EXPECT_EQ(s.icon, QMessageBox::Warning);
        }
    }
    MessageBoxAnswerer declines(
        [](const MessageBoxAnswerer::Seen&) { return QMessageBox::Cancel; });
    EXPECT_FALSE(dialog.AskOverwrite("Overwrite?", "The output file already exists."));
}
