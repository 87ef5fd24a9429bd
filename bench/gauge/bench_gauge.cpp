// SPDX-License-Identifier: MIT
// SPDX-FileCopyrightText: 2009-2026 Varnholt Studios
// Cost of one gauge paint (the picture, before it is copied to the window) at
// three sizes, as a ratio to a baseline measured in the same run: making an
// image of the same size, filling it and copying it. Step is what one second
// of the countdown paints: only the part that changed.
// Goal: the paint costs at most three baselines at every size.

#include "support/BenchMain.h"
#include "support/RatioReporter.h"

#include "reference/GaugeReferencePaint.h"
#include "reference/StoredGaugeLook.h"

#include "controls/TBltBitmap.h"
#include "controls/TGauge.h"
#include "controls/TGaugePainter.h"

#include <QApplication>
#include <QImage>

#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstring>
#include <string>

namespace {

// A new image, filled, copied onto a surface that exists already (as a paint
// ends by copying its picture onto the window).
void Baseline(benchmark::State &state)
{
    const QSize size(int(state.range(0)), int(state.range(1)));
    QImage surface(size, QImage::Format_RGB32);
    for (auto _ : state) {
        QImage image(size, QImage::Format_RGB32);
        image.fill(qRgb(255, 255, 0));
        std::memcpy(surface.bits(), image.constBits(), std::size_t(image.sizeInBytes()));
        benchmark::DoNotOptimize(surface.constBits());
        benchmark::ClobberMemory();
    }
}

void Paint(benchmark::State &state)
{
    const TGaugeLook look = StoredGaugeLook(37, QSize(int(state.range(0)), int(state.range(1))));
    for (auto _ : state) {
        QImage image = TGaugePainter::Paint(look);
        benchmark::DoNotOptimize(image.constBits());
    }
}

void StepByStepPaint(benchmark::State &state)
{
    const TGaugeLook look = StoredGaugeLook(37, QSize(int(state.range(0)), int(state.range(1))));
    for (auto _ : state) {
        QImage image = ReferenceGaugePaint(look);
        benchmark::DoNotOptimize(image.constBits());
    }
}

// One second of a 30-second countdown (36 % to 40 %) as the gauge shows it:
// the part that changed, drawn on a canvas of the gauge's size.
void Step(benchmark::State &state)
{
    TGaugeLook before = StoredGaugeLook(37, QSize(int(state.range(0)), int(state.range(1))));
    before.percent = 36;
    TGaugeLook after = before;
    after.percent = 40;
    const QRegion changed = TGaugePainter::ChangedArea(before, after);
    for (auto _ : state) {
        TBltBitmap canvas;
        canvas.SetSize(after.width, after.height);
        TGaugePainter::PaintArea(canvas, after, changed);
        benchmark::DoNotOptimize(canvas.Image().constBits());
    }
}

void Sizes(benchmark::internal::Benchmark *bench)
{
    bench->Args({858, 521})->Args({1920, 1080})->Args({3840, 2160});
    bench->Unit(benchmark::kMicrosecond);
}

BENCHMARK(Baseline)->Apply(Sizes);
BENCHMARK(Paint)->Apply(Sizes);
BENCHMARK(StepByStepPaint)->Apply(Sizes);
BENCHMARK(Step)->Apply(Sizes);

// The console report, then each paint's best time as a multiple of the best
// baseline of the same size.
class PaintReporter final : public RatioReporter {
    void Summary() override
    {
        for (const char *kind : {"Paint", "StepByStepPaint", "Step"}) {
            for (const std::string &size : Arguments(kind)) {
                const double base = BestTime("Baseline/" + size) / 1e3;
                const double time = BestTime(std::string(kind) + "/" + size) / 1e3;
                if (base <= 0 || time <= 0)
                    continue;
                const double ratio = time / base;
                // Only the product's paint has a goal (at most 3 times the
                // baseline); the step-by-step paint is shown for comparison.
                const bool product = std::strcmp(kind, "Paint") == 0;
                const char *verdict = !product ? "" : ratio <= 3.0 ? "  (goal <= 3: met)" : "  (goal <= 3: missed)";
                std::printf("%-16s %-10s %9.1f us  baseline %9.1f us  ratio %5.2f%s\n", kind, size.c_str(), time, base,
                            ratio, verdict);
            }
        }
    }
};

} // namespace

int main(int argc, char **argv)
{
    PaintReporter reporter;
    return RunBenchmarksIn<QApplication>(argc, argv, reporter);
}
