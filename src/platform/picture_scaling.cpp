// The picture scaled on the processor: per axis a table of where each placed pixel comes from, then rows built
// once per picture row and copied (or blended at the sharp edges) into the placed rows.
#include "platform/picture_scaling.h"

#include <algorithm>
#include <cstring>
#include <tuple>
#include <utility>

AxisSamples axisSamples(int32_t pictureSize, int32_t placedSize, SampleKind kind, int32_t sharpScale) {
    AxisSamples samples;
    if (pictureSize <= 0 || placedSize <= 0) return samples;
    samples.before.resize(placedSize);
    samples.after.resize(placedSize);
    samples.weight.assign(placedSize, 0);
    const int64_t picture = pictureSize, placed = placedSize;
    const int64_t scale = std::max(1, sharpScale), scaled = picture * scale;
    for (int64_t at = 0; at < placed; ++at) {
        if (kind == SampleKind::nearest) {
            // The picture pixel under the middle of the placed one.
            const auto from = static_cast<int32_t>(std::min(picture - 1, (2 * at + 1) * picture / (2 * placed)));
            samples.before[at] = samples.after[at] = from;
            continue;
        }
        // The middle of the placed pixel in the scaled-up picture, as a smooth scaling samples it: between the
        // scaled pixel `cell` and the next, `rest` of the way on (in 2 * placed parts).
        const int64_t position = std::max<int64_t>(0, (2 * at + 1) * scaled - placed);
        const int64_t cell = std::min(scaled - 1, position / (2 * placed));
        const int64_t rest = cell == scaled - 1 ? 0 : position % (2 * placed);
        const auto from = static_cast<int32_t>(cell / scale), next = static_cast<int32_t>((cell + 1) / scale);
        const auto weight = static_cast<int32_t>((rest * 256 + placed) / (2 * placed));
        samples.before[at] = from;
        samples.after[at] = from;
        if (next == from || weight == 0) continue;
        if (weight >= 256) {
            samples.before[at] = samples.after[at] = next;
            continue;
        }
        samples.after[at] = next;
        samples.weight[at] = weight;
    }
    for (int32_t at = 0; at < placedSize; ++at) {
        const SampleRun run{samples.before[at], samples.after[at], samples.weight[at], 1};
        SampleRun* last = samples.runs.empty() ? nullptr : &samples.runs.back();
        if (last && last->before == run.before && last->after == run.after && last->weight == run.weight) {
            ++last->count;
        } else {
            samples.runs.push_back(run);
        }
    }
    return samples;
}

namespace {

// The two pixels mixed, `weight` 256ths of the second: two bytes of each at a time.
uint32_t blend(uint32_t first, uint32_t second, uint32_t weight) {
    const uint32_t keep = 256 - weight;
    const uint32_t redBlue = (((first & 0x00FF00FFu) * keep + (second & 0x00FF00FFu) * weight) >> 8) & 0x00FF00FFu;
    const uint32_t otherGreen = (((first >> 8) & 0x00FF00FFu) * keep + ((second >> 8) & 0x00FF00FFu) * weight) &
                                0xFF00FF00u;
    return redBlue | otherGreen;
}

// The placed columns or rows that take any picture pixel from first to last: [first, end) of the placed ones.
std::pair<int32_t, int32_t> placedReach(const AxisSamples& samples, int32_t first, int32_t last) {
    int32_t from = 0, end = 0;
    const auto size = static_cast<int32_t>(samples.before.size());
    for (int32_t at = 0; at < size; ++at) {
        const bool reached = (samples.before[at] >= first && samples.before[at] <= last) ||
                             (samples.weight[at] != 0 && samples.after[at] >= first && samples.after[at] <= last);
        if (!reached) continue;
        if (end == 0) from = at;
        end = at + 1;
    }
    return {from, end};
}

// The placed columns from..end of one row across from a picture row, into `built` at the same places. A run is at
// most a few pixels: its pixel is written four times unconditionally (the next run writes over what is too many;
// the row has room for it).
void buildRow(const ConstPixelRows& picture, int32_t row, const AxisSamples& across, int32_t from, int32_t end,
              std::vector<uint32_t>& built) {
    const auto* source =
        reinterpret_cast<const uint32_t*>(picture.pixels + static_cast<std::size_t>(picture.stride) * row);
    built.resize(across.before.size() + 4);
    int32_t at = 0;
    auto run = across.runs.begin();
    while (run != across.runs.end() && at + run->count <= from) at += (run++)->count;
    uint32_t* out = built.data() + at;
    for (; run != across.runs.end() && at < end; ++run) {
        const uint32_t pixel = run->weight == 0
                                   ? source[run->before]
                                   : blend(source[run->before], source[run->after], static_cast<uint32_t>(run->weight));
        if (run->count <= 4) {
            out[0] = out[1] = out[2] = out[3] = pixel;
        } else {
            std::fill_n(out, run->count, pixel);
        }
        out += run->count;
        at += run->count;
    }
}

// A placed row between two built rows: each byte `weight` 256ths of the way from the upper to the lower. Byte by
// byte in 16 bits, which the compiler turns into wide instructions.
void blendRows(const uint8_t* __restrict upper, const uint8_t* __restrict lower, uint8_t* __restrict target,
               std::size_t bytes, uint32_t weight) {
    const auto down = static_cast<uint16_t>(weight), keep = static_cast<uint16_t>(256 - weight);
    for (std::size_t i = 0; i < bytes; ++i) {
        target[i] = static_cast<uint8_t>(
            (static_cast<uint16_t>(upper[i] * keep) + static_cast<uint16_t>(lower[i] * down)) >> 8);
    }
}

}  // namespace

PlacedArea scalePictureArea(const ConstPixelRows& picture, const AxisSamples& across, const AxisSamples& down,
                            const PictureArea& changed, PixelRows placed) {
    PlacedArea area;
    const std::size_t width = across.before.size();
    if (!picture.pixels || !placed.pixels || width == 0 || down.before.empty() || changed.firstRow > changed.lastRow ||
        changed.firstColumn > changed.lastColumn)
        return area;
    std::tie(area.firstRow, area.endRow) = placedReach(down, changed.firstRow, changed.lastRow);
    std::tie(area.firstColumn, area.endColumn) = placedReach(across, changed.firstColumn, changed.lastColumn);
    if (area.endRow == 0 || area.endColumn == 0) return {};
    const int32_t from = area.firstColumn;
    const auto columns = static_cast<std::size_t>(area.endColumn - from);
    // Each picture row is built once across and kept while the placed rows take it; the two kept are the rows
    // on either side of a blended edge. A picture shown at its own width takes its rows as they are.
    const bool ownWidth = static_cast<int32_t>(width) == picture.width && across.runs.size() == width;
    std::vector<uint32_t> rows[2];
    int32_t rowOf[2] = {-1, -1};
    auto rowFor = [&](int32_t pictureRow, int32_t keepSlot) -> const uint32_t* {
        if (ownWidth) {
            return reinterpret_cast<const uint32_t*>(picture.pixels +
                                                     static_cast<std::size_t>(picture.stride) * pictureRow);
        }
        for (int32_t slot = 0; slot < 2; ++slot) {
            if (rowOf[slot] == pictureRow) return rows[slot].data();
        }
        const int32_t slot = keepSlot == 0 ? 1 : 0;
        buildRow(picture, pictureRow, across, from, area.endColumn, rows[slot]);
        rowOf[slot] = pictureRow;
        return rows[slot].data();
    };
    for (int32_t y = area.firstRow; y < area.endRow; ++y) {
        auto* target = reinterpret_cast<uint32_t*>(placed.pixels + static_cast<std::size_t>(placed.stride) * y) + from;
        const uint32_t* upper = rowFor(down.before[y], -1) + from;
        if (down.weight[y] == 0) {
            std::memcpy(target, upper, columns * 4);
            continue;
        }
        const int32_t upperSlot = rowOf[0] == down.before[y] ? 0 : 1;
        const uint32_t* lower = rowFor(down.after[y], upperSlot) + from;
        blendRows(reinterpret_cast<const uint8_t*>(upper), reinterpret_cast<const uint8_t*>(lower),
                  reinterpret_cast<uint8_t*>(target), columns * 4, static_cast<uint32_t>(down.weight[y]));
    }
    return area;
}
