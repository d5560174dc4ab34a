// Helpers of the GUI tests on Qt's offscreen platform: answering message boxes and acting on
// windows while a modal loop runs, and waiting for a condition with events processed.
#pragma once

#include <QMessageBox>
#include <QPointer>
#include <QTimer>

#include <functional>
#include <string>
#include <vector>

namespace guitest
{

// Calls the step every few milliseconds from the event loop (also inside modal loops) until it
// returns true or the poller is destroyed.
class Poller
{
public:
    explicit Poller(std::function<bool()> step, int intervalMs = 5);
    ~Poller();
    Poller(const Poller&) = delete;
    Poller& operator=(const Poller&) = delete;
    bool done() const { return done_; }

private:
    QTimer timer_;
    std::function<bool()> step_;
    bool done_ = false;
};

// Answers every message box that shows while it lives, and records what each one said.
class MessageBoxAnswerer
{
public:
    struct Seen {
        std::string title;
        std::string text;
        QMessageBox::Icon icon;
        bool owned; // has a parent window
    };
    using Decide = std::function<QMessageBox::StandardButton(const Seen&)>;
    explicit MessageBoxAnswerer(Decide decide = {});
    std::vector<Seen> seen;
    // "title|text" of every box, in order.
    std::vector<std::string> texts() const;

private:
    Decide decide_;
    std::vector<QPointer<QMessageBox>> handled_;
    Poller poller_;
};

// The visible top-level widgets of a type.
template <typename T> std::vector<T*> VisibleWindows();

// Processes events until the condition holds or the time is up; returns the condition.
bool WaitUntil(const std::function<bool()>& condition, int timeoutMs = 10000);

} // namespace guitest

#include <QApplication>

template <typename T> std::vector<T*> guitest::VisibleWindows()
{
    std::vector<T*> found;
    for (QWidget* w : QApplication::topLevelWidgets())
        if (auto* t = qobject_cast<T*>(w); t && t->isVisible()) found.push_back(t);
    return found;
}
