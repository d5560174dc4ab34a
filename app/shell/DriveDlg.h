// The Options sheet's second page, "Drive": the drive's read offset in samples (empty: not
// set), the AccurateRip drive-offset table to look the drive up in, secure mode, whether a
// disc is looked up as soon as it is read, and burst then verify.
#pragma once

#include "Settings.h"

#include <QString>
#include <QWidget>

class QCheckBox;
class QLineEdit;
class QPushButton;

// Why the texts cannot go into the settings file; empty when they can.
QString DrivePageProblem(const QString& offset, const QString& table);

struct CurrentSettings;

class CDriveDlg : public QWidget
{
    Q_OBJECT

public:
    explicit CDriveDlg(QWidget* parent = nullptr);

    // Reads ReadOffset, OffsetTable, Secure, LookupOnRead and Verify; writes nothing.
    void OnInitDialog();
    // Writes the keys the user changed and makes them current in `current`.
    void Save(CurrentSettings& current);

    QString offsetText() const;
    QString tableText() const;
    QLineEdit* offsetEdit() const { return offset_; }
    QLineEdit* tableEdit() const { return table_; }
    QPushButton* browserButton() const { return browser_; }
    QCheckBox* secureBox() const { return secure_; }
    QCheckBox* lookupOnReadBox() const { return lookupOnRead_; }
    QCheckBox* verifyBox() const { return verify_; }

public slots:
    void OnBrowser();

private:
    QString shownOffset_;
    QString shownTable_;
    bool shownLookupOnRead_ = false;
    QLineEdit* offset_ = nullptr;
    QLineEdit* table_ = nullptr;
    QPushButton* browser_ = nullptr;
    bool shownSecure_ = false;
    QCheckBox* secure_ = nullptr;
    QCheckBox* lookupOnRead_ = nullptr;
    bool shownVerify_ = false;
    QCheckBox* verify_ = nullptr;
};
