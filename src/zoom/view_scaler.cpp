// The zoom view's nearest-neighbour magnifier and the choice of painter (see view_scaler.h).
#include "zoom/view_scaler.h"

#include <algorithm>
#include <cstring>

int32_t SourceIndex(int32_t x, int32_t targetSize, int32_t visibleStart, int32_t visibleSize) {
    if (targetSize <= 0) {
        return visibleStart;
    }
    const int64_t offset =
        (2 * static_cast<int64_t>(x) + 1) * visibleSize / (2 * int64_t{targetSize});
    return visibleStart + static_cast<int32_t>(offset);
}

void ColumnRuns(int32_t left, int32_t right, int32_t targetWidth, int32_t visibleStart,
                int32_t visibleSize, std::vector<ColumnRun>& runs) {
    runs.clear();
    int32_t x = left;
    int32_t source = SourceIndex(x, targetWidth, visibleStart, visibleSize);
    while (x < right) {
        // How many target columns from x show this source column.
        int32_t shown = 1;
        int32_t next = source;
        while (x + shown < right) {
            next = SourceIndex(x + shown, targetWidth, visibleStart, visibleSize);
            if (next != source) {
                break;
            }
            ++shown;
        }
        if (!runs.empty()) {
            ColumnRun& last = runs.back();
            if (last.repeat == shown && last.source + last.count / last.repeat == source) {
                last.count += shown;
                x += shown;
                source = next;
                continue;
            }
        }
        runs.push_back({x, source, shown, shown});
        x += shown;
        source = next;
    }
}

namespace {

// A one-to-one run of pixels. Under 2x the runs are a few columns long; a call to the C
// library's memcpy for each costs more than the copy itself where that library is not tuned for
// small sizes (under Wine the paint at 1.1 took three times as long as natively), so short runs
// are copied in blocks of constant size, which the compiler turns into plain moves.
inline void CopyPixels(uint32_t* to, const uint32_t* from, int32_t count) {
    if (count >= 64) {
        std::memcpy(to, from, static_cast<size_t>(count) * sizeof(uint32_t));
        return;
    }
    for (; count >= 8; count -= 8, to += 8, from += 8) {
        std::memcpy(to, from, 8 * sizeof(uint32_t));
    }
    if (count & 4) {
        std::memcpy(to, from, 4 * sizeof(uint32_t));
        to += 4;
        from += 4;
    }
    if (count & 2) {
        std::memcpy(to, from, 2 * sizeof(uint32_t));
        to += 2;
        from += 2;
    }
    if (count & 1) {
        *to = *from;
    }
}

// One target row, which starts at target column `left`, from one source row by the runs.
void ScaleRowByRuns(const uint32_t* from, uint32_t* row, int32_t left,
                    const std::vector<ColumnRun>& runs) {
    for (const ColumnRun& run : runs) {
        uint32_t* to = row + (run.target - left);
        if (run.repeat == 1) {
            CopyPixels(to, from + run.source, run.count);
            continue;
        }
        const int32_t columns = run.count / run.repeat;
        const uint32_t* shown = from + run.source;
        if (run.repeat == 2) {
            // Twice each (2x, the start level): a loop the compiler unrolls and vectorises,
            // four to five times quicker than a fill per column.
            for (int32_t i = 0; i < columns; ++i) {
                to[2 * i] = shown[i];
                to[2 * i + 1] = shown[i];
            }
            continue;
        }
        for (int32_t i = 0; i < columns; ++i) {
            std::fill_n(to, run.repeat, shown[i]);
            to += run.repeat;
        }
    }
}

} // namespace

void ScaleView(const PixelSurface& source, const VisiblePart& visible, const PixelSurface& target,
               PixelArea area, ScalerScratch& scratch) {
    area.left = std::max(area.left, 0);
    area.top = std::max(area.top, 0);
    area.right = std::min(area.right, target.width);
    area.bottom = std::min(area.bottom, target.height);
    if (area.left >= area.right || area.top >= area.bottom || source.width <= 0 ||
        source.height <= 0) {
        return;
    }
    // The visible part inside the source, whatever the caller computed.
    VisiblePart part = visible;
    part.x = std::clamp(part.x, 0, source.width - 1);
    part.y = std::clamp(part.y, 0, source.height - 1);
    part.width = std::clamp(part.width, 1, source.width - part.x);
    part.height = std::clamp(part.height, 1, source.height - part.y);

    const int32_t width = area.right - area.left;
    ColumnRuns(area.left, area.right, target.width, part.x, part.width, scratch.runs);
    // Where the runs average under three columns (1.3, 1.5, 2.5), a row's time goes into moving
    // from run to run, and looking up each column's source in a table is quicker (at 1.5 by
    // about a quarter, docs/PERFORMANCE.md); with longer runs the runs are quicker.
    const bool byColumn = static_cast<int64_t>(scratch.runs.size()) * 3 > width;
    if (byColumn) { // the runs spelt out, one source column per target column
        scratch.columns.resize(static_cast<size_t>(width));
        for (const ColumnRun& run : scratch.runs) {
            for (int32_t i = 0; i < run.count; ++i) {
                scratch.columns[run.target - area.left + i] = run.source + i / run.repeat;
            }
        }
    }
    const size_t rowBytes = static_cast<size_t>(width) * sizeof(uint32_t);
    int32_t previousSourceRow = -1;
    const uint32_t* previousRow = nullptr;
    for (int32_t y = area.top; y < area.bottom; ++y) {
        uint32_t* row = target.pixels + static_cast<size_t>(y) * target.rowPixels + area.left;
        const int32_t sourceRow = SourceIndex(y, target.height, part.y, part.height);
        if (sourceRow == previousSourceRow) {
            std::memcpy(row, previousRow, rowBytes);
            continue;
        }
        const uint32_t* from = source.pixels + static_cast<size_t>(sourceRow) * source.rowPixels;
        if (byColumn) {
            const int32_t* columns = scratch.columns.data();
            for (int32_t i = 0; i < width; ++i) {
                row[i] = from[columns[i]];
            }
        } else {
            ScaleRowByRuns(from, row, area.left, scratch.runs);
        }
        previousSourceRow = sourceRow;
        previousRow = row;
    }
}

int MagnificationBand(float zoom) {
    constexpr float kBandStarts[PainterChoice::kBands - 1] = {1.5f, 2.0f, 3.0f, 6.0f, 12.0f, 24.0f};
    int band = 0;
    while (band < PainterChoice::kBands - 1 && zoom >= kBandStarts[band]) {
        ++band;
    }
    return band;
}

ViewPainter ChoosePainter(const PainterChoice& choice, float zoom) {
    const int band = MagnificationBand(zoom);
    const int scaled = choice.scalerPaints[band];
    const int stretched = choice.stretchBltPaints[band];
    if (scaled < PainterChoice::kSamples || stretched < PainterChoice::kSamples) {
        return stretched < scaled ? ViewPainter::StretchBlt : ViewPainter::Scaler;
    }
    return choice.stretchBltMs[band] < choice.scalerMs[band] ? ViewPainter::StretchBlt
                                                             : ViewPainter::Scaler;
}

void RecordPaint(PainterChoice& choice, float zoom, ViewPainter painter, double milliseconds) {
    const int band = MagnificationBand(zoom);
    const bool scaler = painter == ViewPainter::Scaler;
    double& best = scaler ? choice.scalerMs[band] : choice.stretchBltMs[band];
    int& paints = scaler ? choice.scalerPaints[band] : choice.stretchBltPaints[band];
    // The quickest paint counts: a paint that was interrupted says nothing about the painter.
    best = paints == 0 ? milliseconds : std::min(best, milliseconds);
    ++paints;
}
