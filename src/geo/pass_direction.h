// Whether a pass's pictures were saved the way the satellite flew. The
// direction of a decoded recording is the user's word (north-to-south unless
// told otherwise); a pass saved north-to-south that the orbit has going north,
// or the other way, keeps its map products right but has north at the bottom
// of its pictures.
#pragma once

#include <optional>
#include <string>

#include "geo/swath_geolocation.h"

namespace sorae {

enum class OrbitDirection { Northbound, Southbound, Unclear };

// How the satellite crossed the latitudes over the rows' times: unclear when
// the orbit cannot be had or the pass goes over a pole.
OrbitDirection DirectionOfPass(const SwathInputs& inputs);

// A line for the user when the pictures were saved the other way up from
// the flight (inputs.turned says how they were saved); nothing otherwise.
std::optional<std::string> PassDirectionNote(const SwathInputs& inputs);

}  // namespace sorae
