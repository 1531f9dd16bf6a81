#include "scene/lighting/Lights.h"

#include "scene/lighting/Moon.h"

namespace pizzeria::scene::lighting {

Lights::Lights() : light(std::make_unique<Moon>()) {}

} // namespace pizzeria::scene::lighting
