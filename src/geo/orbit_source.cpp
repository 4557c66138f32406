#include "geo/orbit_source.h"

namespace sorae {

OrbitAtTime OrbitFromPropagator(const Sgp4Propagator& propagator) {
    return [propagator](double unixSeconds) -> std::optional<InertialState> {
        const auto state = propagator.at((unixSeconds - propagator.epochUnixSeconds()) / 60.0);
        if (!state) return std::nullopt;
        return InertialState{state->positionKm, state->velocityKmPerS};
    };
}

}  // namespace sorae
