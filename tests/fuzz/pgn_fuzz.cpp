// A coverage-guided fuzz target (libFuzzer) for the PGN reader. The input is read
// three ways: whole, in pieces of sizes the first byte picks, and from a cut at a
// byte the second byte picks (as a piece of a split file is read). The games must
// agree, every game must export, and nothing may crash or trip a sanitizer.
//
// The input also goes through decompression: compressed with zstd, gzip and bzip2
// it must give the same games, and cut short at the second byte's place the games
// before the cut and then a truncation; the input itself, when it opens with a
// magic number, must fail cleanly or decompress.
//
// And it is cut into stretches at lines where a game must begin, of a size the
// first byte picks, as worker threads read a corpus: the stretches' games must be
// the whole text's.
//
// Every game read is also kept as bytes and rebuilt, and its comments annotated;
// the input itself is offered as kept bytes, which must be refused or rebuilt.
//
// Build and run by tests/fuzz/run_pgn_fuzz.sh.
#include <bzlib.h>
#include <zlib.h>
#include <zstd.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "corpus/decompress.hpp"
#include "corpus/game_pipeline.hpp"
#include "board/failure.hpp"
#include "board/fen.hpp"
#include "game/annotation_edits.hpp"
#include "game/annotations.hpp"
#include "game/export.hpp"
#include "game/reader.hpp"
#include "game/record_bytes.hpp"

namespace {

using namespace tarvik::game;
using tarvik::corpus::SourceFailure;

struct Summary {
    std::uint64_t offset;
    std::string text;

    bool operator==(const Summary&) const = default;
};

Summary summary(const GameRecord& game) { return {game.offset, export_pgn(game, {.columns = std::nullopt})}; }

// A game kept as pickling keeps it must come back the same; its comments with a
// clock, an evaluation and arrows written in must read those back.
void check_kept_and_annotated(const GameRecord& game) {
    const GameRecord again = record_from_bytes(game.start, record_bytes(game));
    if (summary(again) != summary(game) || again.errors != game.errors) std::abort();
    for (const Node& node : game.nodes) {
        const std::string_view comment = game.view(node.comment);
        if (read_clock(with_clock(comment, 61.5)) != 61.5) std::abort();
        const Score score{true, Score::Kind::centipawns, -35};
        const std::optional<Evaluation> evaluation = read_evaluation(with_evaluation(comment, score, 12));
        if (!evaluation || evaluation->centipawns != -35 || evaluation->depth != 12u) std::abort();
        const std::vector<Arrow> arrows{{12, 28, 'R'}, {3, 3, 'G'}};
        if (read_arrows(with_arrows(comment, arrows)).size() < arrows.size()) std::abort();
        with_clock(comment, std::nullopt), with_evaluation(comment, std::nullopt, std::nullopt), with_arrows(comment, {});
    }
}

std::vector<Summary> read_all(PgnReader& reader, std::string_view source, std::size_t piece) {
    std::vector<Summary> games;
    std::size_t fed = 0;
    for (;;) {
        while (std::optional<GameRecord> game = reader.next()) {
            games.push_back(summary(*game));
            export_pgn(*game, {.columns = 20, .headers = false, .variations = false});
            check_kept_and_annotated(*game);
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

// The games of a byte source read in pieces, up to its end or its failure.
std::vector<Summary> read_source(tarvik::corpus::ByteSource& source, std::size_t piece,
                                 std::optional<SourceFailure::Kind>& failure) {
    PgnReader reader;
    std::vector<Summary> games;
    for (;;) {
        while (std::optional<GameRecord> game = reader.next()) {
            games.push_back(summary(*game));
        }
        if (!reader.wants_input()) return games;
        const std::span<char> space = reader.input_space(std::max(piece, reader.wanted_bytes()));
        std::size_t read = 0;
        try {
            read = source.read(space.data(), space.size());
        } catch (const SourceFailure& broken) {
            failure = broken.kind;
            return games;
        }
        reader.commit_input(read);
        if (read == 0) reader.finish();
    }
}

std::vector<Summary> read_text_of(std::string_view bytes, std::size_t piece, std::optional<SourceFailure::Kind>& failure) {
    const std::unique_ptr<tarvik::corpus::ByteSource> source =
        tarvik::corpus::text_source(tarvik::corpus::memory_source(bytes), "fuzz input");
    return read_source(*source, piece, failure);
}

// The source compressed the fastest way of each format.
std::vector<std::string> compressed_forms(std::string_view text) {
    std::string zstd(ZSTD_compressBound(text.size()), '\0');
    zstd.resize(ZSTD_compress(zstd.data(), zstd.size(), text.data(), text.size(), 1));

    z_stream stream{};
    deflateInit2(&stream, 1, Z_DEFLATED, 16 + MAX_WBITS, 8, Z_DEFAULT_STRATEGY);
    std::string gzip(deflateBound(&stream, text.size()), '\0');
    stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(text.data()));
    stream.avail_in = unsigned(text.size());
    stream.next_out = reinterpret_cast<Bytef*>(gzip.data());
    stream.avail_out = unsigned(gzip.size());
    deflate(&stream, Z_FINISH);
    gzip.resize(stream.total_out);
    deflateEnd(&stream);

    std::string bzip2(text.size() + text.size() / 100 + 601, '\0');
    unsigned int length = unsigned(bzip2.size());
    BZ2_bzBuffToBuffCompress(bzip2.data(), &length, const_cast<char*>(text.data()), unsigned(text.size()), 1, 0, 0);
    bzip2.resize(length);
    return {zstd, gzip, bzip2};
}

bool is_prefix(const std::vector<Summary>& part, const std::vector<Summary>& whole) {
    return part.size() <= whole.size() && std::equal(part.begin(), part.end(), whole.begin());
}

void check_decompression(std::string_view source, std::size_t piece, std::size_t cut_byte,
                         const std::vector<Summary>& whole) {
    for (const std::string& compressed : compressed_forms(source)) {
        std::optional<SourceFailure::Kind> failure;
        if (read_text_of(compressed, piece, failure) != whole || failure) std::abort();
        // Cut short after the magic number: the games before the cut, then a truncation.
        const std::size_t cut = 4 + cut_byte * (compressed.size() - 4) / 256;
        const std::vector<Summary> before = read_text_of(std::string_view(compressed).substr(0, cut), piece, failure);
        if (!is_prefix(before, whole) || failure != SourceFailure::Kind::truncated) std::abort();
    }
    // The input itself: text read as text, and anything that opens with a magic number
    // decompressed or refused, never more.
    std::optional<SourceFailure::Kind> failure;
    const std::vector<Summary> read = read_text_of(source, piece, failure);
    const bool plain = tarvik::corpus::compression_of(source) == tarvik::corpus::Compression::none;
    if (plain && (read != whole || failure)) std::abort();
}

// The games of the text read in stretches of about `stretch` bytes.
std::vector<Summary> read_in_stretches(std::string_view source, std::size_t stretch) {
    tarvik::corpus::PipelineOptions options;
    options.stretch_bytes = stretch;
    using Summaries = std::vector<Summary>;
    tarvik::corpus::GamePipeline<Summaries> pipeline(
        tarvik::corpus::memory_source(source), options, [](std::vector<GameRecord>&& games) {
            Summaries summaries;
            for (const GameRecord& game : games) summaries.push_back(summary(game));
            return summaries;
        });
    Summaries games;
    while (std::optional<Summaries> stretch_games = pipeline.next()) {
        games.insert(games.end(), stretch_games->begin(), stretch_games->end());
    }
    return games;
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

    // Bytes that are no kept game are refused, never trusted.
    try {
        record_from_bytes(tarvik::board_from_fen(std::string(tarvik::DEFAULT_FEN)), source);
    } catch (const tarvik::RejectedInput&) {
    }

    check_decompression(source, piece, data[1], whole);
    if (read_in_stretches(source, 1 + data[0] * 3) != whole) std::abort();

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
