// The "did you mean" of the validator's and the rules reader's unknown names.
#include "core/diagnostic.h"

#include <algorithm>
#include <cctype>

namespace {

// Letters to add, drop or change to turn one name into the other, upper and lower case alike.
size_t editDistance(const std::string& a, const std::string& b) {
    std::vector<size_t> row(b.size() + 1);
    for (size_t j = 0; j <= b.size(); ++j) row[j] = j;
    for (size_t i = 1; i <= a.size(); ++i) {
        size_t diagonal = row[0];
        row[0] = i;
        for (size_t j = 1; j <= b.size(); ++j) {
            const size_t above = row[j];
            const bool same = std::tolower(static_cast<unsigned char>(a[i - 1])) ==
                              std::tolower(static_cast<unsigned char>(b[j - 1]));
            row[j] = std::min({row[j] + 1, row[j - 1] + 1, diagonal + (same ? 0 : 1)});
            diagonal = above;
        }
    }
    return row[b.size()];
}

}  // namespace

std::string nearestName(const std::string& unknown, const std::vector<std::string>& known) {
    std::string best;
    size_t bestDistance = 0;
    for (const std::string& name : known) {
        const size_t distance = editDistance(unknown, name);
        if (best.empty() || distance < bestDistance) {
            best = name;
            bestDistance = distance;
        }
    }
    const size_t longer = std::max(unknown.size(), best.size());
    return bestDistance <= std::max<size_t>(2, longer / 3) ? best : std::string();
}
