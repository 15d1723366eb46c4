// Nearest-neighbour copy of a plane fitted into a box: the small plane the live preview runs on.
#pragma once

#include <memory>

#include "framework/DataContainer.h"
#include "framework/DataContainerRGB.h"

// A copy whose longer side (the width for square planes) matches the box's and whose other
// side keeps the aspect, both rounded ties to even; larger planes are reduced, smaller ones
// enlarged. A side that rounds to 0 gives that empty plane. Each copy pixel takes the source
// pixel nearest to a position advanced by the single-precision step source / copy side.
// nullptr only when the plane object cannot be created; a plane whose storage was refused
// comes back absent. Never throws.
std::unique_ptr<TDataContainer> ScaleToFit(const TDataContainer& Source, int BoxWidth, int BoxHeight) noexcept;
std::unique_ptr<TDataContainerRGB> ScaleToFitRGB(const TDataContainerRGB& Source, int BoxWidth,
                                                 int BoxHeight) noexcept;
