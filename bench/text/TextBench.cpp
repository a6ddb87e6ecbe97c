// Costs on the clock's path: laying out the time string, drawing its mask (9 offset copies into a
// 3x image context), and the first and later layouts of Chinese text that needs fallback fonts.
#include <benchmark/benchmark.h>

#include "platform/graphics/ImageContext.h"
#include "platform/text/TextLine.h"

namespace {

text::AttributedString clockString(double weight) {
    auto font = text::Font::systemFont(120)->withVariations({{text::kWeightAxis, weight}}, 120);
    return text::AttributedString(
        "10:09", {{std::string(text::kLayoutFontAttribute), font},
                  {std::string(text::kLayoutForegroundColorAttribute), base::Color::white(1)}});
}

void LayoutClockString(benchmark::State& state) {
    const auto s = clockString(750);
    for (auto _ : state) benchmark::DoNotOptimize(text::TextLine::create(s));
}
BENCHMARK(LayoutClockString);

void DrawClockMaskNineCopies(benchmark::State& state) {
    const auto line = text::TextLine::create(clockString(750));
    const double offsets[9][2] = {{0, 0},       {-1, 0},     {1, 0},      {0, 1},    {0, -1},
                                  {-0.7, -0.7}, {0.7, -0.7}, {-0.7, 0.7}, {0.7, 0.7}};
    for (auto _ : state) {
        auto ctx = graphics::ImageContext::begin({340, 170}, false, 3);
        ctx->context().translate(0, 170);
        ctx->context().scale(1, -1);
        for (const auto& o : offsets) {
            ctx->context().setTextPosition({9 + o[0] * 7.0 / 6, 40 + o[1] * 7.0 / 6});
            line->draw(ctx->context());
        }
        benchmark::DoNotOptimize(ctx->image());
    }
}
BENCHMARK(DrawClockMaskNineCopies)->Unit(benchmark::kMillisecond);

void LayoutChineseTitle(benchmark::State& state) {
    const text::AttributedString s("玻璃时钟 设置 边缘宽度",
                                   {{std::string(text::kFontAttribute),
                                     text::Font::systemFont(17, text::FontWeight::Semibold)}});
    for (auto _ : state) benchmark::DoNotOptimize(text::TextLine::create(s));
}
BENCHMARK(LayoutChineseTitle);

}  // namespace
