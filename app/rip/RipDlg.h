// The modal progress dialog of one track ("RIP TRACKS"): it starts the track's rip job, shows
// the meter the encoder thread moves, and ends once, on the first of the set-up's early close,
// Cancel and the encoder thread's close.
#pragma once

#include "PercentMeter.h"
#include "RipJob.h"
#include "RipProgress.h"

#include "app/cd/TrackRecord.h"

#include <QDialog>

#include <atomic>

class QLabel;
class QPushButton;

constexpr int kIdRipMeter = 1028;
constexpr int kIdRipTrackText = 1029;

class CRipDlg : public QDialog, public RipProgress
{
    Q_OBJECT

public:
    // The dialog starts and cancels `job` (none: nothing starts, as in a preview).
    CRipDlg(const TrackRecord& record, const RipSettings& settings, QWidget* parent = nullptr,
            RipJob* job = nullptr);
    ~CRipDlg() override;

    // Worker threads: both only post to the user-interface thread and never wait for it.
    void SetPosition(int percent) override;
    void Close(RipResult result) override;
    // The set-up, on the user-interface thread: message boxes without an owner window.
    bool AskOverwrite(const char* caption, const char* text) override;
    void ShowError(const char* caption, const char* text) override;
    uint32_t ClosePauseMs() const override { return 1000; }

    // The result of an ended dialog: Finished only for the encoder thread's normal close.
    static RipResult ResultOf(int dialogCode)
    {
        return dialogCode == QDialog::Accepted ? RipResult::Finished : RipResult::Cancelled;
    }

    CPercentMeter* meter() const { return meter_; }
    QPushButton* cancelButton() const { return cancel_; }
    QString trackText() const;

public slots:
    // Cancel, Esc and the close box: the job's threads are told to stop and the dialog ends at
    // once; they wind down by themselves.
    void reject() override;

protected:
    void showEvent(QShowEvent* event) override;
    // Meter to 0 of 100, then the job.
    virtual void OnInitDialog();
    virtual void StartJob();
    virtual void CancelJob();

private:
    TrackRecord record_;
    RipSettings settings_;
    RipJob* job_ = nullptr;
    CPercentMeter* meter_ = nullptr;
    QLabel* track_ = nullptr;
    QPushButton* cancel_ = nullptr;
    bool initialised_ = false;
    bool jobStarted_ = false;
    std::atomic<bool> closed_{false};
};
