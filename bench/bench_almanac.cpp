#include <benchmark/benchmark.h>

#include "model/almanac.h"
#include "model/astronomy.h"

namespace {

// A year found afresh: each iteration asks for a year not yet known, so the benchmark runs
// once per process, over the 99 supported years.
void BM_AlmanacYearFirstTime(benchmark::State& state)
{
	int year = 2001;
	lunisolar_date date;
	for (auto _ : state)
		benchmark::DoNotOptimize(lunisolar(year++, 6, 1, &date));
}
BENCHMARK(BM_AlmanacYearFirstTime)->Iterations(99)->Unit(benchmark::kMicrosecond);

// What one year costs the first time: its 24 solar terms and the 13 new moons a solstice
// span needs (a year takes two spans and 13 principal terms each).
void BM_AlmanacSolarTermsOfAYear(benchmark::State& state)
{
	for (auto _ : state) {
		double near = 2461047;	// 2026-01-06
		for (int i = 0; i < 24; i++) {
			near = sun_reaches((285 + 15 * i) % 360, near) + 15.2;
			benchmark::DoNotOptimize(near);
		}
	}
}
BENCHMARK(BM_AlmanacSolarTermsOfAYear)->Unit(benchmark::kMicrosecond);

void BM_AlmanacNewMoonsOfAYear(benchmark::State& state)
{
	for (auto _ : state) {
		for (int k = 323; k < 336; k++)
			benchmark::DoNotOptimize(jst_day(new_moon(k)));
	}
}
BENCHMARK(BM_AlmanacNewMoonsOfAYear)->Unit(benchmark::kMicrosecond);

// A month grid's or a year's almanac once the year is known: each day's lunisolar date, its
// 六曜 and whether a solar term falls on it.
void BM_AlmanacDays(benchmark::State& state)
{
	int months = (int)state.range(0);
	lunisolar_date date;
	lunisolar(2026, 1, 1, &date);
	for (auto _ : state) {
		for (int month = 1; month <= months; month++) {
			for (int day = 1; lunisolar(2026, month, day, &date); day++) {
				benchmark::DoNotOptimize(rokuyo_name(rokuyo_of(date)));
				benchmark::DoNotOptimize(solar_term(2026, month, day));
			}
		}
	}
	state.SetLabel(months == 1 ? "a month" : "a year");
}
BENCHMARK(BM_AlmanacDays)->Arg(1)->Arg(12)->Unit(benchmark::kMicrosecond);

// The single date's line, the year known.
void BM_AlmanacLine(benchmark::State& state)
{
	almanac_line(2026, 12, 7);
	for (auto _ : state)
		benchmark::DoNotOptimize(almanac_line(2026, 12, 7));
}
BENCHMARK(BM_AlmanacLine)->Unit(benchmark::kMicrosecond);

}
