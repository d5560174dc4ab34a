// The modal "Options" sheet: the Output page and the Drive page, with OK and Cancel (no Apply).
#pragma once

#include <QDialog>

struct CurrentSettings;
class CDriveDlg;
class COutputDlg;
class QTabWidget;

class COptionsSheet : public QDialog
{
    Q_OBJECT

public:
    // Builds the sheet and starts its page (which reads, and may write, the settings file).
    explicit COptionsSheet(QWidget* parent = nullptr);
    COutputDlg* outputPage() const { return page_; }
    CDriveDlg* drivePage() const { return drive_; }

public slots:
    // Takes the folder box's text; a folder the settings cannot hold keeps the sheet open.
    void accept() override;

private:
    QTabWidget* tabs_ = nullptr;
    COutputDlg* page_ = nullptr;
    CDriveDlg* drive_ = nullptr;
};

// The Options command: runs the sheet; on OK with a folder, writes both keys and makes them the
// current settings, and writes the Drive page's keys the user changed. Returns whether it saved.
bool RunOptionsCommand(QWidget* parent, CurrentSettings& current);
