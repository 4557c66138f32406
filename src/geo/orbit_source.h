// The orbit of a pass for the georeferencing: the SGP4 propagator of the
// element set nearest the pass, as a function of UTC time.
#pragma once

#include "geo/swath_geolocation.h"
#include "orbit/sgp4_propagator.h"

namespace sorae {

OrbitAtTime OrbitFromPropagator(const Sgp4Propagator& propagator);

}  // namespace sorae
