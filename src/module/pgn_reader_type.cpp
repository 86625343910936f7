// read_pgn() and the PgnReader class it returns: an iterator of Game objects over
// a file named by a path, a bytes-like object or a file object, read piece by
// piece so that memory stays bounded by the longest game.
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "../game/reader.hpp"
#include "docstrings.hpp"
#include "game_data.hpp"

namespace tarvik::module {
namespace {

constexpr std::size_t CHUNK = std::size_t{1} << 20;

PyTypeObject* the_pgn_reader_type = nullptr;

// The reader and what it reads from: an open file, a buffer it holds, or a Python
// file object whose read() it calls.
struct ReaderData {
    game::PgnReader reader;
    std::FILE* file = nullptr;
    Py_buffer buffer{};  // buffer.obj is set while the buffer is held
    PyObject* stream = nullptr;
    std::uint64_t start = 0;
    std::optional<std::uint64_t> stop;
    bool done = false;

    explicit ReaderData(game::ReadOptions options) : reader(options) {}
    ~ReaderData() { release(); }
    ReaderData(const ReaderData&) = delete;
    ReaderData& operator=(const ReaderData&) = delete;

    // Lets go of the source: the file is closed, the buffer and the stream released.
    void release() {
        if (file) std::fclose(std::exchange(file, nullptr));
        if (buffer.obj) PyBuffer_Release(&buffer);
        Py_CLEAR(stream);
    }
};

ReaderData& reader_data(PyObject* self) { return as_object<ReaderData>(self)->record; }

// Brings the next piece of the source to the reader; false with the error set.
bool fill(ReaderData& data) {
    const std::size_t size = std::max(CHUNK, data.reader.wanted_bytes());
    if (data.file) {
        const std::span<char> space = data.reader.input_space(size);
        const std::size_t read = std::fread(space.data(), 1, space.size(), data.file);
        data.reader.commit_input(read);
        if (read == 0 && std::ferror(data.file)) {
            PyErr_SetFromErrno(PyExc_OSError);
            return false;
        }
        if (read == 0) data.reader.finish();
        return true;
    }
    if (!data.stream) {  // a buffer, read whole, or a reader whose source was let go
        data.reader.finish();
        return true;
    }
    PyObject* piece = PyObject_CallMethod(data.stream, "read", "n", static_cast<Py_ssize_t>(size));
    if (piece == nullptr) return false;
    const char* bytes = nullptr;
    Py_ssize_t length = 0;
    if (PyBytes_Check(piece)) {
        bytes = PyBytes_AS_STRING(piece), length = PyBytes_GET_SIZE(piece);
    } else if (PyByteArray_Check(piece)) {
        bytes = PyByteArray_AS_STRING(piece), length = PyByteArray_GET_SIZE(piece);
    } else if (PyUnicode_Check(piece)) {
        bytes = PyUnicode_AsUTF8AndSize(piece, &length);
    } else {
        PyErr_Format(PyExc_TypeError, "read() should return bytes or str, not '%s'", type_name(piece).c_str());
    }
    if (bytes == nullptr) {
        Py_DECREF(piece);
        return false;
    }
    if (length == 0) {
        data.reader.finish();
    } else {
        data.reader.feed(std::string_view(bytes, static_cast<std::size_t>(length)));
    }
    Py_DECREF(piece);
    return true;
}

PyObject* next_game(PyObject* self) {
    Object<ReaderData>* object = as_object<ReaderData>(self);
    Borrow borrow(object->access, Access::exclusive);
    if (!borrow) return nullptr;
    ReaderData& data = object->record;
    while (!data.done) {
        std::optional<game::GameRecord> game;
        if (!run_engine([&] { game = data.reader.next(); })) return nullptr;
        if (game) {
            if (game->offset < data.start) continue;
            if (data.stop && game->offset >= *data.stop) break;
            return to_python(std::move(*game));
        }
        if (!data.reader.wants_input()) break;
        if (!fill(data)) return nullptr;
    }
    data.done = true;
    data.release();
    return nullptr;
}

PyObject* iterate(PyObject* self) { return Py_NewRef(self); }

int traverse(PyObject* self, visitproc visit, void* arg) {
    ReaderData& data = reader_data(self);
    Py_VISIT(data.stream);
    Py_VISIT(data.buffer.obj);
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

PyObject* refuse_construction(PyTypeObject*, PyObject*, PyObject*) {
    PyErr_SetString(PyExc_TypeError, "PgnReader objects come from tarvik.read_pgn()");
    return nullptr;
}

PyType_Slot slots[] = {
    {Py_tp_doc, const_cast<char*>(doc("PgnReader"))},
    {Py_tp_new, reinterpret_cast<void*>(refuse_construction)},
    {Py_tp_dealloc, reinterpret_cast<void*>(dealloc)},
    {Py_tp_traverse, reinterpret_cast<void*>(traverse)},
    {Py_tp_clear, reinterpret_cast<void*>(clear)},
    {Py_tp_iter, reinterpret_cast<void*>(iterate)},
    {Py_tp_iternext, reinterpret_cast<void*>(next_game)},
    {0, nullptr},
};

PyType_Spec type_spec{"builtins.PgnReader", sizeof(Object<ReaderData>), 0,
                      Py_TPFLAGS_DEFAULT | Py_TPFLAGS_IMMUTABLETYPE | Py_TPFLAGS_HAVE_GC, slots};

// Opens a path (str or os.PathLike) for reading; nullptr with OSError set.
std::FILE* open_path(PyObject* source) {
    PyObject* encoded = nullptr;
    if (!PyUnicode_FSConverter(source, &encoded)) return nullptr;
    std::FILE* file = std::fopen(PyBytes_AS_STRING(encoded), "rb");
    struct stat status {};
    if (file && fstat(fileno(file), &status) == 0 && S_ISDIR(status.st_mode)) {
        std::fclose(file);
        file = nullptr;
        errno = EISDIR;
    }
    Py_DECREF(encoded);
    if (!file) PyErr_SetFromErrnoWithFilenameObject(PyExc_OSError, source);
    return file;
}

bool to_offset(PyObject* value, std::uint64_t& out) { return to_bitboard(value, out); }

using OffsetParam = Param<std::uint64_t, to_offset>;

// Where reading from `start` must begin, the source being `size` bytes read by `read_at`.
std::uint64_t resume_at(std::uint64_t start, std::uint64_t size, const game::ReadAt& read_at) {
    return start >= size ? size : game::resume_offset(read_at, start);
}

// Sets the reader up on its source; false with the error set.
bool open_source(ReaderData& data, PyObject* source) {
    const bool ranged = data.start > 0 || data.stop;
    if (PyUnicode_Check(source) || PyObject_HasAttrString(source, "__fspath__")) {
        if (!(data.file = open_path(source))) return false;
        if (data.start == 0) return true;
        struct stat status {};
        fstat(fileno(data.file), &status);
        const int descriptor = fileno(data.file);
        const std::uint64_t from =
            resume_at(data.start, std::uint64_t(status.st_size), [&](std::uint64_t offset, char* out, std::size_t n) {
                const ssize_t read = pread(descriptor, out, n, off_t(offset));
                return read < 0 ? std::size_t{0} : std::size_t(read);
            });
        data.reader.start_at(from);
        return fseeko(data.file, off_t(from), SEEK_SET) == 0 || (PyErr_SetFromErrno(PyExc_OSError), false);
    }
    if (PyObject_CheckBuffer(source)) {
        if (PyObject_GetBuffer(source, &data.buffer, PyBUF_SIMPLE) < 0) return false;
        const std::string_view bytes(static_cast<const char*>(data.buffer.buf), std::size_t(data.buffer.len));
        const std::uint64_t from =
            resume_at(data.start, bytes.size(), [&](std::uint64_t offset, char* out, std::size_t n) {
                const std::string_view piece = bytes.substr(std::size_t(std::min<std::uint64_t>(offset, bytes.size())), n);
                std::memcpy(out, piece.data(), piece.size());
                return piece.size();
            });
        data.reader.start_at(from);
        data.reader.read_from(bytes.substr(std::size_t(from)));
        return true;
    }
    if (PyObject_HasAttrString(source, "read")) {
        if (ranged) {
            PyErr_SetString(PyExc_ValueError,
                            "start and stop need a path or bytes: a file object is read from where it stands");
            return false;
        }
        data.stream = Py_NewRef(source);
        return true;
    }
    PyErr_Format(PyExc_TypeError, "read_pgn() needs a path, a bytes-like object or a file object, not '%s'",
                 type_name(source).c_str());
    return false;
}

}  // namespace

PyObject* read_pgn(PyObject*, PyObject* const* args, Py_ssize_t nargs, PyObject* kwnames) {
    static constexpr const char* parameters[] = {"source", "start", "stop", "headers_only"};
    static constexpr Signature signature{"read_pgn", parameters, 1, 3};
    PyObject* bound[4] = {};
    if (!bind_arguments(signature, args, nargs, kwnames, bound)) return nullptr;
    std::tuple<PyObject*, std::uint64_t, std::optional<std::uint64_t>, bool> values{};
    if (!convert_arguments<AnyParam, OffsetParam, Optional<OffsetParam>, BoolParam>(
            signature, bound, values, std::index_sequence_for<int, int, int, int>{})) {
        return nullptr;
    }
    const auto& [source, start, stop, headers_only] = values;
    PyTypeObject* type = pgn_reader_type();
    if (type == nullptr) return nullptr;
    PyObject* self = type->tp_alloc(type, 0);
    if (self == nullptr) return nullptr;
    ReaderData* data = new (&as_object<ReaderData>(self)->record) ReaderData(game::ReadOptions{headers_only});
    new (&as_object<ReaderData>(self)->access) AccessFlag();
    data->start = start;
    data->stop = stop;
    if (!open_source(*data, source)) {
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
