#pragma once
// The quantisation grid a case names: "grid: 96 7 t" is division, beat and t
// for triplets (the default); "swing: N" sets the detected swing.
#include <sstream>
#include <string>

#include "analysis/quantisation_settings.h"
#include "support/case_file.h"

namespace vl::test {

inline QuantisationSettings gridOf(const Case& c) {
    std::istringstream in(c.has("grid") ? c["grid"] : "96 7 t");
    uint32_t division = 0;
    unsigned beat = 0;
    std::string triplets;
    in >> division >> beat >> triplets;
    QuantisationSettings grid(division, static_cast<uint8_t>(beat), 0,
                              triplets == "t" ? kQuantiseTriplets : 0);
    grid.setSwingDetected(static_cast<uint8_t>(c.number("swing")));
    return grid;
}

}  // namespace vl::test
