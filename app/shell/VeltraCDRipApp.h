// The application object: gives every window the program's look, then runs the main window
// modally; when the window ends, the program ends.
#pragma once

#include <QApplication>

class CVeltraCDRipApp : public QApplication
{
    Q_OBJECT

public:
    CVeltraCDRipApp(int& argc, char** argv);
    // Runs the main window; the exit status once it has ended.
    int InitInstance();
};

// The program's style and colours (dark slate with a cyan accent, matching its pictures).
void ApplyVeltraLook(QApplication& app);
