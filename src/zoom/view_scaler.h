// The zoom view's own nearest-neighbour magnifier: the visible part of the 32-bit capture
// stretched over a 32-bit target of the window's size, one target rectangle at a time. Where
// the platform's StretchBlt scales in software this is several times faster: each paint works
// out once which source column every target column shows and copies runs of columns that follow
// each other (or, where runs are a column or two long, looks each column up in a table), and a
// target row that shows the same source row as the one above is a copy of it.
// Target (x, y) shows source (originX + (2x + 1) * visibleWidth / (2 * targetWidth), ...): the
// source pixel under the target pixel's centre, within one pixel of what StretchBlt shows.
#pragma once

#include <cstdint>
#include <vector>

struct PixelSurface {
    uint32_t* pixels; // top-down rows
    int32_t width;
    int32_t height;
    int32_t rowPixels; // pixels from one row to the next
};

struct PixelArea {
    int32_t left;
    int32_t top;
    int32_t right;
    int32_t bottom;
};

// The visible part of the source: its top-left corner and size, in source pixels.
struct VisiblePart {
    int32_t x;
    int32_t y;
    int32_t width;
    int32_t height;
};

// A stretch of target columns: `count` columns from `target`, showing source columns from
// `source` on, each shown `repeat` times (1 when the columns follow each other one to one).
struct ColumnRun {
    int32_t target;
    int32_t source;
    int32_t count;
    int32_t repeat;
};

// The source column that target column `x` of `targetSize` shows (and the same for rows).
int32_t SourceIndex(int32_t x, int32_t targetSize, int32_t visibleStart, int32_t visibleSize);

// The runs covering target columns [left, right): stretches where each source column follows
// the last become one-to-one runs, and each source column shown more than once a repeat run.
void ColumnRuns(int32_t left, int32_t right, int32_t targetWidth, int32_t visibleStart,
                int32_t visibleSize, std::vector<ColumnRun>& runs);

// Scratch space the caller keeps between paints, so that a paint allocates nothing once it has
// grown: the column runs, and where runs are short the source column of each target column.
struct ScalerScratch {
    std::vector<ColumnRun> runs;
    std::vector<int32_t> columns;
};

// Fills `area` of `target` (clipped to it) with the visible part of `source` stretched over the
// whole target. Source indices are kept inside the source.
void ScaleView(const PixelSurface& source, const VisiblePart& visible, const PixelSurface& target,
               PixelArea area, ScalerScratch& scratch);

// Which way the view paints at a magnification, measured per band of magnifications on whole
// paints: the two painters take turns until each has painted kSamples times, and from then on
// the one with the quicker best paint paints. (The platform may stretch in hardware, or not:
// only a measurement can tell.)
enum class ViewPainter { Scaler, StretchBlt };

struct PainterChoice {
    // (1, 1.5), [1.5, 2), [2, 3), [3, 6), [6, 12), [12, 24), [24, ...). The scaler's cost is not
    // smooth: at 2 it doubles whole rows of columns, at 1.5 and 1.75 it looks each column up, so
    // those levels get bands of their own.
    static constexpr int kBands = 7;
    static constexpr int kSamples = 3;
    double scalerMs[kBands] = {}; // the quickest paint seen
    double stretchBltMs[kBands] = {};
    int scalerPaints[kBands] = {};
    int stretchBltPaints[kBands] = {};
};

int MagnificationBand(float zoom);
ViewPainter ChoosePainter(const PainterChoice& choice, float zoom);
// Records how long a whole paint at `zoom` took with `painter`.
void RecordPaint(PainterChoice& choice, float zoom, ViewPainter painter, double milliseconds);
