#include "model/astronomy.h"

#include <cmath>

// Meeus' published formulae: the sun from the truncated VSOP87 series (about 1" for these
// centuries), nutation in its short form (0.5"), the new moon from the lunar phase series
// (seconds), and the difference of Terrestrial from Universal Time by Espenak and Meeus.

namespace {

const double kPi = 3.14159265358979323846;
const double kJ2000 = 2451545.0;

double radians(double degrees)
{
	return degrees * kPi / 180;
}

// Terrestrial minus Universal Time, in days, around the moment jd.
double delta_t(double jd)
{
	double y = 2000 + (jd - 2451544.5) / 365.25;
	double t = y - 2000, seconds;
	if (y < 2005) {
		seconds = 63.86 + t * (0.3345 + t * (-0.060374 + t * (0.0017275
			+ t * (0.000651814 + t * 0.00002373599))));
	} else if (y < 2050) {
		seconds = 62.92 + t * (0.32217 + t * 0.005589);
	} else {
		double u = (y - 1820) / 100;
		seconds = -20 + 32 * u * u - (y < 2150 ? 0.5628 * (2150 - y) : 0);
	}
	return seconds / 86400;
}

struct term {
	double a, b, c;
};

// The earth's heliocentric longitude, one series per power of time, in 1e-8 radians.
const term kL0[] = {
	{175347046, 0, 0}, {3341656, 4.6692568, 6283.07585}, {34894, 4.6261, 12566.1517},
	{3497, 2.7441, 5753.3849}, {3418, 2.8289, 3.5231}, {3136, 3.6277, 77713.7715},
	{2676, 4.4181, 7860.4194}, {2343, 6.1352, 3930.2097}, {1324, 0.7425, 11506.7698},
	{1273, 2.0371, 529.691}, {1199, 1.1096, 1577.3435}, {990, 5.233, 5884.927},
	{902, 2.045, 26.298}, {857, 3.508, 398.149}, {780, 1.179, 5223.694},
	{753, 2.533, 5507.553}, {505, 4.583, 18849.228}, {492, 4.205, 775.523},
	{357, 2.92, 0.067}, {317, 5.849, 11790.629}, {284, 1.899, 796.298},
	{271, 0.315, 10977.079}, {243, 0.345, 5486.778}, {206, 4.806, 2544.314},
	{205, 1.869, 5573.143}, {202, 2.458, 6069.777}, {156, 0.833, 213.299},
	{132, 3.411, 2942.463}, {126, 1.083, 20.775}, {115, 0.645, 0.98},
	{103, 0.636, 4694.003}, {102, 0.976, 15720.839}, {102, 4.267, 7.114},
	{99, 6.21, 2146.17}, {98, 0.68, 155.42}, {86, 5.98, 161000.69}, {85, 1.3, 6275.96},
	{85, 3.67, 71430.7}, {80, 1.81, 17260.15}, {79, 3.04, 12036.46}, {75, 1.76, 5088.63},
	{74, 3.5, 3154.69}, {74, 4.68, 801.82}, {70, 0.83, 9437.76}, {62, 3.98, 8827.39},
	{61, 1.82, 7084.9}, {57, 2.78, 6286.6}, {56, 4.39, 14143.5}, {56, 3.47, 6279.55},
	{52, 0.19, 12139.55}, {52, 1.33, 1748.02}, {51, 0.28, 5856.48}, {49, 0.49, 1194.45},
	{41, 5.37, 8429.24}, {41, 2.4, 19651.05}, {39, 6.17, 10447.39}, {37, 6.04, 10213.29},
	{37, 2.57, 1059.38}, {36, 1.71, 2352.87}, {36, 1.78, 6812.77}, {33, 0.59, 17789.85},
	{30, 0.44, 83996.85}, {30, 2.74, 1349.87}, {25, 3.16, 4690.48},
};
const term kL1[] = {
	{628331966747.0, 0, 0}, {206059, 2.678235, 6283.07585}, {4303, 2.6351, 12566.1517},
	{425, 1.59, 3.523}, {119, 5.796, 26.298}, {109, 2.966, 1577.344}, {93, 2.59, 18849.23},
	{72, 1.14, 529.69}, {68, 1.87, 398.15}, {67, 4.41, 5507.55}, {59, 2.89, 5223.69},
	{56, 2.17, 155.42}, {45, 0.4, 796.3}, {36, 0.47, 775.52}, {29, 2.65, 7.11},
	{21, 5.34, 0.98}, {19, 1.85, 5486.78}, {19, 4.97, 213.3}, {17, 2.99, 6275.96},
	{16, 0.03, 2544.31}, {16, 1.43, 2146.17}, {15, 1.21, 10977.08}, {12, 2.83, 1748.02},
	{12, 3.26, 5088.63}, {12, 5.27, 1194.45}, {12, 2.08, 4694}, {11, 0.77, 553.57},
	{10, 1.3, 6286.6}, {10, 4.24, 1349.87}, {9, 2.7, 242.73}, {9, 5.64, 951.72},
	{8, 5.3, 2352.87}, {6, 2.65, 9437.76}, {6, 4.67, 4690.48},
};
const term kL2[] = {
	{52919, 0, 0}, {8720, 1.0721, 6283.0758}, {309, 0.867, 12566.152}, {27, 0.05, 3.52},
	{16, 5.19, 26.3}, {16, 3.68, 155.42}, {10, 0.76, 18849.23}, {9, 2.06, 77713.77},
	{7, 0.83, 775.52}, {5, 4.66, 1577.34}, {4, 1.03, 7.11}, {4, 3.44, 5573.14},
	{3, 5.14, 796.3}, {3, 6.05, 5507.55}, {3, 1.19, 242.73}, {3, 6.12, 529.69},
	{3, 0.31, 398.15}, {3, 2.28, 553.57}, {2, 4.38, 5223.69}, {2, 3.75, 0.98},
};
const term kL3[] = {
	{289, 5.844, 6283.076}, {35, 0, 0}, {17, 5.49, 12566.15}, {3, 5.2, 155.42},
	{1, 4.72, 3.52}, {1, 5.3, 18849.23}, {1, 5.97, 242.73},
};
const term kL4[] = {{114, 3.142, 0}, {8, 4.13, 6283.08}, {1, 3.84, 12566.15}};
const term kL5[] = {{1, 3.14, 0}};
// The earth's distance from the sun, only for aberration: its leading terms suffice.
const term kR0[] = {
	{100013989, 0, 0}, {1670700, 3.0984635, 6283.07585}, {13956, 3.05525, 12566.1517},
	{3084, 5.1985, 77713.7715}, {1628, 1.1739, 5753.3849}, {1576, 2.8469, 7860.4194},
};
const term kR1[] = {{103019, 1.10749, 6283.07585}, {1721, 1.0644, 12566.1517}};

template <size_t N>
double series(const term (&terms)[N], double tau)
{
	double sum = 0;
	for (const term& t : terms)
		sum += t.a * std::cos(t.b + t.c * tau);
	return sum;
}

// The sun's apparent longitude in degrees at the moment jde (Terrestrial Time).
double apparent_longitude(double jde)
{
	double tau = (jde - kJ2000) / 365250;
	double l = series(kL0, tau) + tau * (series(kL1, tau) + tau * (series(kL2, tau)
		+ tau * (series(kL3, tau) + tau * (series(kL4, tau) + tau * series(kL5, tau)))));
	double r = (series(kR0, tau) + tau * series(kR1, tau)) / 1e8;
	double t = tau * 10;
	// Geocentric, then to the FK5 frame.
	double theta = l / 1e8 * 180 / kPi + 180 - 0.09033 / 3600;
	double omega = radians(125.04452 - 1934.136261 * t);
	double sunMean = radians(280.4665 + 36000.7698 * t);
	double moonMean = radians(218.3165 + 481267.8813 * t);
	double nutation = -17.20 * std::sin(omega) - 1.32 * std::sin(2 * sunMean)
		- 0.23 * std::sin(2 * moonMean) + 0.21 * std::sin(2 * omega);
	double aberration = -20.4898 / r;
	return std::fmod(theta + (nutation + aberration) / 3600, 360.0);
}

const double kSynodicMonth = 29.530588861;
const double kFirstNewMoon = 2451550.09766;

}

double sun_reaches(double longitude, double near)
{
	double jde = near + delta_t(near);
	for (int i = 0; i < 20; i++) {
		double gap = std::remainder(longitude - apparent_longitude(jde), 360.0);
		double step = gap * 365.2422 / 360;
		jde += step;
		if (std::fabs(step) < 1e-7)
			break;
	}
	return jde - delta_t(jde);
}

int lunation_near(double jd)
{
	return (int)std::lround((jd - kFirstNewMoon) / kSynodicMonth);
}

double new_moon(int lunation)
{
	double k = lunation, t = k / 1236.85, t2 = t * t;
	double jde = kFirstNewMoon + kSynodicMonth * k + t2 * (0.00015437 + t * (-0.000000150
		+ t * 0.00000000073));
	double e = 1 - t * (0.002516 + t * 0.0000074);
	double m = radians(2.5534 + 29.10535670 * k - t2 * (0.0000014 + t * 0.00000011));
	double mm = radians(201.5643 + 385.81693528 * k + t2 * (0.0107582 + t * (0.00001238
		- t * 0.000000058)));
	double f = radians(160.7108 + 390.67050284 * k - t2 * (0.0016118 + t * (0.00000227
		- t * 0.000000011)));
	double omega = radians(124.7746 - 1.56375588 * k + t2 * (0.0020672 + t * 0.00000215));
	const struct {
		double coefficient;
		int eccentricity, mm, m, f;
	} kTerms[] = {
		{-0.40720, 0, 1, 0, 0}, {0.17241, 1, 0, 1, 0}, {0.01608, 0, 2, 0, 0},
		{0.01039, 0, 0, 0, 2}, {0.00739, 1, 1, -1, 0}, {-0.00514, 1, 1, 1, 0},
		{0.00208, 2, 0, 2, 0}, {-0.00111, 0, 1, 0, -2}, {-0.00057, 0, 1, 0, 2},
		{0.00056, 1, 2, 1, 0}, {-0.00042, 0, 3, 0, 0}, {0.00042, 1, 0, 1, 2},
		{0.00038, 1, 0, 1, -2}, {-0.00024, 1, 2, -1, 0}, {-0.00007, 0, 1, 2, 0},
		{0.00004, 0, 2, 0, -2}, {0.00004, 0, 0, 3, 0}, {0.00003, 0, 1, 1, -2},
		{0.00003, 0, 2, 0, 2}, {-0.00003, 0, 1, 1, 2}, {0.00003, 0, 1, -1, 2},
		{-0.00002, 0, 1, -1, -2}, {-0.00002, 0, 3, 1, 0}, {0.00002, 0, 4, 0, 0},
	};
	double correction = -0.00017 * std::sin(omega);
	for (const auto& term : kTerms) {
		correction += term.coefficient * std::pow(e, term.eccentricity)
			* std::sin(term.mm * mm + term.m * m + term.f * f);
	}
	// The planets' pull.
	const struct {
		double coefficient, base, rate;
	} kPlanets[] = {
		{0.000325, 299.77, 0.107408}, {0.000165, 251.88, 0.016321},
		{0.000164, 251.83, 26.651886}, {0.000126, 349.42, 36.412478},
		{0.000110, 84.66, 18.206239}, {0.000062, 141.74, 53.303771},
		{0.000060, 207.14, 2.453732}, {0.000056, 154.84, 7.306860},
		{0.000047, 34.52, 27.261239}, {0.000042, 207.19, 0.121824},
		{0.000040, 291.34, 1.844379}, {0.000037, 161.72, 24.198154},
		{0.000035, 239.56, 25.513099}, {0.000023, 331.55, 3.592518},
	};
	for (const auto& planet : kPlanets) {
		double angle = planet.base + planet.rate * k;
		if (&planet == &kPlanets[0])
			angle -= 0.009173 * t2;
		correction += planet.coefficient * std::sin(radians(angle));
	}
	jde += correction;
	return jde - delta_t(jde);
}

int jst_day(double jd)
{
	return (int)std::floor(jd + 0.5 + 9.0 / 24);
}
