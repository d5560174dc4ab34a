#include "GuiTestSupport.h"

#include <QAbstractButton>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QThread>

#include <algorithm>

namespace guitest
{

Poller::Poller(std::function<bool()> step, int intervalMs) : step_(std::move(step))
{
    QObject::connect(&timer_, &QTimer::timeout, [this] {
        if (done_) return;
        // The step may open a modal loop of its own; the timer must not re-enter it.
        timer_.stop();
        done_ = step_();
        if (!done_) timer_.start();
    });
    timer_.start(intervalMs);
}

Poller::~Poller()
{
    timer_.stop();
}

MessageBoxAnswerer::MessageBoxAnswerer(Decide decide)
    : decide_(std::move(decide)), poller_([this] {
          for (QMessageBox* box : VisibleWindows<QMessageBox>()) {
              if (std::find(handled_.begin(), handled_.end(), box) != handled_.end()) continue;
              handled_.emplace_back(box);
              Seen s{box->windowTitle().toStdString(), box->text().toStdString(), box->icon(),
                     box->parentWidget() != nullptr};
              seen.push_back(s);
              QMessageBox::StandardButton answer = decide_ ? decide_(s) : QMessageBox::Ok;
              QAbstractButton* button = box->button(answer);
              if (!button) button = box->buttons().value(0);
              if (button) button->click();
          }
          return false;
      })
{
}

std::vector<std::string> MessageBoxAnswerer::texts() const
{
    std::vector<std::string> out;
    for (const Seen& s : seen)
        out.push_back(s.title + "|" + s.text);
    return out;
}

bool WaitUntil(const std::function<bool()>& condition, int timeoutMs)
{
    QElapsedTimer clock;
    clock.start();
    while (!condition()) {
        if (clock.elapsed() > timeoutMs) return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        QThread::msleep(1);
    }
    return true;
}

} // namespace guitest
