#include "platform/system/namedevent.h"
#include "platform/system/namedmutex.h"
#include "platform/system/services.h"
#include "platform/files/profile.h"
#include "tests/platform/networkfixture.h"

#include <atomic>
#include <csignal>
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

using namespace dm;
using namespace std::chrono_literals;

namespace {

// A name of its own per test run, so runs in parallel do not meet.
std::string UniqueName(const char* base)
{
    return std::string(base) + "-" + std::to_string(::getpid());
}

TEST(NamedMutex, IsRecursiveForItsOwnerAndExclusiveForOtherThreads)
{
    NamedMutex mutex(UniqueName("Recursive"));
    ASSERT_TRUE(mutex.IsValid());
    ASSERT_TRUE(mutex.Lock());
    ASSERT_TRUE(mutex.Lock());
    NamedMutex sameName(mutex.Name());
    auto tryOther = [&](std::chrono::milliseconds wait) {
        NamedMutex::WaitResult result{};
        std::thread other([&] {
            result = sameName.Wait(wait);
            if (result == NamedMutex::WaitResult::Acquired)
                sameName.Release();
        });
        other.join();
        return result;
    };
    EXPECT_EQ(tryOther(30ms), NamedMutex::WaitResult::TimedOut);
    EXPECT_TRUE(mutex.Release());
    EXPECT_EQ(tryOther(30ms), NamedMutex::WaitResult::TimedOut); // still held once
    EXPECT_TRUE(mutex.Release());
    EXPECT_FALSE(mutex.Release());
    EXPECT_EQ(tryOther(1000ms), NamedMutex::WaitResult::Acquired);
}

TEST(NamedMutex, SerialisesProcessesAndSurvivesAKilledHolder)
{
    const std::string name = UniqueName("Critical");
    int ready[2];
    ASSERT_EQ(::pipe(ready), 0);
    pid_t holder = ::fork();
    ASSERT_GE(holder, 0);
    if (holder == 0) {
        NamedMutex mutex(name);
        char ok = mutex.Lock() ? 'y' : 'n';
        (void)!::write(ready[1], &ok, 1);
        ::pause(); // holds the mutex until killed
        ::_exit(0);
    }
    char ok = 0;
    ASSERT_EQ(::read(ready[0], &ok, 1), 1);
    EXPECT_EQ(ok, 'y');
    NamedMutex mutex(name);
    EXPECT_EQ(mutex.Wait(100ms), NamedMutex::WaitResult::TimedOut);

    ::kill(holder, SIGKILL);
    int status = 0;
    ::waitpid(holder, &status, 0);
    EXPECT_EQ(mutex.Wait(5000ms), NamedMutex::WaitResult::Acquired);

    // Now this process holds it: another process has to wait.
    pid_t waiter = ::fork();
    ASSERT_GE(waiter, 0);
    if (waiter == 0) {
        NamedMutex other(name);
        ::_exit(other.Wait(100ms) == NamedMutex::WaitResult::TimedOut ? 0 : 1);
    }
    ASSERT_EQ(::waitpid(waiter, &status, 0), waiter);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    EXPECT_TRUE(mutex.Release());
    ::close(ready[0]);
    ::close(ready[1]);
}

TEST(NamedEvent, ManualResetStaysSignalledForEveryWaiterUntilReset)
{
    NamedEvent done("EnumNetDone");
    EXPECT_FALSE(done.Wait(20ms));
    std::thread worker([] {
        std::this_thread::sleep_for(30ms);
        NamedEvent("EnumNetDone").Set(); // another handle of the same name
    });
    EXPECT_TRUE(done.Wait(5000ms));
    worker.join();
    EXPECT_TRUE(done.Wait(0ms));
    EXPECT_TRUE(done.IsSet());
    done.Reset();
    EXPECT_FALSE(done.Wait(10ms));
}

TEST(NamedEvent, AutoResetWakesOneWaiterAndTheStateEndsWithTheLastHandle)
{
    {
        NamedEvent once(UniqueName("Auto"), false, true);
        EXPECT_TRUE(once.Wait(0ms));
        EXPECT_FALSE(once.Wait(0ms));
        NamedEvent set(UniqueName("Kept"), true, true);
        NamedEvent reopened(UniqueName("Kept"), true, false); // opening keeps the state
        EXPECT_TRUE(reopened.IsSet());
    }
    NamedEvent fresh(UniqueName("Kept"));
    EXPECT_FALSE(fresh.IsSet());
}

class ServiceTest : public dm::test::NetworkTest {};

TEST_F(ServiceTest, StatesComeFromServicesIniAndAMissingEntryIsNotInstalled)
{
    Network::AddComputer("TESTHOST");
    unsigned long state = 0;
    EXPECT_EQ(QueryServiceState("RemoteAccess", state), winerr::ServiceDoesNotExist);
    ASSERT_TRUE(SetServiceState("", "RemoteAccess", service::Running));
    EXPECT_EQ(QueryServiceState("remoteaccess", state), 0u);
    EXPECT_EQ(state, service::Running);
    WritePrivateProfileString("Services", "Broken", "running", (Machine("TESTHOST") / "services.ini").string());
    EXPECT_EQ(QueryServiceState("Broken", state), winerr::ServiceDoesNotExist);
    EXPECT_EQ(QueryServiceState("RemoteAccess", state, "\\\\NOWHERE"), winerr::BadNetPath);
    ASSERT_TRUE(RemoveService("", "RemoteAccess"));
    EXPECT_EQ(QueryServiceState("RemoteAccess", state), winerr::ServiceDoesNotExist);
}

} // namespace

namespace {

TEST(NamedMutex, ThreadsWithHandlesOfTheirOwnNeverOverlap)
{
    const std::string name = UniqueName("Counter");
    int counter = 0;
    int inside = 0;
    bool overlapped = false;
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t) {
        threads.emplace_back([&] {
            NamedMutex mutex(name);
            for (int i = 0; i < 200; ++i) {
                NamedMutexLock hold(mutex);
                if (++inside != 1)
                    overlapped = true;
                int value = counter;
                std::this_thread::yield();
                counter = value + 1;
                --inside;
            }
        });
    }
    for (auto& t : threads)
        t.join();
    EXPECT_FALSE(overlapped);
    EXPECT_EQ(counter, 800);
}

TEST(NamedEvent, SettingAManualResetEventWakesEveryWaiter)
{
    NamedEvent event(UniqueName("Many"));
    std::atomic<int> woken{0};
    std::vector<std::thread> waiters;
    for (int i = 0; i < 3; ++i)
        waiters.emplace_back([&] {
            if (NamedEvent(UniqueName("Many")).Wait(5000ms))
                ++woken;
        });
    std::this_thread::sleep_for(20ms);
    event.Set();
    for (auto& t : waiters)
        t.join();
    EXPECT_EQ(woken.load(), 3);
}

} // namespace
