// A small modal dialog with one line and Cancel that runs one piece of work off the
// user-interface thread and ends by itself once the work is done: the look-ups use it.
#pragma once

#include <QDialog>
#include <QString>

#include <atomic>
#include <functional>
#include <thread>

class QLabel;
class QPushButton;

class CWorkDlg : public QDialog
{
    Q_OBJECT

public:
    // Runs on a worker thread once the dialog shows; it should stop soon after `cancel` is set.
    // Whatever it works on must be its own (captured by value), as the dialog's subclass may
    // be gone before the worker ends.
    using Work = std::function<void(const std::atomic<bool>* cancel)>;

    CWorkDlg(const QString& title, const QString& text, Work work, QWidget* parent);
    // Waits for the work, which the cancel flag cuts short.
    ~CWorkDlg() override;

    QPushButton* cancelButton() const { return cancelButton_; }

public slots:
    // Cancel, Esc and the close box: the work is told to stop; the dialog ends (rejected) as
    // soon as it has. Work that ends without a cancel accepts the dialog.
    void reject() override;

protected:
    void showEvent(QShowEvent* event) override;

private:
    Work work_;
    std::atomic<bool> cancel_{false};
    bool finished_ = false;
    std::thread worker_;
    QLabel* text_ = nullptr;
    QPushButton* cancelButton_ = nullptr;
};
