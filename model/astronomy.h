#ifndef TEVRA_MODEL_ASTRONOMY_H
#define TEVRA_MODEL_ASTRONOMY_H

// The sun and the new moons as almanacs need them: moments as Julian days in Universal
// Time, right to well under a minute for this century.

// The moment nearest to near when the sun's apparent longitude (of the date, with nutation
// and aberration) reaches longitude degrees.
double sun_reaches(double longitude, double near);

// The moment of new moon number lunation, counted from the one of 2000-01-06.
double new_moon(int lunation);
// The lunation whose new moon lies nearest to the moment jd.
int lunation_near(double jd);

// The civil day holding the moment jd in Japan Standard Time (UTC+9), as a Julian day number.
int jst_day(double jd);

#endif
