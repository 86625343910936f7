// read_pgn() and the PgnReader class it returns: an iterator of Game objects over
// a file named by a path, a bytes-like object or a file object, compressed or not,
// read piece by piece so that memory stays bounded by the longest game.
#include "../corpus/game_pipeline.hpp"
#include "../game/reader.hpp"
#include "corpus_source.hpp"
#include "docstrings.hpp"
#include "game_data.hpp"

namespace tarvik::module {
namespace {

constexpr std::size_t CHUNK = std::size_t{1} << 20;

PyTypeObject* the_pgn_reader_type = nullptr;

using Games = std::vector<game::GameRecord>;

// The reader and the source it reads: in this thread, or, with worker threads, a
// stretch of games at a time from the pipeline that owns the source.
struct ReaderData {
    game::PgnReader reader;
    CorpusSource source;  // its bytes are null once the source is let go or the pipeline has it
    std::uint64_t start = 0;
    std::optional<std::uint64_t> stop;
    bool done = false;
    std::unique_ptr<corpus::GamePipeline<Games>> pipeline;
    Games stretch;                  // read by the workers, handed out in order
    std::size_t next_in_stretch = 0;
    PyThreadState* waiting = nullptr;  // this thread's state while it waits for the workers

    explicit ReaderData(game::ReadOptions options) : reader(options) {}

    // Lets go of the source, stopping the workers.
    void release() {
        pipeline.reset();
        source = {};
        Games().swap(stretch);
    }
};

ReaderData& reader_data(PyObject* self) { return as_object<ReaderData>(self)->record; }

// Brings the next piece of the source to the reader, the GIL released while it is
// read (a file object's read() takes it back); or, at the end, says so.
void fill(ReaderData& data) {
    const std::span<char> space = data.reader.input_space(std::max(CHUNK, data.reader.wanted_bytes()));
    std::size_t read = 0;
    {
        ReleasedGil released;
        read = data.source.bytes->read(space.data(), space.size());
    }
    data.reader.commit_input(read);
    if (read == 0) data.reader.finish();
}

// Waits for the workers' next stretch of games with the GIL released; false at the end.
bool next_stretch(ReaderData& data) {
    std::optional<Games> games;
    data.waiting = PyEval_SaveThread();
    try {
        games = data.pipeline->next();
    } catch (...) {
        PyEval_RestoreThread(data.waiting);
        throw;
    }
    PyEval_RestoreThread(data.waiting);
    if (!games) return false;
    data.stretch = std::move(*games);
    data.next_in_stretch = 0;
    return true;
}

// Every few milliseconds of waiting for the workers, Python runs its signal
// handlers, so that Ctrl-C stops a long read; an exception they raise ends the wait.
void run_signal_handlers(ReaderData& data) {
    PyEval_RestoreThread(data.waiting);
    const bool raised = PyErr_CheckSignals() < 0;
    data.waiting = PyEval_SaveThread();
    if (raised) throw PythonErrorSet{};
}

PyObject* next_game(PyObject* self) {
    Object<ReaderData>* object = as_object<ReaderData>(self);
    Borrow borrow(object->access, Access::exclusive);
    if (!borrow) return nullptr;
    ReaderData& data = object->record;
    while (!data.done && data.pipeline) {
        if (data.next_in_stretch < data.stretch.size()) return to_python(std::move(data.stretch[data.next_in_stretch++]));
        bool more = false;
        if (!run_engine([&] { more = next_stretch(data); })) return nullptr;
        if (!more) data.done = true;
    }
    while (!data.done) {
        std::optional<game::GameRecord> game;
        if (!run_engine([&] { game = data.reader.next(); })) return nullptr;
        if (game) {
            if (game->offset < data.start) continue;
            if (data.stop && game->offset >= *data.stop) break;
            return to_python(std::move(*game));
        }
        if (!data.reader.wants_input()) break;
        if (!run_engine([&] { fill(data); })) return nullptr;
    }
    data.done = true;
    data.release();
    return nullptr;
}

PyObject* iterate(PyObject* self) { return Py_NewRef(self); }

int traverse(PyObject* self, visitproc visit, void* arg) {
    Py_VISIT(reader_data(self).source.held);
    Py_VISIT(Py_TYPE(self));
    return 0;
}

int clear(PyObject* self) {
    ReaderData& data = reader_data(self);
    data.done = true;
    data.release();
    return 0;
}

void dealloc(PyObject* self) {
    PyObject_GC_UnTrack(self);
    dealloc_object<ReaderData>(self);
}

PyType_Slot slots[] = {
    {Py_tp_doc, const_cast<char*>(doc("PgnReader"))},
    {Py_tp_dealloc, reinterpret_cast<void*>(dealloc)},
    {Py_tp_traverse, reinterpret_cast<void*>(traverse)},
    {Py_tp_clear, reinterpret_cast<void*>(clear)},
    {Py_tp_iter, reinterpret_cast<void*>(iterate)},
    {Py_tp_iternext, reinterpret_cast<void*>(next_game)},
    {0, nullptr},
};

PyType_Spec type_spec{"tarvik.PgnReader", sizeof(Object<ReaderData>), 0,
                      Py_TPFLAGS_DEFAULT | Py_TPFLAGS_IMMUTABLETYPE | Py_TPFLAGS_HAVE_GC |
                          Py_TPFLAGS_DISALLOW_INSTANTIATION, slots};

// Hands the source to worker threads, when more than one is asked for.
void start_workers(ReaderData& data, std::optional<std::uint32_t> threads) {
    if (threads == 1u) return;
    corpus::PipelineOptions options;
    options.threads = threads.value_or(corpus::available_cores());
    options.read = data.reader.options();
    options.source_offset = data.source.offset;
    options.start = data.start;
    options.stop = data.stop;
    options.while_waiting = [&data] { run_signal_handlers(data); };
    data.pipeline = std::make_unique<corpus::GamePipeline<Games>>(std::move(data.source.bytes), std::move(options),
                                                                  [](Games&& games) { return std::move(games); });
}

}  // namespace

PyObject* read_pgn(PyObject*, PyObject* const* args, Py_ssize_t nargs, PyObject* kwnames) {
    static constexpr const char* parameters[] = {"source", "start", "stop", "headers_only", "threads"};
    static constexpr Signature signature{"read_pgn", parameters, 1, 4};
    PyObject* bound[5] = {};
    if (!bind_arguments(signature, args, nargs, kwnames, bound)) return nullptr;
    std::tuple<PyObject*, std::uint64_t, std::optional<std::uint64_t>, bool, std::optional<std::uint32_t>> values{};
    if (!convert_arguments<AnyParam, OffsetParam, Optional<OffsetParam>, BoolParam, Optional<ThreadCountParam>>(
            signature, bound, values, std::make_index_sequence<5>{})) {
        return nullptr;
    }
    const auto& [source, start, stop, headers_only, threads] = values;
    PyObject* self = new_object<ReaderData>(pgn_reader_type(), game::ReadOptions{headers_only});
    if (self == nullptr) return nullptr;
    ReaderData* data = &as_object<ReaderData>(self)->record;
    data->start = start;
    data->stop = stop;
    if (!open_corpus_source(source, start, stop, "read_pgn", data->source)) {
        Py_DECREF(self);
        return nullptr;
    }
    data->reader.start_at(data->source.offset);
    if (!run_engine([&] { start_workers(*data, threads); })) {
        Py_DECREF(self);
        return nullptr;
    }
    return self;
}

PyTypeObject* pgn_reader_type() {
    if (the_pgn_reader_type == nullptr) the_pgn_reader_type = create_type(type_spec, ClassDoc::kept);
    return the_pgn_reader_type;
}

void forget_pgn_reader_type() { the_pgn_reader_type = nullptr; }

}  // namespace tarvik::module
