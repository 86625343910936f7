// The Headers class: a game's tag pairs as a live mapping, as python-chess's
// Headers is one: reading it reads the game, changing it changes the game. Names
// come in python-chess's order, the seven-tag roster's first.
#include <unordered_map>

#include "../game/tree_edits.hpp"
#include "docstrings.hpp"
#include "game_data.hpp"

namespace tarvik::module {
namespace {

PyTypeObject* the_headers_type = nullptr;

// Tag names repeat from game to game: each is made a str once (interned, so the
// dicts' lookups by literal names compare pointers) and kept for the runtime. A
// file of made-up names stops adding at the bound.
class TagNames {
public:
    PyObject* get(std::string_view name) {
        const std::string key(name);
        if (const auto found = names_.find(key); found != names_.end()) return Py_NewRef(found->second);
        PyObject* text = module::to_python(key);
        if (text == nullptr || names_.size() >= BOUND) return text;
        PyUnicode_InternInPlace(&text);
        names_.emplace(key, Py_NewRef(text));
        return text;
    }
    // The strings died with their runtime: forgotten, not released.
    void forget() { names_.clear(); }

private:
    static constexpr std::size_t BOUND = 512;
    std::unordered_map<std::string, PyObject*> names_;
};

TagNames tag_names;

// The record of a Headers object: its game, a strong reference.
class HeadersOf {
public:
    explicit HeadersOf(PyObject* game) : game_(Py_NewRef(game)) {}
    ~HeadersOf() { Py_DECREF(game_); }
    HeadersOf(const HeadersOf&) = delete;
    HeadersOf& operator=(const HeadersOf&) = delete;
    PyObject* game() const { return game_; }

private:
    PyObject* game_;
};

PyObject* game_of(PyObject* self) { return as_object<HeadersOf>(self)->record.game(); }

// The tags as a new dict, in order.
struct TagDict {
    std::vector<std::pair<std::string, std::string>> pairs;
};

PyObject* to_python(const TagDict& tags) {
    PyObject* dict = PyDict_New();
    for (const auto& [name, value] : tags.pairs) {
        if (dict == nullptr) return nullptr;
        PyObject* key = tag_names.get(name);
        PyObject* item = key ? module::to_python(value) : nullptr;
        if (!item || PyDict_SetItem(dict, key, item) < 0) Py_CLEAR(dict);
        Py_XDECREF(key);
        Py_XDECREF(item);
    }
    return dict;
}

PyObject* snapshot(PyObject* self) {
    return get_computed<GameData>(game_of(self), [](const GameData& data) {
        TagDict tags;
        for (const auto& [name, value] : data.record.distinct_tags()) tags.pairs.emplace_back(name, value);
        return tags;
    });
}

// A tag name given as a key: a str, else KeyError as a dict's lookup would fail.
bool to_key(PyObject* key, std::string& out) {
    if (!PyUnicode_Check(key)) {
        PyErr_SetObject(PyExc_KeyError, key);
        return false;
    }
    return to_text(key, out);
}

// The value of a name, or nullptr with KeyError set.
PyObject* lookup(PyObject* self, PyObject* key) {
    std::string name;
    if (!to_key(key, name)) return nullptr;
    std::optional<std::string> value;
    if (!read_record<GameData>(game_of(self), [&](const GameData& data) {
            if (const game::Tag* tag = data.record.tag(name)) value.emplace(data.record.view(tag->value));
        })) {
        return nullptr;
    }
    if (!value) {
        PyErr_SetObject(PyExc_KeyError, key);
        return nullptr;
    }
    return module::to_python(*value);
}

int assign(PyObject* self, PyObject* key, PyObject* value) {
    std::string name, text;
    if (!to_key(key, name) || (value != nullptr && !to_text(value, text))) return -1;
    Object<GameData>* game = as_object<GameData>(game_of(self));
    Borrow borrow(game->access, Access::exclusive);
    if (!borrow) return -1;
    bool removed = true;
    const bool done = run_engine([&] {
        if (value == nullptr) {
            removed = game::remove_tag(game->record.record, name);
        } else {
            game::set_tag(game->record.record, name, text);
        }
    });
    if (!done) return -1;
    if (!removed) {
        PyErr_SetObject(PyExc_KeyError, key);
        return -1;
    }
    return 0;
}

Py_ssize_t length(PyObject* self) {
    std::size_t count = 0;
    if (!read_record<GameData>(game_of(self), [&](const GameData& data) { count = data.record.distinct_tags().size(); })) {
        return -1;
    }
    return Py_ssize_t(count);
}

int contains(PyObject* self, PyObject* key) {
    if (!PyUnicode_Check(key)) return 0;
    std::string name;
    if (!to_text(key, name)) return -1;
    bool found = false;
    if (!read_record<GameData>(game_of(self), [&](const GameData& data) { found = data.record.tag(name) != nullptr; })) {
        return -1;
    }
    return found;
}

// A method of the snapshot dict, called with the same arguments.
PyObject* of_snapshot(PyObject* self, const char* method) {
    const Owned dict(snapshot(self));
    return dict ? PyObject_CallMethod(dict.get(), method, nullptr) : nullptr;
}

PyObject* iterate(PyObject* self) {
    const Owned dict(snapshot(self));
    return dict ? PyObject_GetIter(dict.get()) : nullptr;
}

PyObject* keys_method(PyObject* self, PyObject*) { return of_snapshot(self, "keys"); }
PyObject* values_method(PyObject* self, PyObject*) { return of_snapshot(self, "values"); }
PyObject* items_method(PyObject* self, PyObject*) { return of_snapshot(self, "items"); }
PyObject* copy_method(PyObject* self, PyObject*) { return snapshot(self); }

// Whether a method of a dict's form got from `least` to `most` positional arguments; TypeError if not.
bool check_count(const char* name, Py_ssize_t nargs, Py_ssize_t least, Py_ssize_t most) {
    if (nargs >= least && nargs <= most) return true;
    PyErr_Format(PyExc_TypeError, "%s expected %zd to %zd arguments, got %zd", name, least, most, nargs);
    return false;
}

PyObject* get_method(PyObject* self, PyObject* const* args, Py_ssize_t nargs) {
    if (!check_count("get", nargs, 1, 2)) return nullptr;
    PyObject* value = lookup(self, args[0]);
    if (value != nullptr || !PyErr_ExceptionMatches(PyExc_KeyError)) return value;
    PyErr_Clear();
    return Py_NewRef(nargs > 1 ? args[1] : Py_None);
}

PyObject* pop_method(PyObject* self, PyObject* const* args, Py_ssize_t nargs) {
    if (!check_count("pop", nargs, 1, 2)) return nullptr;
    PyObject* value = lookup(self, args[0]);
    if (value == nullptr) {
        if (nargs < 2 || !PyErr_ExceptionMatches(PyExc_KeyError)) return nullptr;
        PyErr_Clear();
        return Py_NewRef(args[1]);
    }
    if (assign(self, args[0], nullptr) < 0) Py_CLEAR(value);
    return value;
}

PyObject* setdefault_method(PyObject* self, PyObject* const* args, Py_ssize_t nargs) {
    if (!check_count("setdefault", nargs, 2, 2)) return nullptr;
    PyObject* value = lookup(self, args[0]);
    if (value != nullptr || !PyErr_ExceptionMatches(PyExc_KeyError)) return value;
    PyErr_Clear();
    return assign(self, args[0], args[1]) < 0 ? nullptr : Py_NewRef(args[1]);
}

// Every (name, value) of a mapping or an iterable of pairs, set in order.
bool assign_all(PyObject* self, PyObject* pairs) {
    const Owned items(PyMapping_Check(pairs) && PyObject_HasAttrString(pairs, "keys")
                          ? PyMapping_Items(pairs)
                          : PySequence_List(pairs));
    if (!items) return false;
    for (Py_ssize_t i = 0; i < PyList_GET_SIZE(items.get()); ++i) {
        PyObject* pair = PyList_GET_ITEM(items.get(), i);
        const Owned both(PySequence_Tuple(pair));
        if (!both || PyTuple_GET_SIZE(both.get()) != 2) {
            if (both) PyErr_Format(PyExc_TypeError, "headers need (name, value) pairs, not %R", pair);
            return false;
        }
        if (assign(self, PyTuple_GET_ITEM(both.get(), 0), PyTuple_GET_ITEM(both.get(), 1)) < 0) return false;
    }
    return true;
}

PyObject* update_method(PyObject* self, PyObject* args, PyObject* kwargs) {
    PyObject* other = nullptr;
    if (!PyArg_UnpackTuple(args, "update", 0, 1, &other)) return nullptr;
    if ((other && !assign_all(self, other)) || (kwargs && !assign_all(self, kwargs))) return nullptr;
    Py_RETURN_NONE;
}

PyObject* clear_method(PyObject* self, PyObject*) {
    Object<GameData>* game = as_object<GameData>(game_of(self));
    Borrow borrow(game->access, Access::exclusive);
    if (!borrow) return nullptr;
    game->record.record.tags.clear();
    game->record.record.removed_roster = 0xff;
    Py_RETURN_NONE;
}

PyObject* headers_richcompare(PyObject* self, PyObject* other, int op) {
    if (op != Py_EQ && op != Py_NE) Py_RETURN_NOTIMPLEMENTED;
    const Owned mine(snapshot(self));
    if (!mine) return nullptr;
    if (PyObject_TypeCheck(other, the_headers_type)) {
        const Owned theirs(snapshot(other));
        return theirs ? PyObject_RichCompare(mine.get(), theirs.get(), op) : nullptr;
    }
    if (!PyDict_Check(other)) Py_RETURN_NOTIMPLEMENTED;
    return PyObject_RichCompare(mine.get(), other, op);
}

PyObject* headers_repr(PyObject* self) {
    const Owned dict(snapshot(self));
    if (!dict) return nullptr;
    const Owned text(PyObject_Repr(dict.get()));
    return text ? PyUnicode_FromFormat("Headers(%U)", text.get()) : nullptr;
}

PyMethodDef methods[] = {
    {"keys", method_pointer(keys_method), METH_NOARGS, doc("Headers.keys")},
    {"values", method_pointer(values_method), METH_NOARGS, doc("Headers.values")},
    {"items", method_pointer(items_method), METH_NOARGS, doc("Headers.items")},
    {"get", method_pointer(get_method), METH_FASTCALL, doc("Headers.get")},
    {"pop", method_pointer(pop_method), METH_FASTCALL, doc("Headers.pop")},
    {"setdefault", method_pointer(setdefault_method), METH_FASTCALL, doc("Headers.setdefault")},
    {"update", method_pointer(update_method), METH_VARARGS | METH_KEYWORDS, doc("Headers.update")},
    {"clear", method_pointer(clear_method), METH_NOARGS, doc("Headers.clear")},
    {"copy", method_pointer(copy_method), METH_NOARGS, doc("Headers.copy")},
    {nullptr, nullptr, 0, nullptr},
};

PyType_Slot slots[] = {
    {Py_tp_doc, const_cast<char*>(doc("Headers"))},
    {Py_tp_dealloc, reinterpret_cast<void*>(dealloc_object<HeadersOf>)},
    {Py_tp_repr, reinterpret_cast<void*>(headers_repr)},
    {Py_tp_richcompare, reinterpret_cast<void*>(headers_richcompare)},
    {Py_tp_hash, reinterpret_cast<void*>(PyObject_HashNotImplemented)},
    {Py_tp_iter, reinterpret_cast<void*>(iterate)},
    {Py_mp_length, reinterpret_cast<void*>(length)},
    {Py_mp_subscript, reinterpret_cast<void*>(lookup)},
    {Py_mp_ass_subscript, reinterpret_cast<void*>(assign)},
    {Py_sq_contains, reinterpret_cast<void*>(contains)},
    {Py_tp_methods, methods},
    {0, nullptr},
};

// No constructor: headers come from their game.
PyType_Spec type_spec{"tarvik.Headers", sizeof(Object<HeadersOf>), 0,
                      Py_TPFLAGS_DEFAULT | Py_TPFLAGS_IMMUTABLETYPE | Py_TPFLAGS_DISALLOW_INSTANTIATION |
                          Py_TPFLAGS_MAPPING,
                      slots};

}  // namespace

PyTypeObject* headers_type() {
    if (the_headers_type != nullptr) return the_headers_type;
    the_headers_type = create_type(type_spec, ClassDoc::kept);
    if (the_headers_type == nullptr) return nullptr;
    // A mapping to isinstance(), as python-chess's Headers is one.
    const Owned abc(PyImport_ImportModule("collections.abc"));
    const Owned mapping(abc ? PyObject_GetAttrString(abc.get(), "MutableMapping") : nullptr);
    const Owned registered(mapping ? PyObject_CallMethod(mapping.get(), "register", "O", the_headers_type) : nullptr);
    if (!registered) Py_CLEAR(the_headers_type);
    return the_headers_type;
}

void forget_headers_type() {
    the_headers_type = nullptr;
    tag_names.forget();
}

PyObject* headers_of(PyObject* game) { return new_object<HeadersOf>(headers_type(), game); }

bool replace_headers(PyObject* game, PyObject* pairs) {
    const Owned headers(headers_of(game));
    if (!headers) return false;
    // Checked whole before the game changes: a bad pair leaves the tags as they were.
    const Owned items(PyMapping_Check(pairs) && PyObject_HasAttrString(pairs, "keys") ? PyMapping_Items(pairs)
                                                                                        : PySequence_List(pairs));
    if (!items) return false;
    for (Py_ssize_t i = 0; i < PyList_GET_SIZE(items.get()); ++i) {
        const Owned both(PySequence_Tuple(PyList_GET_ITEM(items.get(), i)));
        std::string name, value;
        if (!both || PyTuple_GET_SIZE(both.get()) != 2 || !to_key(PyTuple_GET_ITEM(both.get(), 0), name) ||
            !to_text(PyTuple_GET_ITEM(both.get(), 1), value) || !run_engine([&] { game::check_tag(name, value); })) {
            if (!PyErr_Occurred()) PyErr_SetString(PyExc_TypeError, "headers need (name, value) pairs");
            return false;
        }
    }
    const Owned cleared(clear_method(headers.get(), nullptr));
    return cleared && assign_all(headers.get(), items.get());
}

}  // namespace tarvik::module
