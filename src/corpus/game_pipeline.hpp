// Games of a corpus read on worker threads. The caller's thread pulls text from the
// source and cuts it into stretches at lines where a game must begin; workers read
// the games of each stretch and turn them into a result (the games themselves, or
// a table's rows); results come back in source order, so every thread count gives
// the same answers. No worker touches anything but its stretch and its result.
#pragma once

#include <condition_variable>
#include <cstdint>
#include <deque>
#include <exception>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "byte_source.hpp"
#include "game/reader.hpp"

namespace tarvik::corpus {

struct PipelineOptions {
    unsigned threads = 1;                 // workers; 1 reads in the caller's thread
    game::ReadOptions read;
    std::uint64_t source_offset = 0;      // of the source's first byte, which begins a line where a game may begin
    std::uint64_t start = 0;              // games whose first byte lies before are left out
    std::optional<std::uint64_t> stop;    // and those at or after
    std::size_t stretch_bytes = std::size_t{1} << 19;  // about this much text a stretch
    // Called every few milliseconds while the caller waits for a worker; may throw
    // to give up (the pipeline stays usable: a later next() waits again).
    std::function<void()> while_waiting;
};

// How many threads this process may run on (its CPU affinity), at least 1.
unsigned available_cores();

// The games of one stretch whose first byte lies in [start, stop), read from
// `text`, whose first byte lies at `offset`. `whole`: the text ends where the
// source ends or a game begins; otherwise it broke off, and only the games known
// to be complete are read.
std::vector<game::GameRecord> read_stretch(std::string_view text, std::uint64_t offset, const PipelineOptions& options,
                                           bool whole = true);

// The untyped core; GamePipeline<Result> below is what callers use.
class StretchPipeline {
public:
    using Job = std::function<std::shared_ptr<void>(std::vector<game::GameRecord>&&)>;
    StretchPipeline(std::unique_ptr<ByteSource> source, PipelineOptions options, Job job);
    ~StretchPipeline();  // stops the workers and waits for them: no thread outlives the pipeline
    StretchPipeline(const StretchPipeline&) = delete;
    StretchPipeline& operator=(const StretchPipeline&) = delete;

    // The next stretch's result, or null at the end. Rethrows what a job threw,
    // and, once every stretch before it is delivered, the source's failure; after
    // a failure of the caller's own read (SourceFailure::Kind::caller), reading
    // goes on where it stood.
    std::shared_ptr<void> next();

private:
    struct Stretch;
    void pull();                        // reads the source once and queues the stretches it completes
    void queue(std::string text, std::uint64_t offset, bool whole);
    void start_workers();
    void run(Stretch& stretch);
    void work();                        // a worker's loop

    std::unique_ptr<ByteSource> source_;
    PipelineOptions options_;
    Job job_;
    std::unique_ptr<char[]> block_;     // what a read of the source fills
    std::string pending_;               // text read but not yet cut off
    std::uint64_t pending_offset_;
    std::size_t next_search_ = 0;       // look for a cut again once pending_ is this long
    bool source_done_ = false;
    std::exception_ptr source_failure_;  // the source's end
    std::exception_ptr caller_failure_;  // a failed read of the caller's, to say before reading on
    std::deque<std::shared_ptr<Stretch>> in_order_;  // queued and not yet delivered, in source order
    std::mutex mutex_;
    std::condition_variable work_ready_;
    std::condition_variable work_done_;
    std::deque<std::shared_ptr<Stretch>> todo_;      // queued and not yet taken by a worker
    bool stopping_ = false;
    std::vector<std::thread> workers_;
};

template <class Result>
class GamePipeline {
public:
    using Work = std::function<Result(std::vector<game::GameRecord>&& games)>;
    GamePipeline(std::unique_ptr<ByteSource> source, PipelineOptions options, Work work)
        : core_(std::move(source), std::move(options),
                [work = std::move(work)](std::vector<game::GameRecord>&& games) -> std::shared_ptr<void> {
                    return std::make_shared<Result>(work(std::move(games)));
                }) {}

    // The next stretch's result in source order; nothing at the end.
    std::optional<Result> next() {
        const std::shared_ptr<void> result = core_.next();
        if (!result) return std::nullopt;
        return std::move(*static_cast<Result*>(result.get()));
    }

private:
    StretchPipeline core_;
};

}  // namespace tarvik::corpus
