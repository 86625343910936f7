// pgn_table() and the PgnTable class it returns: the games of a corpus as Arrow
// record batches, handed to pyarrow, polars or DuckDB through the Arrow PyCapsule
// interface, built on worker threads without a Python object per game.
#include <algorithm>
#include <cerrno>
#include <new>

#include "../corpus/arrow_export.hpp"
#include "../corpus/table_stream.hpp"
#include "corpus_source.hpp"
#include "docstrings.hpp"
#include "game_data.hpp"

namespace tarvik::module {
namespace {

PyTypeObject* the_pgn_table_type = nullptr;

// What a stream is made from; the source goes to the first stream, the only one.
struct TableData {
    corpus::TableLayout layout;
    CorpusSource source;  // its bytes are null once a stream took them
    corpus::PipelineOptions options;
    std::optional<std::int64_t> batch_rows;
};

TableData& table_data(PyObject* self) { return as_object<TableData>(self)->record; }

// ---------------------------------------------------------------------------
// Arguments

// The tags of games rows when none are chosen: the seven-tag roster, then those most files add.
constexpr const char* ROSTER[] = {"Event",    "Site",     "Date",        "Round", "White",   "Black",   "Result",
                                  "WhiteElo", "BlackElo", "TimeControl", "ECO",   "Opening", "Termination",
                                  "UTCDate",  "UTCTime",  "FEN"};
// The columns of games rows beside the tags: no tag column may take their names.
constexpr std::string_view GAME_COLUMNS[] = {"offset", "result", "plies",  "moves",    "clocks",
                                             "evals",  "mates",  "errors", "final_fen"};

bool to_row_kind(PyObject* value, corpus::RowKind& out) {
    std::string text;
    if (!to_text(value, text)) return false;
    if (text == "games" || text == "positions") {
        out = text == "games" ? corpus::RowKind::games : corpus::RowKind::positions;
        return true;
    }
    PyErr_Format(PyExc_ValueError, "rows must be 'games' or 'positions', not %R", value);
    return false;
}

// None (the roster and the tags beside it), "all", or an iterable of tag names.
struct TagChoice {
    bool given = false;
    bool all = false;
    std::vector<std::string> names;
};

bool to_tag_choice(PyObject* value, TagChoice& out) {
    if (value == Py_None) return true;
    out.given = true;
    if (PyUnicode_Check(value)) {
        if (PyUnicode_CompareWithASCIIString(value, "all") == 0) {
            out.all = true;
            return true;
        }
        PyErr_Format(PyExc_ValueError, "tags must be None, 'all' or a list of tag names, not %R", value);
        return false;
    }
    PyObject* iterator = PyObject_GetIter(value);
    if (iterator == nullptr) {
        if (PyErr_ExceptionMatches(PyExc_TypeError)) {
            PyErr_Clear();
            cannot_convert(value, "list of tag names");
        }
        return false;
    }
    bool read = true;
    while (PyObject* item = PyIter_Next(iterator)) {
        read = to_text(item, out.names.emplace_back());
        Py_DECREF(item);
        if (!read) break;
    }
    Py_DECREF(iterator);
    return read && !PyErr_Occurred();
}

using RowKindParam = Defaulted<Param<corpus::RowKind, to_row_kind>, corpus::RowKind::games>;
using TagChoiceParam = Param<TagChoice, to_tag_choice>;

// The layout the arguments ask for; false with ValueError set for a choice that
// makes no table.
bool choose_layout(corpus::RowKind rows, TagChoice tags, bool uci, corpus::TableLayout& out) {
    out.rows = rows;
    out.uci = uci;
    if (rows == corpus::RowKind::positions) {
        if (!tags.given) return true;
        PyErr_SetString(PyExc_ValueError, "tags are columns of rows='games'; rows='positions' has none");
        return false;
    }
    out.all_tags = tags.all;
    if (!tags.given) out.tags.assign(std::begin(ROSTER), std::end(ROSTER));
    for (std::size_t i = 0; i < tags.names.size(); ++i) {
        const std::string& name = tags.names[i];
        const bool fixed = std::find(std::begin(GAME_COLUMNS), std::end(GAME_COLUMNS), name) != std::end(GAME_COLUMNS);
        if (fixed || std::find(tags.names.begin(), tags.names.begin() + i, name) != tags.names.begin() + i) {
            PyErr_Format(PyExc_ValueError, "tag '%s' would make a second column of that name", name.c_str());
            return false;
        }
    }
    if (tags.given && !tags.all) out.tags = std::move(tags.names);
    return true;
}

// ---------------------------------------------------------------------------
// The stream handed to consumers

struct StreamData {
    corpus::TableStream table;
    std::string error;  // the failure that ended the stream; empty while it goes on
};

StreamData& stream_data(ArrowArrayStream* stream) { return *static_cast<StreamData*>(stream->private_data); }

// What a source's failure says; for a file object's read(), what its exception says.
std::string failure_message(const corpus::SourceFailure& failure) {
    std::string message = failure.what();
    if (const auto* read = dynamic_cast<const PythonReadFailure*>(&failure)) {
        HeldGil gil;
        PyObject* text = PyObject_Str(read->exception());
        const char* said = text ? PyUnicode_AsUTF8(text) : nullptr;
        if (said && *said) message = message + ": " + said;
        Py_XDECREF(text);
        PyErr_Clear();
    }
    return message;
}

// Failures become errno codes and a message, as the stream interface reports them.
template <class Step>
int report(StreamData& data, Step&& step) noexcept {
    try {
        step();
        return 0;
    } catch (const std::bad_alloc&) {
        data.error = "out of memory";
        return ENOMEM;
    } catch (const corpus::SourceFailure& failure) {
        data.error = failure_message(failure);
        return failure.error_number ? failure.error_number : EIO;
    } catch (const Failure& failure) {  // an engine failure, its message whole
        data.error = failure.message();
    } catch (const std::exception& failure) {
        data.error = failure.what();
    }
    if (data.error.empty()) data.error = "reading the games failed";
    return EIO;
}

int get_schema(ArrowArrayStream* stream, ArrowSchema* out) {
    StreamData& data = stream_data(stream);
    return report(data, [&] { data.table.schema(out); });
}

int get_next(ArrowArrayStream* stream, ArrowArray* out) {
    StreamData& data = stream_data(stream);
    if (!data.error.empty()) return EIO;  // a stream that failed stays failed
    ReleasedGilIfHeld released;
    return report(data, [&] { data.table.next(out); });
}

const char* get_last_error(ArrowArrayStream* stream) {
    const std::string& error = stream_data(stream).error;
    return error.empty() ? nullptr : error.c_str();
}

void release_stream(ArrowArrayStream* stream) {
    {
        ReleasedGilIfHeld released;  // stopping the workers waits for them
        delete &stream_data(stream);
    }
    stream->release = nullptr;
}

void destroy_schema_capsule(PyObject* capsule) {
    auto* schema = static_cast<ArrowSchema*>(PyCapsule_GetPointer(capsule, "arrow_schema"));
    if (schema->release) schema->release(schema);
    delete schema;
}

void destroy_stream_capsule(PyObject* capsule) {
    auto* stream = static_cast<ArrowArrayStream*>(PyCapsule_GetPointer(capsule, "arrow_array_stream"));
    if (stream->release) stream->release(stream);
    delete stream;
}

// ---------------------------------------------------------------------------
// The class

PyObject* arrow_schema_method(PyObject* self, PyObject*) {
    auto* schema = new (std::nothrow) ArrowSchema{};
    if (schema == nullptr) return PyErr_NoMemory();
    if (!read_record<TableData>(self, [&](const TableData& data) {
            corpus::export_schema(corpus::table_rows(data.layout, {}), schema);
        })) {
        delete schema;
        return nullptr;
    }
    PyObject* capsule = PyCapsule_New(schema, "arrow_schema", destroy_schema_capsule);
    if (capsule == nullptr) {
        schema->release(schema);
        delete schema;
    }
    return capsule;
}

PyObject* arrow_stream_method(PyObject* self, PyObject* const* args, Py_ssize_t nargs, PyObject* kwnames) {
    static constexpr const char* parameters[] = {"requested_schema"};
    static constexpr Signature signature{"PgnTable.__arrow_c_stream__", parameters, 0};
    PyObject* bound[1] = {};
    if (!bind_arguments(signature, args, nargs, kwnames, bound)) return nullptr;
    // A requested schema is a wish the interface lets a producer decline: the
    // columns come as the layout makes them, and consumers cast if they must.
    Object<TableData>* object = as_object<TableData>(self);
    auto* stream = new (std::nothrow) ArrowArrayStream{};
    if (stream == nullptr) return PyErr_NoMemory();
    {
        Borrow borrow(object->access, Access::exclusive);
        if (!borrow) {
            delete stream;
            return nullptr;
        }
        TableData& data = object->record;
        if (!data.source.bytes) {
            delete stream;
            PyErr_SetString(PyExc_ValueError,
                            "this PgnTable was already read: its stream is one-shot; call pgn_table() again");
            return nullptr;
        }
        StreamData* stream_state = nullptr;
        if (!run_engine([&] {
                stream_state = new StreamData{
                    corpus::TableStream(std::move(data.source.bytes), data.options, data.layout, data.batch_rows), {}};
            })) {
            delete stream;
            return nullptr;
        }
        data.source.held = nullptr;  // the stream keeps it now
        *stream = ArrowArrayStream{get_schema, get_next, get_last_error, release_stream, stream_state};
    }
    PyObject* capsule = PyCapsule_New(stream, "arrow_array_stream", destroy_stream_capsule);
    if (capsule == nullptr) {
        stream->release(stream);
        delete stream;
    }
    return capsule;
}

int traverse(PyObject* self, visitproc visit, void* arg) {
    Py_VISIT(table_data(self).source.held);
    Py_VISIT(Py_TYPE(self));
    return 0;
}

int clear(PyObject* self) {
    table_data(self).source = {};
    return 0;
}

void dealloc(PyObject* self) {
    PyObject_GC_UnTrack(self);
    dealloc_object<TableData>(self);
}

PyMethodDef methods[] = {
    {"__arrow_c_schema__", method_pointer(arrow_schema_method), METH_NOARGS, doc("PgnTable.__arrow_c_schema__")},
    {"__arrow_c_stream__", method_pointer(arrow_stream_method), METH_FASTCALL | METH_KEYWORDS,
     doc("PgnTable.__arrow_c_stream__")},
    {nullptr, nullptr, 0, nullptr},
};

PyType_Slot slots[] = {
    {Py_tp_doc, const_cast<char*>(doc("PgnTable"))},
    {Py_tp_dealloc, reinterpret_cast<void*>(dealloc)},
    {Py_tp_traverse, reinterpret_cast<void*>(traverse)},
    {Py_tp_clear, reinterpret_cast<void*>(clear)},
    {Py_tp_methods, methods},
    {0, nullptr},
};

PyType_Spec type_spec{"tarvik.PgnTable", sizeof(Object<TableData>), 0,
                      Py_TPFLAGS_DEFAULT | Py_TPFLAGS_IMMUTABLETYPE | Py_TPFLAGS_HAVE_GC |
                          Py_TPFLAGS_DISALLOW_INSTANTIATION, slots};

}  // namespace

PyObject* pgn_table(PyObject*, PyObject* const* args, Py_ssize_t nargs, PyObject* kwnames) {
    static constexpr const char* parameters[] = {"source", "rows",    "tags",       "start",
                                                 "stop",   "threads", "batch_rows", "uci"};
    static constexpr Signature signature{"pgn_table", parameters, 1, 7};
    PyObject* bound[8] = {};
    if (!bind_arguments(signature, args, nargs, kwnames, bound)) return nullptr;
    std::tuple<PyObject*, corpus::RowKind, TagChoice, std::uint64_t, std::optional<std::uint64_t>,
               std::optional<std::uint32_t>, std::optional<long long>, bool>
        values{nullptr, corpus::RowKind::games, {}, 0, {}, {}, {}, false};
    if (!convert_arguments<AnyParam, RowKindParam, TagChoiceParam, OffsetParam, Optional<OffsetParam>,
                           Optional<ThreadCountParam>, Optional<CountParam>, BoolParam>(
            signature, bound, values, std::make_index_sequence<8>{})) {
        return nullptr;
    }
    auto& [source, rows, tags, start, stop, threads, batch_rows, uci] = values;
    TableData data;
    if (!choose_layout(rows, std::move(tags), uci, data.layout)) return nullptr;
    if (batch_rows && *batch_rows < 1) {
        PyErr_SetString(PyExc_ValueError, "batch_rows must be at least 1 (None: one batch per stretch of text)");
        return nullptr;
    }
    if (!open_corpus_source(source, start, stop, "pgn_table", data.source)) return nullptr;
    data.options.threads = threads ? *threads : corpus::available_cores();
    data.options.source_offset = data.source.offset;
    data.options.start = start;
    data.options.stop = stop;
    if (batch_rows) data.batch_rows = *batch_rows;
    return new_object<TableData>(pgn_table_type(), std::move(data));
}

PyTypeObject* pgn_table_type() {
    if (the_pgn_table_type == nullptr) the_pgn_table_type = create_type(type_spec, ClassDoc::kept);
    return the_pgn_table_type;
}

void forget_pgn_table_type() { the_pgn_table_type = nullptr; }

}  // namespace tarvik::module
