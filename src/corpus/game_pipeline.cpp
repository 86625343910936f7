#include "game_pipeline.hpp"

#include <sched.h>

#include <chrono>
#include <utility>

namespace tarvik::corpus {

unsigned available_cores() {
    cpu_set_t cores;
    CPU_ZERO(&cores);
    if (sched_getaffinity(0, sizeof cores, &cores) == 0 && CPU_COUNT(&cores) > 0) return unsigned(CPU_COUNT(&cores));
    return std::max(1u, std::thread::hardware_concurrency());
}

std::vector<game::GameRecord> read_stretch(std::string_view text, std::uint64_t offset, const PipelineOptions& options,
                                           bool whole) {
    game::PgnReader reader(options.read, offset);
    if (whole) {
        reader.read_from(text);
    } else {
        reader.feed(text);  // never finished: a game the text breaks off inside is not complete
    }
    std::vector<game::GameRecord> games;
    while (std::optional<game::GameRecord> read = reader.next()) {
        if (read->offset < options.start) continue;
        if (options.stop && read->offset >= *options.stop) break;
        games.push_back(std::move(*read));
    }
    return games;
}

struct StretchPipeline::Stretch {
    std::string text;
    std::uint64_t offset;
    bool whole;
    bool done = false;  // under the mutex
    std::shared_ptr<void> result;
    std::exception_ptr failure;
};

namespace {

constexpr std::size_t READ_BYTES = std::size_t{1} << 20;  // a read of the source
constexpr auto WAIT_STEP = std::chrono::milliseconds(20);  // between calls of while_waiting

}  // namespace

StretchPipeline::StretchPipeline(std::unique_ptr<ByteSource> source, PipelineOptions options, Job job)
    : source_(std::move(source)),
      options_(std::move(options)),
      job_(std::move(job)),
      pending_offset_(options_.source_offset),
      next_search_(options_.stretch_bytes) {}

StretchPipeline::~StretchPipeline() {
    {
        std::lock_guard lock(mutex_);
        stopping_ = true;
        todo_.clear();
    }
    work_ready_.notify_all();
    for (std::thread& worker : workers_) worker.join();
}

void StretchPipeline::run(Stretch& stretch) {
    try {
        stretch.result = job_(read_stretch(stretch.text, stretch.offset, options_, stretch.whole));
    } catch (...) {
        stretch.failure = std::current_exception();
    }
    std::string().swap(stretch.text);
}

void StretchPipeline::work() {
    std::unique_lock lock(mutex_);
    for (;;) {
        work_ready_.wait(lock, [&] { return stopping_ || !todo_.empty(); });
        if (stopping_) return;
        const std::shared_ptr<Stretch> stretch = std::move(todo_.front());
        todo_.pop_front();
        lock.unlock();
        run(*stretch);
        lock.lock();
        stretch->done = true;
        work_done_.notify_all();
    }
}

void StretchPipeline::queue(std::string text, std::uint64_t offset, bool whole) {
    const std::uint64_t end = offset + text.size();
    if (options_.stop && offset >= *options_.stop) {
        source_done_ = true;  // every game from here on lies past the stop
        return;
    }
    if (end <= options_.start) return;  // every game here lies before the start
    auto stretch = std::make_shared<Stretch>(Stretch{std::move(text), offset, whole});
    in_order_.push_back(stretch);
    // Text of a single stretch is read in the caller's thread: a small source
    // costs no thread.
    if (options_.threads > 1 && workers_.empty() && !(source_done_ && in_order_.size() == 1)) start_workers();
    if (workers_.empty()) return;
    {
        std::lock_guard lock(mutex_);
        todo_.push_back(std::move(stretch));
    }
    work_ready_.notify_one();
}

void StretchPipeline::start_workers() {
    {
        std::lock_guard lock(mutex_);
        todo_.assign(in_order_.begin(), in_order_.end() - 1);  // what was queued before them, but the newest
    }
    workers_.reserve(options_.threads);
    for (unsigned i = 0; i < options_.threads; ++i) workers_.emplace_back([this] { work(); });
}

void StretchPipeline::pull() {
    // Read into a block of its own: a source that gives a few bytes a read (a pipe)
    // costs no more than those bytes.
    if (!block_) block_ = std::make_unique_for_overwrite<char[]>(READ_BYTES);
    std::size_t read = 0;
    try {
        read = source_->read(block_.get(), READ_BYTES);
    } catch (const SourceFailure& failure) {
        if (failure.kind == SourceFailure::Kind::caller) {
            // The caller's own read failed: said once the stretches before it are
            // delivered, and then reading may go on.
            caller_failure_ = std::current_exception();
            return;
        }
        source_failure_ = std::current_exception();
    } catch (...) {
        source_failure_ = std::current_exception();
    }
    pending_.append(block_.get(), read);
    if (read == 0) {
        // The end, or a failure: what is left is the last stretch, whole only when
        // the source ended as it should.
        source_done_ = true;
        if (!pending_.empty()) queue(std::move(pending_), pending_offset_, !source_failure_);
        pending_.clear();
        return;
    }
    while (!source_done_ && pending_.size() >= next_search_) {
        const std::optional<std::size_t> cut = game::next_game_start(pending_, options_.stretch_bytes);
        if (!cut) {
            // One long game: look again once the text has doubled, so that it is
            // searched in linear time however long it is.
            next_search_ = 2 * pending_.size();
            break;
        }
        queue(pending_.substr(0, *cut), pending_offset_, true);
        pending_.erase(0, *cut);
        pending_offset_ += *cut;
        next_search_ = options_.stretch_bytes;
    }
}

std::shared_ptr<void> StretchPipeline::next() {
    // Enough stretches in flight to keep every worker busy while the caller reads.
    const std::size_t in_flight = 2 * std::max<std::size_t>(workers_.size(), 1) + 1;
    for (;;) {
        if (!in_order_.empty()) {
            Stretch& front = *in_order_.front();
            bool done;
            {
                std::lock_guard lock(mutex_);
                done = front.done;
            }
            if (done) {
                const std::shared_ptr<Stretch> stretch = std::move(in_order_.front());
                in_order_.pop_front();
                if (stretch->failure) std::rethrow_exception(stretch->failure);
                return stretch->result;
            }
        }
        if (caller_failure_ && in_order_.empty()) std::rethrow_exception(std::exchange(caller_failure_, nullptr));
        if (!source_done_ && !caller_failure_ && in_order_.size() < in_flight) {
            pull();
            continue;
        }
        if (in_order_.empty()) {
            if (source_failure_) std::rethrow_exception(std::exchange(source_failure_, nullptr));
            return nullptr;
        }
        Stretch& front = *in_order_.front();
        if (workers_.empty()) {
            run(front);
            front.done = true;
            continue;
        }
        std::unique_lock lock(mutex_);
        if (!work_done_.wait_for(lock, WAIT_STEP, [&] { return front.done; }) && options_.while_waiting) {
            lock.unlock();
            options_.while_waiting();
        }
    }
}

}  // namespace tarvik::corpus
