// Rectangular coordinates for kavu-sheet: the Gauss–Krüger projection, made at the first run
// that needs it (reading an X Y pair, the grid of a sheet).
#pragma once

#include "geo/gauss_kruger.h"

#include <string>

namespace kavu::cli {

/// The projection of the run, made once; nullptr and `error` set when PROJ cannot give it.
const geo::GaussKruger* Projection(std::string& error);

} // namespace kavu::cli
