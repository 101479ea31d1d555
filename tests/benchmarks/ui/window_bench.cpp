// SPDX-License-Identifier: GPL-2.0-or-later
// What the windows cost between the hardware's waits, on Qt's offscreen platform: one gauge
// repainted with a new needle, and the whole Clocks panel repainted once a second's refresh
// has moved its five needles.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QImage>

#include "ui/GaugeCtrl.h"

namespace {

void BM_GaugeRepaint(benchmark::State& state)
{
    ui::CGaugeCtrl gauge;
    gauge.resize(gauge.sizeHint());
    gauge.SetRange(0, 7000);
    gauge.SetTitle(QStringLiteral("CPU"));
    QImage target(gauge.size(), QImage::Format_ARGB32_Premultiplied);
    int32_t nValue = 0;
    for (auto _ : state) {
        gauge.SetValue(nValue);
        nValue = (nValue + 37) % 7000;
        gauge.render(&target);  // the paint event, as the back buffer receives it
        benchmark::DoNotOptimize(target.constBits());
    }
}
BENCHMARK(BM_GaugeRepaint)->Unit(benchmark::kMicrosecond);

void BM_FiveGaugesRepaint(benchmark::State& state)
{
    QWidget panel;
    ui::CGaugeCtrl* apGauges[5];
    for (int i = 0; i < 5; ++i) {
        apGauges[i] = new ui::CGaugeCtrl(&panel);
        apGauges[i]->resize(apGauges[i]->sizeHint());
        apGauges[i]->move(i * apGauges[i]->width(), 0);
        apGauges[i]->SetTitle(QStringLiteral("FSB"));
        apGauges[i]->SetRange(0, 600);
    }
    panel.resize(5 * apGauges[0]->width(), apGauges[0]->height());
    QImage target(panel.size(), QImage::Format_ARGB32_Premultiplied);
    int32_t nValue = 0;
    for (auto _ : state) {
        for (ui::CGaugeCtrl* pGauge : apGauges) pGauge->SetValue(nValue);
        nValue = (nValue + 7) % 600;
        panel.render(&target);
        benchmark::DoNotOptimize(target.constBits());
    }
}
BENCHMARK(BM_FiveGaugesRepaint)->Unit(benchmark::kMicrosecond);

}  // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
