// A coverage-guided fuzz target (libFuzzer) for the PGN reader. The input is read
// three ways: whole, in pieces of sizes the first byte picks, and from a cut at a
// byte the second byte picks (as a piece of a split file is read). The games must
// agree, every game must export, and nothing may crash or trip a sanitizer.
//
// Build and run by tests/fuzz/run_pgn_fuzz.sh.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

#include "game/export.hpp"
#include "game/reader.hpp"

namespace {

using namespace tarvik::game;

struct Summary {
    std::uint64_t offset;
    std::string text;

    bool operator==(const Summary&) const = default;
};

std::vector<Summary> read_all(PgnReader& reader, std::string_view source, std::size_t piece) {
    std::vector<Summary> games;
    std::size_t fed = 0;
    for (;;) {
        while (std::optional<GameRecord> game = reader.next()) {
            games.push_back({game->offset, export_pgn(*game, {std::nullopt, true, true, true})});
            export_pgn(*game, {std::size_t{20}, false, true, false});
        }
        if (!reader.wants_input()) return games;
        if (fed == source.size()) {
            reader.finish();
            continue;
        }
        const std::size_t size = std::min(std::max(piece, reader.wanted_bytes()), source.size() - fed);
        reader.feed(source.substr(fed, size));
        fed += size;
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 2) return 0;
    const std::size_t piece = 1 + data[0] % 64;
    const std::string_view source(reinterpret_cast<const char*>(data + 2), size - 2);
    const std::size_t cut = source.empty() ? 0 : data[1] * source.size() / 256;

    PgnReader whole_reader;
    whole_reader.read_from(source);
    const std::vector<Summary> whole = read_all(whole_reader, source, 0);

    PgnReader piece_reader;
    if (read_all(piece_reader, source, piece) != whole) std::abort();

    // The games from the cut on, read from where a reader must resume.
    const std::uint64_t from = resume_offset(
        [&](std::uint64_t offset, char* out, std::size_t wanted) {
            const std::string_view part = source.substr(std::min<std::size_t>(offset, source.size()), wanted);
            std::memcpy(out, part.data(), part.size());
            return part.size();
        },
        cut);
    PgnReader cut_reader(ReadOptions{}, from);
    cut_reader.read_from(source.substr(from));
    std::vector<Summary> after_cut;
    for (const Summary& game : read_all(cut_reader, source.substr(from), 0)) {
        if (game.offset >= cut) after_cut.push_back(game);
    }
    std::vector<Summary> expected;
    for (const Summary& game : whole) {
        if (game.offset >= cut) expected.push_back(game);
    }
    if (after_cut != expected) std::abort();

    PgnReader headers_reader(ReadOptions{true});
    headers_reader.read_from(source);
    std::vector<std::uint64_t> offsets;
    while (std::optional<GameRecord> game = headers_reader.next()) offsets.push_back(game->offset);
    if (offsets.size() != whole.size()) std::abort();
    for (std::size_t i = 0; i < offsets.size(); ++i) {
        if (offsets[i] != whole[i].offset) std::abort();
    }
    return 0;
}
