// The AccurateRip look-up before a verified rip, run off the user-interface thread: a small
// modal dialog with one line and Cancel that ends by itself once the database has answered.
#pragma once

#include "app/verify/AccurateRipLookup.h"

#include <QDialog>

#include <atomic>
#include <thread>

class QLabel;
class QPushButton;

class CArLookupDlg : public QDialog
{
    Q_OBJECT

public:
    CArLookupDlg(verify::AccurateRipDiscId disc, verify::ArLookupSettings settings,
                 QWidget* parent = nullptr);
    // Waits for the look-up, which the cancel flag cuts short.
    ~CArLookupDlg() override;

    // Accepted once the look-up has answered; rejected when it was cancelled.
    const verify::ArLookupResult& result() const { return result_; }
    QPushButton* cancelButton() const { return cancelButton_; }

public slots:
    // Cancel, Esc and the close box: the look-up is told to stop; the dialog ends as soon as
    // it has.
    void reject() override;

protected:
    void showEvent(QShowEvent* event) override;

private:
    verify::AccurateRipDiscId disc_;
    verify::ArLookupSettings settings_;
    verify::ArLookupResult result_;
    std::atomic<bool> cancel_{false};
    bool finished_ = false;
    std::thread worker_;
    QLabel* text_ = nullptr;
    QPushButton* cancelButton_ = nullptr;
};
