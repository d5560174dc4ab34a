// The main window: frameless, a stretched background, the menu and tool buttons, the track
// list with its check boxes, and every command of the program.
#pragma once

#include "CurrentSettings.h"
#include "TrackNames.h"

#include "app/cd/Drive.h"

#include "app/cd/TrackList.h"

#include <QDialog>
#include <QIcon>
#include <QPixmap>

#include <map>

class CBitmapButton;
class GuiRipFrontEnd;
class CSkinIconButton;
class QTreeWidget;
class QTreeWidgetItem;

class CVeltraCDRipDlg : public QDialog
{
    Q_OBJECT

public:
    // Sets up the window, loads the settings (which opens the drive), lists the disc's tracks
    // and ticks them all.
    explicit CVeltraCDRipDlg(QWidget* parent = nullptr);
    ~CVeltraCDRipDlg() override;

    // Runs a command by its number, as its button or menu item does.
    void OnCommand(int id);

    const TrackList& tracks() const { return tracks_; }
    // The settings the window works with, loaded at start-up and changed by the Options sheet.
    const CurrentSettings& settings() const { return settings_; }
    // The drive the window reads from.
    const DriveState& drive() const { return drive_; }
    // The looked-up names of the rows; inactive until a look-up.
    const TrackNames& names() const { return names_; }
    QTreeWidget* trackView() const { return list_; }
    // A skinned button by its control id (1004 to 1013), or null.
    CSkinIconButton* button(int id) const;
    CBitmapButton* closeButton() const { return close_; }

    // The program's folder followed by the help file's name.
    static QString HelpFilePath();

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    friend class GuiRipFrontEnd;

    void OnInitDialog();
    void CreateButtons(const QSize& base);
    void ShowMenu(int menuButton);
    void OnRip();
    // Verify on: the disc looked up in AccurateRip, then burst then verify.
    void RipVerified(GuiRipFrontEnd& frontEnd);
    void OnRefresh();
    void CheckAll(bool checked);
    void OnHelp();
    void OnAbout();
    void FillTrackView();
    // A disc image was refused (and the list is empty, unless evenWithTracks): says which
    // file, line and why.
    void ReportImageRefusal(bool evenWithTracks);
    void ShowStatuses();
    void OnItemChanged(QTreeWidgetItem* item, int column);
    // Edit: "Look up disc information", and the same look-up when a disc is read with
    // LookupOnRead set (which says nothing when there is no disc).
    void OnLookUp(bool onRead);
    void OnAlbum();
    // Column 1 of every row: its looked-up name, which can then be edited, or its plain name.
    void ShowNames();
    void LookUpIfAsked();

    DriveState drive_;
    CurrentSettings settings_;
    TrackList tracks_;
    TrackNames names_;
    QPixmap background_;
    QIcon appIcon_;
    QTreeWidget* list_ = nullptr;
    CBitmapButton* close_ = nullptr;
    std::map<int, CSkinIconButton*> buttons_;
    bool dragging_ = false;
    QPoint dragOffset_;
};
