#ifndef TEVRA_RENDER_LOCALE_NAMES_H
#define TEVRA_RENDER_LOCALE_NAMES_H

#include <string>

#include "model/labels.h"

// The month and weekday names of a language ("de", "fr_CA"; empty: the design's `language`,
// and failing that the user's), read from the locale kit once per language and kept.
const language_names& names_of(const std::string& language);

#endif
