// tarvik-perft: counts the leaves of the legal move tree below a position, one
// line per root move and then the total, in the shape of a UCI engine's
// "go perft" so the two outputs can be compared line by line.
//
//   tarvik-perft [--stats] FEN DEPTH
//
// The FEN may be one quoted argument or its fields as separate arguments; the
// last argument is the depth. The count is the engine's perft, which counts the
// legal moves at the last ply instead of playing them. --stats writes the search
// time, nodes per second, the peak resident memory of the process and the sizes
// of the records a board's undo stacks hold per applied move to standard error.
#include <sys/resource.h>

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <exception>
#include <string>
#include <string_view>

#include "board/apply.hpp"
#include "board/board.hpp"
#include "board/failure.hpp"
#include "board/fen.hpp"
#include "board/legal.hpp"
#include "board/move.hpp"
#include "board/perft.hpp"

namespace {

using tarvik::Move;
using tarvik::MoveList;
using tarvik::Position;

// Peak resident memory in KiB. The kernel's own high-water mark of this program
// comes first: ru_maxrss also keeps the peak of the process that was replaced
// by exec, which for a tool started from a large parent is the parent's size.
long peak_memory_kib() {
    if (std::FILE* status = std::fopen("/proc/self/status", "r")) {
        char line[256];
        long kib = -1;
        while (std::fgets(line, sizeof line, status)) {
            if (std::sscanf(line, "VmHWM: %ld kB", &kib) == 1) break;
        }
        std::fclose(status);
        if (kib >= 0) return kib;
    }
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;  // KiB on Linux
}

int usage() {
    std::fputs("usage: tarvik-perft [--stats] FEN DEPTH\n", stderr);
    return 2;
}

bool parse_depth(std::string_view text, int& depth) {
    if (text.empty() || text.size() > 3) return false;
    int value = 0;
    for (const char c : text) {
        if (c < '0' || c > '9') return false;
        value = value * 10 + (c - '0');
    }
    depth = value;
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    bool stats = false;
    std::string fen;
    std::string_view depth_text;
    for (int i = 1; i < argc; ++i) {
        const std::string_view arg = argv[i];
        if (arg == "--stats") {
            stats = true;
        } else if (arg == "-h" || arg == "--help") {
            usage();
            return 0;
        } else if (arg.starts_with("--")) {
            return usage();  // no FEN field starts so
        } else if (i == argc - 1) {
            depth_text = arg;
        } else {
            if (!fen.empty()) fen += ' ';
            fen += arg;
        }
    }
    int depth = 0;
    if (fen.empty() || !parse_depth(depth_text, depth)) return usage();

    try {
        const tarvik::Board board = tarvik::board_from_fen(fen);
        const auto start = std::chrono::steady_clock::now();
        std::uint64_t total = 0;
        if (depth == 0) {
            total = 1;
        } else {
            MoveList moves;
            tarvik::legal_moves(board.position, board.castling_field(), moves);
            for (const Move& move : moves) {
                Position child = board.position;
                tarvik::make_move(child, move);
                const std::uint64_t nodes = tarvik::perft(child, board.castling_field(), unsigned(depth - 1));
                std::printf("%s: %llu\n", tarvik::uci(move).c_str(), static_cast<unsigned long long>(nodes));
                total += nodes;
            }
        }
        std::printf("\nNodes searched: %llu\n", static_cast<unsigned long long>(total));
        std::fflush(stdout);
        const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();

        if (stats) {
            std::fprintf(stderr, "Time (s): %.6f\n", seconds);
            std::fprintf(stderr, "Nodes/second: %.0f\n", seconds > 0 ? static_cast<double>(total) / seconds : 0.0);
            std::fprintf(stderr, "Peak memory (KiB): %ld\n", peak_memory_kib());
            std::fprintf(stderr, "Stack records (bytes): Move %zu, BoardState %zu\n", sizeof(Move),
                         sizeof(tarvik::BoardState));
        }
    } catch (const tarvik::InternalFailure& failure) {
        std::fflush(stdout);
        std::fprintf(stderr, "tarvik-perft: internal failure: %s\n", failure.what());
        return 1;
    } catch (const std::exception& error) {
        std::fflush(stdout);
        std::fprintf(stderr, "tarvik-perft: %s\n", error.what());
        return 1;
    }
    return 0;
}
