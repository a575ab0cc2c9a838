#include "records/recordkeeper.h"

#include "records/gameend.h"
#include "texts/boxtexts.h"

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <deque>
#include <mutex>
#include <thread>

namespace sorvane {

namespace {

qint64 nowMs()
{
    using namespace std::chrono;
    return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

// How often a waiting caller looks whether the keeper's thread is done.
constexpr int pollMs = 20;

} // namespace

// What the keeper's thread shares with the keeper. The thread holds it too, so that it
// outlives a keeper that let it go while it still waited on a file.
struct RecordKeeper::Worker
{
    explicit Worker(RecordFiles f) : files(std::move(f)) {}

    RecordFiles files; // used on the thread only, once it runs
    std::mutex mutex;
    std::condition_variable wake;
    std::deque<std::function<void()>> tasks;
    bool stopping = false;
    bool running = false;
    std::optional<StoredRecord> read;  // start-up's reading, once done
    std::optional<StoreResult> stored; // the store's outcome, once done
    std::atomic<qint64> alive{0};      // the thread's last sign of life
    qint64 readingBegan = 0;
    std::thread thread;

    // Between two tries at another copy's lock: alive all along.
    RecordFiles::Wait pause()
    {
        return [this](int ms) {
            alive = nowMs();
            std::this_thread::sleep_for(std::chrono::milliseconds(ms));
            alive = nowMs();
        };
    }

    void post(std::function<void()> task)
    {
        const std::lock_guard lock(mutex);
        if (!running && tasks.empty())
            alive = nowMs();
        tasks.push_back(std::move(task));
        wake.notify_all();
    }

    static void run(const std::shared_ptr<Worker>& w)
    {
        std::unique_lock lock(w->mutex);
        for (;;) {
            w->wake.wait(lock, [&] { return w->stopping || !w->tasks.empty(); });
            if (w->stopping)
                return;
            std::function<void()> task = std::move(w->tasks.front());
            w->tasks.pop_front();
            w->running = true;
            lock.unlock();
            w->alive = nowMs();
            task();
            w->alive = nowMs();
            lock.lock();
            w->running = false;
        }
    }

    // Waits through `wait` until `done` holds, or `givenUp` does first; true when done.
    template <typename Done, typename GivenUp>
    bool waitFor(Done done, GivenUp givenUp, const RecordFiles::Wait& wait)
    {
        for (;;) {
            {
                const std::lock_guard lock(mutex);
                if (done())
                    return true;
            }
            if (givenUp())
                return false;
            if (wait)
                wait(pollMs);
            else
                std::this_thread::sleep_for(std::chrono::milliseconds(pollMs));
        }
    }
};

RecordKeeper::RecordKeeper(const QString& folder, std::function<RecordHandles()> opener,
                           bool classFolder, Limits limits)
    : worker_(std::make_shared<Worker>(RecordFiles(folder, std::move(opener)))),
      classFolder_(classFolder), limits_(limits)
{
    late_.setInterval(200);
    connect(&late_, &QTimer::timeout, this, &RecordKeeper::checkLate);
}

RecordKeeper::~RecordKeeper()
{
    if (!worker_->thread.joinable())
        return;
    bool busy = false;
    {
        const std::lock_guard lock(worker_->mutex);
        worker_->stopping = true;
        busy = worker_->running;
        worker_->wake.notify_all();
    }
    // A thread that waits on a share that does not answer may never come back.
    if (busy)
        worker_->thread.detach();
    else
        worker_->thread.join();
}

void RecordKeeper::setStepHook(std::function<void(RecordFiles::Step)> hook)
{
    worker_->files.setStepHook(std::move(hook));
}

QString RecordKeeper::unreadable()
{
    return QStringLiteral("(non si può leggere in questo momento)");
}

void RecordKeeper::beginReading()
{
    Worker& w = *worker_;
    if (!w.thread.joinable())
        w.thread = std::thread(&Worker::run, worker_);
    w.readingBegan = nowMs();
    w.post([&w] {
        // Every file is opened here, off the window's thread, unless the start opened them.
        StoredRecord stored;
        if (auto error = w.files.ensureExist())
            stored.error = std::move(error);
        else
            stored = w.files.readRecord(w.pause());
        const std::lock_guard lock(w.mutex);
        w.read = std::move(stored);
    });
}

RecordKeeper::Shown RecordKeeper::shownOf(const StoredRecord& stored) const
{
    if (stored.error) {
        // A class's folder on a server may be out of reach today; the machine's own must work.
        if (classFolder_)
            return {{}, {}, classRecordUnavailable(stored.error->message())};
        return {{}, {}, Message{stored.error->message(), {}, BoxIcon::Error}, true};
    }
    // Another copy has kept the files too long: the pupil plays all the same, and the end of
    // the game compares with the record the files hold then.
    if (stored.unknown)
        return {{}, unreadable(), std::nullopt};
    return {stored.score, stored.name, std::nullopt};
}

RecordKeeper::Shown RecordKeeper::recordToShow(const RecordFiles::Wait& wait)
{
    Worker& w = *worker_;
    if (!w.thread.joinable())
        beginReading();
    const bool read = w.waitFor([&] { return w.read.has_value(); },
                                [&] { return nowMs() - w.readingBegan >= limits_.readMs; }, wait);
    if (read) {
        const std::lock_guard lock(w.mutex);
        Shown shown = shownOf(*w.read);
        toldUnusable_ = shown.box && !shown.fatal && w.read->error;
        return shown;
    }
    late_.start();
    return {{}, unreadable(), std::nullopt, false, true};
}

void RecordKeeper::checkLate()
{
    std::optional<StoredRecord> read;
    {
        const std::lock_guard lock(worker_->mutex);
        read = worker_->read;
    }
    if (!read)
        return;
    late_.stop();
    // An error that comes this late waits for the end of the game, which tries again.
    const Shown shown = shownOf(*read);
    if (!shown.box)
        emit recordArrived(shown.score, shown.name);
}

std::optional<Message> RecordKeeper::store(const QString& score, const QString& recordShown,
                                           const QString& name, const RecordFiles::Wait& wait)
{
    // Not above the record shown, or in a folder the pupil was told cannot be used: the files
    // are not even touched.
    if (toldUnusable_ || !isNewRecord(score, recordShown))
        return std::nullopt;
    Worker& w = *worker_;
    if (!w.thread.joinable())
        w.thread = std::thread(&Worker::run, worker_);
    {
        const std::lock_guard lock(w.mutex);
        w.stored.reset();
    }
    w.post([&w, score, recordShown, name] {
        StoreResult result = checkRecord(w.files, score, recordShown, name, w.pause());
        const std::lock_guard lock(w.mutex);
        w.stored = std::move(result);
    });
    const bool done = w.waitFor([&] { return w.stored.has_value(); },
                                [&] { return nowMs() - w.alive > limits_.stallMs; }, wait);
    if (!done)
        return recordNotStoredNoAnswer();
    const std::lock_guard lock(w.mutex);
    const StoreResult& result = *w.stored;
    switch (result.outcome) {
    case StoreOutcome::Stored:
        return recordStored();
    case StoreOutcome::Busy:
        return recordNotStored();
    case StoreOutcome::Failed:
        if (result.error)
            return Message{result.error->message(), {}, BoxIcon::Error};
        break;
    case StoreOutcome::NotHigher:
        break;
    }
    return std::nullopt;
}

} // namespace sorvane
