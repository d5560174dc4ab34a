// The album dialog of the Edit menu: album artist, album title, year and genre of the looked-up
// disc, which the file names and the tags then use.
#pragma once

#include "TrackNames.h"

#include <QDialog>

class QLineEdit;

class CAlbumDlg : public QDialog
{
    Q_OBJECT

public:
    explicit CAlbumDlg(const AlbumFields& album, QWidget* parent = nullptr);
    AlbumFields album() const;

    QLineEdit* artistEdit() const { return artist_; }
    QLineEdit* titleEdit() const { return title_; }
    QLineEdit* yearEdit() const { return year_; }
    QLineEdit* genreEdit() const { return genre_; }

private:
    QLineEdit* artist_ = nullptr;
    QLineEdit* title_ = nullptr;
    QLineEdit* year_ = nullptr;
    QLineEdit* genre_ = nullptr;
};
