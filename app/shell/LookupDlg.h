// The look-up of a disc, run off the user-interface thread: a small modal dialog with one line
// and Cancel that ends by itself once every source has answered.
#pragma once

#include "app/lookup/DiscLookup.h"

#include <QDialog>

#include <atomic>
#include <optional>
#include <thread>

class QLabel;
class QPushButton;

class CLookupDlg : public QDialog
{
    Q_OBJECT

public:
    // The disc's CD-Text, when it has any, answers after the network sources.
    CLookupDlg(lookup::DiscQuery query, lookup::LookupSettings settings,
               std::optional<lookup::DiscMetadata> cdText = std::nullopt,
               QWidget* parent = nullptr);
    // Waits for the look-up, which the cancel flag cuts short.
    ~CLookupDlg() override;

    // Accepted once the look-up has answered; rejected when it was cancelled.
    const lookup::SourceResult& result() const { return result_; }
    QPushButton* cancelButton() const { return cancelButton_; }

public slots:
    // Cancel, Esc and the close box: the look-up is told to stop; the dialog ends as soon as
    // it has.
    void reject() override;

protected:
    void showEvent(QShowEvent* event) override;

private:
    lookup::DiscQuery query_;
    lookup::LookupSettings settings_;
    std::optional<lookup::DiscMetadata> cdText_;
    lookup::SourceResult result_;
    std::atomic<bool> cancel_{false};
    bool finished_ = false;
    std::thread worker_;
    QLabel* text_ = nullptr;
    QPushButton* cancelButton_ = nullptr;
};
