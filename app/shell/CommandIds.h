// The main window's command numbers: a tool button and the menu item that does the same thing
// share one.
#pragma once

constexpr int kIdExit = 1002; // the close button and File: "Exit"
constexpr int kIdFileMenu = 1004;
constexpr int kIdEditMenu = 1005;
constexpr int kIdOptionsMenu = 1006;
constexpr int kIdHelpMenu = 1007;
constexpr int kIdRip = 1008;
constexpr int kIdRefresh = 1009;
constexpr int kIdSelectAll = 1010;
constexpr int kIdInvertSelect = 1011;
constexpr int kIdOptions = 1012;
constexpr int kIdHelp = 1013;
constexpr int kIdTrackList = 1016;
constexpr int kIdAbout = 32771;    // Help: "About"
constexpr int kIdSystemAbout = 16; // the system menu's About entry
constexpr int kIdLookUp = 32772;   // Edit: "Look up disc information"
constexpr int kIdAlbum = 32773;    // Edit: "Album..."

// The application's title, the caption of its message boxes.
constexpr const char kAppTitle[] = "VeltraCDRip";
