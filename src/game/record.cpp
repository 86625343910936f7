#include "record.hpp"

#include <algorithm>
#include <unordered_map>

namespace tarvik::game {

const Tag* GameRecord::tag(std::string_view name) const {
    return find_tag(tags, name, [this](TextSpan span) { return view(span); });
}

std::vector<std::pair<std::string_view, std::string_view>> GameRecord::distinct_tags() const {
    // Each name's last value, taken out as the name is written: a file of many tags costs one pass.
    std::unordered_map<std::string_view, std::string_view> last;
    for (const Tag& each : tags) last[view(each.name)] = view(each.value);
    std::vector<std::pair<std::string_view, std::string_view>> found;
    const auto take = [&](std::string_view name) {
        if (const auto named = last.find(name); named != last.end()) {
            found.emplace_back(named->first, named->second);
            last.erase(named);
        }
    };
    for (const auto& [name, missing] : ROSTER) take(name);
    for (const Tag& each : tags) take(view(each.name));
    return found;
}

std::string_view GameRecord::result() const {
    if (!termination.empty()) return termination;
    const Tag* found = tag("Result");
    return found ? view(found->value) : std::string_view("*");
}

std::vector<std::uint32_t> GameRecord::mainline() const {
    std::vector<std::uint32_t> line;
    for (std::uint32_t node = nodes[0].first_child; node != NONE; node = nodes[node].first_child) line.push_back(node);
    return line;
}

std::vector<std::uint32_t> GameRecord::nags_of(std::uint32_t node) const {
    std::vector<std::uint32_t> found;
    for (std::uint32_t link = nodes[node].first_nag; link != NONE; link = nags[link].next) {
        found.push_back(nags[link].nag);
    }
    std::sort(found.begin(), found.end());
    found.erase(std::unique(found.begin(), found.end()), found.end());
    return found;
}

}  // namespace tarvik::game
