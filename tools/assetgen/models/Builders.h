#pragma once

#include "tools/assetgen/ModelWriter.h"

namespace assetgen {

// Each returns one model in the coordinates in which the game places it.
ModelData buildCook();
ModelData buildLeftArm();
ModelData buildRightArm();
ModelData buildBat();
ModelData buildHat();
ModelData buildShoes();

ModelData buildGangster();

ModelData buildBacon();
ModelData buildCorn();
ModelData buildEgg();
ModelData buildGarlic();
ModelData buildJalapeno();
ModelData buildPepper();
ModelData buildShrimp();
ModelData buildTomato();

ModelData buildGround();
ModelData buildSky();
ModelData buildMoon();
ModelData buildLamp();

// Shifts the mesh up or down so that its lowest point is at y = 0.
void restOnGround(MeshData& mesh);

} // namespace assetgen
