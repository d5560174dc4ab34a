// The chooser shown when a look-up finds several releases for the disc: one row per release
// with its source, artist, title, year, country and disc; OK takes the selected one.
#pragma once

#include "app/lookup/DiscMetadata.h"

#include <QDialog>

#include <vector>

class QTreeWidget;

class CReleaseChooserDlg : public QDialog
{
    Q_OBJECT

public:
    explicit CReleaseChooserDlg(const std::vector<lookup::DiscMetadata>& releases,
                                QWidget* parent = nullptr);
    // The selected release's index (the first one until the user picks another).
    int chosen() const;
    QTreeWidget* list() const { return list_; }

private:
    QTreeWidget* list_ = nullptr;
};
