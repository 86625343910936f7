// tarvik-pgn: reads PGN files with the engine alone and says what they hold, one
// line per file: games, moves of the mainlines, games with errors. For checking the
// reader against other programs and measuring it without Python in the way.
//
//   tarvik-pgn [--headers-only] [--errors] [--games] [--threads N] [--stretch BYTES] FILE...
//   tarvik-pgn --table games|positions [--threads N] [--stretch BYTES] FILE...
//
// --errors also writes each game's errors, after its offset; --games a line per
// game (offset, tags, nodes, mainline moves, result marker, errors). --threads
// reads on N worker threads (0: every core), in stretches of about --stretch bytes
// (0: the whole file as one); the output is the same for every N and size.
// --table builds the Arrow record batches of pgn_table() instead, rows of games
// or of positions, and says how many rows they hold. A FILE
// compressed with zstd, gzip or bzip2 is decompressed as it is read.
#include <fcntl.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>

#include "corpus/decompress.hpp"
#include "corpus/game_pipeline.hpp"
#include "corpus/table_stream.hpp"

namespace {

struct Counts {
    std::uint64_t games = 0, moves = 0, with_errors = 0;
};

struct Output {
    bool errors = false;
    bool games = false;
};

void print_game(const tarvik::game::GameRecord& game, const Output& output) {
    const auto offset = (unsigned long long)game.offset;
    if (output.games) {
        std::printf("game %llu: %zu tags, %zu nodes, %zu moves, \"%s\", %zu errors\n", offset, game.tags.size(),
                    game.nodes.size(), game.mainline().size(), game.termination.c_str(), game.errors.size());
    }
    if (output.errors) {
        for (const std::string& error : game.errors) std::printf("%llu: %s\n", offset, error.c_str());
    }
}

// The file's text, decompressed when it is compressed; null when it cannot be opened.
std::unique_ptr<tarvik::corpus::ByteSource> open_text(const char* path) {
    const int descriptor = ::open(path, O_RDONLY);
    if (descriptor < 0) {
        std::fprintf(stderr, "%s: %s\n", path, std::strerror(errno));
        return nullptr;
    }
    return tarvik::corpus::text_source(tarvik::corpus::file_source(descriptor, path), path);
}

bool build_table(const char* path, tarvik::corpus::PipelineOptions options, tarvik::corpus::RowKind rows,
                 std::uint64_t& row_count) {
    std::unique_ptr<tarvik::corpus::ByteSource> source = open_text(path);
    if (!source) return false;
    tarvik::corpus::TableLayout layout;
    layout.rows = rows;
    if (rows == tarvik::corpus::RowKind::games) layout.tags = {"White", "Black", "Result", "WhiteElo", "BlackElo"};
    try {
        tarvik::corpus::TableStream table(std::move(source), std::move(options), layout, std::nullopt);
        for (ArrowArray batch;;) {
            table.next(&batch);
            if (!batch.release) break;
            row_count += std::uint64_t(batch.length);
            batch.release(&batch);
        }
    } catch (const std::exception& failure) {
        std::fprintf(stderr, "%s\n", failure.what());
        return false;
    }
    return true;
}

bool read_file(const char* path, tarvik::corpus::PipelineOptions options, const Output& output, Counts& counts) {
    std::unique_ptr<tarvik::corpus::ByteSource> source = open_text(path);
    if (!source) return false;
    using Games = std::vector<tarvik::game::GameRecord>;
    tarvik::corpus::GamePipeline<Games> pipeline(std::move(source), std::move(options),
                                                 [](Games&& games) { return std::move(games); });
    try {
        while (std::optional<Games> games = pipeline.next()) {
            for (const tarvik::game::GameRecord& game : *games) {
                ++counts.games;
                counts.moves += game.mainline().size();
                counts.with_errors += !game.errors.empty();
                print_game(game, output);
            }
        }
    } catch (const std::exception& failure) {
        std::fprintf(stderr, "%s\n", failure.what());
        return false;
    }
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    tarvik::corpus::PipelineOptions options;
    Output output;
    std::optional<tarvik::corpus::RowKind> table;
    int first = 1;
    for (; first < argc && std::string_view(argv[first]).starts_with("--"); ++first) {
        const std::string_view option = argv[first];
        if (option == "--headers-only") {
            options.read.headers_only = true;
        } else if (option == "--errors") {
            output.errors = true;
        } else if (option == "--games") {
            output.games = true;
        } else if (option == "--table" && first + 1 < argc) {
            const std::string_view rows = argv[++first];
            table = rows == "positions" ? tarvik::corpus::RowKind::positions : tarvik::corpus::RowKind::games;
        } else if (option == "--stretch" && first + 1 < argc) {
            const unsigned long long bytes = std::strtoull(argv[++first], nullptr, 10);
            options.stretch_bytes = bytes > 0 ? std::size_t(bytes) : SIZE_MAX;
        } else if (option == "--threads" && first + 1 < argc) {
            const int threads = std::atoi(argv[++first]);
            options.threads = threads > 0 ? unsigned(threads) : tarvik::corpus::available_cores();
        } else {
            first = argc;
        }
    }
    if (first >= argc) {
        std::fputs("usage: tarvik-pgn [--headers-only] [--errors] [--games] [--threads N] [--stretch BYTES] FILE...\n"
                   "       tarvik-pgn --table games|positions [--threads N] [--stretch BYTES] FILE...\n",
                   stderr);
        return 2;
    }
    int status = 0;
    for (int i = first; i < argc; ++i) {
        if (table) {
            std::uint64_t rows = 0;
            if (!build_table(argv[i], options, *table, rows)) {
                status = 1;
                continue;
            }
            std::printf("%s: %llu rows\n", argv[i], (unsigned long long)rows);
            continue;
        }
        Counts counts;
        if (!read_file(argv[i], options, output, counts)) {
            status = 1;
            continue;
        }
        std::printf("%s: %llu games, %llu moves, %llu with errors\n", argv[i], (unsigned long long)counts.games,
                    (unsigned long long)counts.moves, (unsigned long long)counts.with_errors);
    }
    return status;
}
