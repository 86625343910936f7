// tarvik-pgn: reads PGN files with the engine alone and says what they hold, one
// line per file: games, moves of the mainlines, games with errors. For checking the
// reader against other programs and measuring it without Python in the way.
//
//   tarvik-pgn [--headers-only] [--errors] FILE...
//
// --errors also writes each game's errors, after its offset.
#include <cstdio>
#include <string>
#include <string_view>

#include "game/reader.hpp"

namespace {

struct Counts {
    std::uint64_t games = 0, moves = 0, with_errors = 0;
};

bool read_file(const char* path, const tarvik::game::ReadOptions& options, bool print_errors, Counts& counts) {
    std::FILE* file = std::fopen(path, "rb");
    if (!file) {
        std::perror(path);
        return false;
    }
    tarvik::game::PgnReader reader(options);
    for (;;) {
        while (std::optional<tarvik::game::GameRecord> game = reader.next()) {
            ++counts.games;
            counts.moves += game->mainline().size();
            counts.with_errors += !game->errors.empty();
            if (print_errors) {
                for (const std::string& error : game->errors) std::printf("%llu: %s\n", (unsigned long long)game->offset, error.c_str());
            }
        }
        if (!reader.wants_input()) break;
        const std::span<char> space = reader.input_space(std::max<std::size_t>(1 << 20, reader.wanted_bytes()));
        const std::size_t read = std::fread(space.data(), 1, space.size(), file);
        reader.commit_input(read);
        if (read == 0) reader.finish();
    }
    std::fclose(file);
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    tarvik::game::ReadOptions options;
    bool print_errors = false;
    int first = 1;
    for (; first < argc && std::string_view(argv[first]).starts_with("--"); ++first) {
        const std::string_view option = argv[first];
        if (option == "--headers-only") {
            options.headers_only = true;
        } else if (option == "--errors") {
            print_errors = true;
        } else {
            first = argc;
        }
    }
    if (first >= argc) {
        std::fputs("usage: tarvik-pgn [--headers-only] [--errors] FILE...\n", stderr);
        return 2;
    }
    int status = 0;
    for (int i = first; i < argc; ++i) {
        Counts counts;
        if (!read_file(argv[i], options, print_errors, counts)) {
            status = 1;
            continue;
        }
        std::printf("%s: %llu games, %llu moves, %llu with errors\n", argv[i], (unsigned long long)counts.games,
                    (unsigned long long)counts.moves, (unsigned long long)counts.with_errors);
    }
    return status;
}
