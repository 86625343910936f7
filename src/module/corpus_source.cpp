#include "corpus_source.hpp"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <string>
#include <string_view>

#include "../corpus/decompress.hpp"
#include "../game/reader.hpp"

namespace tarvik::module {
namespace {

// A bytes-like object's buffer, held for as long as it is read.
class BufferSource final : public corpus::ByteSource {
public:
    // Takes the buffer; reads it from `from` on.
    BufferSource(const Py_buffer& view, std::uint64_t from)
        : view_(view), bytes_(corpus::memory_source(text().substr(std::size_t(from)))) {}
    ~BufferSource() override {
        HeldGil gil;
        PyBuffer_Release(&view_);
    }
    BufferSource(const BufferSource&) = delete;
    BufferSource& operator=(const BufferSource&) = delete;

    std::size_t read(char* out, std::size_t size) override { return bytes_->read(out, size); }

    std::string_view text() const { return {static_cast<const char*>(view_.buf), std::size_t(view_.len)}; }

private:
    Py_buffer view_;
    std::unique_ptr<corpus::ByteSource> bytes_;
};

// A file object, read through its read(), with the GIL taken for each call.
class FileObjectSource final : public corpus::ByteSource {
public:
    explicit FileObjectSource(PyObject* file) : file_(Py_NewRef(file)) {}
    ~FileObjectSource() override {
        HeldGil gil;
        Py_DECREF(file_);
    }
    FileObjectSource(const FileObjectSource&) = delete;
    FileObjectSource& operator=(const FileObjectSource&) = delete;

    std::size_t read(char* out, std::size_t size) override {
        if (!surplus_.empty()) {
            const std::size_t n = std::min(size, surplus_.size());
            std::memcpy(out, surplus_.data(), n);
            surplus_.erase(0, n);
            return n;
        }
        HeldGil gil;
        PyObject* piece = PyObject_CallMethod(file_, "read", "n", static_cast<Py_ssize_t>(size));
        std::string_view bytes;
        if (piece != nullptr && !view_of(piece, bytes)) Py_CLEAR(piece);
        if (piece == nullptr) throw PythonReadFailure(PyErr_GetRaisedException());
        // read(n) of a text file gives n characters, whose UTF-8 may be longer.
        const std::size_t n = std::min(size, bytes.size());
        std::memcpy(out, bytes.data(), n);
        surplus_.assign(bytes.substr(n));
        Py_DECREF(piece);
        return n;
    }

private:
    // What read() returned, as bytes; false with TypeError or UnicodeEncodeError set.
    static bool view_of(PyObject* piece, std::string_view& out) {
        if (PyBytes_Check(piece)) {
            out = {PyBytes_AS_STRING(piece), std::size_t(PyBytes_GET_SIZE(piece))};
        } else if (PyByteArray_Check(piece)) {
            out = {PyByteArray_AS_STRING(piece), std::size_t(PyByteArray_GET_SIZE(piece))};
        } else if (PyUnicode_Check(piece)) {
            Py_ssize_t length = 0;
            const char* text = PyUnicode_AsUTF8AndSize(piece, &length);
            if (text == nullptr) return false;
            out = {text, std::size_t(length)};
        } else {
            PyErr_Format(PyExc_TypeError, "read() should return bytes or str, not '%s'", type_name(piece).c_str());
            return false;
        }
        return true;
    }

    PyObject* file_;
    std::string surplus_;  // returned by read() beyond what was asked for
};

// Whether `head` opens data some library must decompress first.
bool compressed(std::string_view head) { return corpus::compression_of(head) != corpus::Compression::none; }

// Where reading from `start` must begin in plain text of `size` bytes read by `read_at`.
std::uint64_t resume_at(std::uint64_t start, std::uint64_t size, const game::ReadAt& read_at) {
    return start >= size ? size : game::resume_offset(read_at, start);
}

bool open_path(PyObject* source, std::uint64_t start, CorpusSource& out) {
    PyObject* encoded = nullptr;
    if (!PyUnicode_FSConverter(source, &encoded)) return false;
    const std::string name(PyBytes_AS_STRING(encoded), std::size_t(PyBytes_GET_SIZE(encoded)));
    Py_DECREF(encoded);
    const int descriptor = ::open(name.c_str(), O_RDONLY | O_CLOEXEC);
    struct stat status {};
    if (descriptor >= 0 && fstat(descriptor, &status) == 0 && S_ISDIR(status.st_mode)) {
        ::close(descriptor);
        errno = EISDIR;
        PyErr_SetFromErrnoWithFilenameObject(PyExc_OSError, source);
        return false;
    }
    if (descriptor < 0) {
        PyErr_SetFromErrnoWithFilenameObject(PyExc_OSError, source);
        return false;
    }
    const game::ReadAt read_at = [&](std::uint64_t offset, char* into, std::size_t n) {
        const ssize_t read = pread(descriptor, into, n, off_t(offset));
        return read < 0 ? std::size_t{0} : std::size_t(read);
    };
    char head[4];
    const bool plain = start > 0 && !compressed(std::string_view(head, read_at(0, head, sizeof head)));
    out.offset = plain ? resume_at(start, std::uint64_t(status.st_size), read_at) : 0;
    if (out.offset > 0 && lseek(descriptor, off_t(out.offset), SEEK_SET) < 0) {
        PyErr_SetFromErrnoWithFilenameObject(PyExc_OSError, source);
        ::close(descriptor);
        return false;
    }
    out.bytes = corpus::text_source(corpus::file_source(descriptor, name), name);
    return true;
}

bool open_buffer(PyObject* source, std::uint64_t start, CorpusSource& out) {
    Py_buffer view{};
    if (PyObject_GetBuffer(source, &view, PyBUF_SIMPLE) < 0) return false;
    const std::string_view bytes(static_cast<const char*>(view.buf), std::size_t(view.len));
    if (start > 0 && !compressed(bytes.substr(0, 4))) {
        out.offset = resume_at(start, bytes.size(), [&](std::uint64_t offset, char* into, std::size_t n) {
            const std::string_view piece = bytes.substr(std::size_t(std::min<std::uint64_t>(offset, bytes.size())), n);
            std::memcpy(into, piece.data(), piece.size());
            return piece.size();
        });
    }
    out.bytes = corpus::text_source(std::make_unique<BufferSource>(view, out.offset), "<" + type_name(source) + ">");
    out.held = source;
    return true;
}

// How failures name a file object: its name, when that is a str, as for open files.
std::string name_of_file_object(PyObject* file) {
    std::string name = "<" + type_name(file) + ">";
    PyObject* attribute = PyObject_GetAttrString(file, "name");
    if (attribute && PyUnicode_Check(attribute)) {
        if (const char* text = PyUnicode_AsUTF8(attribute)) name = text;
    }
    Py_XDECREF(attribute);
    PyErr_Clear();
    return name;
}

// open_corpus_source, but for the memory it may run out of.
bool open_any(PyObject* source, std::uint64_t start, std::optional<std::uint64_t> stop, const char* function,
              CorpusSource& out) {
    if (PyUnicode_Check(source) || PyObject_HasAttrString(source, "__fspath__")) return open_path(source, start, out);
    if (PyObject_CheckBuffer(source)) return open_buffer(source, start, out);
    if (PyObject_HasAttrString(source, "read")) {
        if (start > 0 || stop) {
            PyErr_SetString(PyExc_ValueError,
                            "start and stop need a path or bytes: a file object is read from where it stands");
            return false;
        }
        out.bytes = corpus::text_source(std::make_unique<FileObjectSource>(source), name_of_file_object(source));
        out.held = source;
        return true;
    }
    PyErr_Format(PyExc_TypeError, "%s() needs a path, a bytes-like object or a file object, not '%s'", function,
                 type_name(source).c_str());
    return false;
}

}  // namespace

bool open_corpus_source(PyObject* source, std::uint64_t start, std::optional<std::uint64_t> stop, const char* function,
                        CorpusSource& out) {
    out = CorpusSource{};
    bool opened = false;
    return run_engine([&] { opened = open_any(source, start, stop, function, out); }) && opened;
}

}  // namespace tarvik::module
