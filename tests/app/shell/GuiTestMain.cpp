// The main of the GUI tests: one QApplication on the offscreen platform for all of them, and a
// watchdog that ends the program when one test hangs in a modal loop nobody answers.
#include <QApplication>

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <string>
#include <thread>

namespace
{

constexpr auto kTestLimit = std::chrono::seconds(240);

class Watchdog : public ::testing::EmptyTestEventListener
{
public:
    Watchdog()
    {
        std::thread([this] {
            for (;;) {
                std::this_thread::sleep_for(std::chrono::seconds(1));
                const long long started = started_.load();
                if (started != 0 && Now() - started > kTestLimit.count()) {
                    std::lock_guard<std::mutex> lock(mutex_);
                    std::fprintf(
                        stderr,
                        "watchdog: %s still runs after %lld s; a window was left unanswered\n",
                        name_, static_cast<long long>(kTestLimit.count()));
                    std::_Exit(3);
                }
            }
        }).detach();
    }
    void OnTestStart(const ::testing::TestInfo& info) override
    {
        {
            std::lock_guard<std::mutex> lock(mutex_);
            std::snprintf(name_, sizeof name_, "%s.%s", info.test_suite_name(), info.name());
        }
        started_.store(Now());
    }
    void OnTestEnd(const ::testing::TestInfo&) override { started_.store(0); }

private:
    static long long Now()
    {
        return std::chrono::duration_cast<std::chrono::seconds>(
                   std::chrono::steady_clock::now().time_since_epoch())
            .count();
    }
    std::atomic<long long> started_{0};
    std::mutex mutex_;
    char name_[256] = {};
};

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    ::testing::InitGoogleTest(&argc, argv);
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("VeltraCDRip"));
    ::testing::UnitTest::GetInstance()->listeners().Append(new Watchdog);
    return RUN_ALL_TESTS();
}
