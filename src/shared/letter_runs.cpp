#include "shared/letter_runs.h"

namespace vv::shared {

bool replaceMarkersAcrossRuns(std::vector<LetterRun>& nodes, const LetterMarkers& markers) {
    bool any = false;
    for (const auto& [marker, value] : markers) {
        if (marker.isEmpty()) continue;
        qsizetype from = 0;
        for (;;) {
            QString joined;
            for (const LetterRun& n : nodes) joined += n.text;
            const qsizetype at = joined.indexOf(marker, from);
            if (at < 0) break;
            const qsizetype markerEnd = at + marker.size();
            // The nodes holding the marker's first and last characters.
            qsizetype offset = 0;
            std::size_t first = 0;
            qsizetype firstOffset = 0;
            std::size_t last = 0;
            qsizetype lastOffset = 0;
            for (std::size_t i = 0; i < nodes.size(); ++i) {
                const qsizetype size = nodes[i].text.size();
                if (at >= offset && at < offset + size) {
                    first = i;
                    firstOffset = at - offset;
                }
                if (markerEnd > offset && markerEnd <= offset + size) {
                    last = i;
                    lastOffset = markerEnd - offset;
                }
                offset += size;
            }
            if (first == last) {
                nodes[first].text.replace(firstOffset, marker.size(), value);
            } else {
                nodes[first].text = nodes[first].text.left(firstOffset) + value;
                for (std::size_t i = first + 1; i < last; ++i) {
                    nodes[i].text.clear();
                    nodes[i].changed = true;
                }
                nodes[last].text.remove(0, lastOffset);
                nodes[last].changed = true;
            }
            nodes[first].changed = true;
            any = true;
            from = at + value.size();
        }
    }
    return any;
}

}  // namespace vv::shared
