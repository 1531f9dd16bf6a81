#include "tools/assetgen/Models.h"

#include "tools/assetgen/models/Builders.h"

#include <iostream>

namespace assetgen {

const std::vector<ModelFile>& modelFiles() {
    static const std::vector<ModelFile> files = {
        {0, "MainCharacter/mainCharacter.fbx", "MainCharacter", buildCook},
        {1, "MainCharacter/LeftArm/LeftHand.fbx", "LeftHand", buildLeftArm},
        {2, "MainCharacter/RightArm/RightHand.fbx", "RightHand", buildRightArm},
        {3, "MainCharacter/RightArm/Weapon/nailbat.fbx", "NailBat", buildBat},
        {4, "MainCharacter/Hat/hat.obj", "Hat", buildHat},
        {5, "MainCharacter/Shoes/Shoes.obj", "Shoes", buildShoes},
        {6, "Environment/ground.fbx", "Ground", buildGround},
        {7, "SkyBox/Sky.fbx", "Sky", buildSky},
        {9, "Ingridients/Bacon/Bacon.obj", "Bacon", buildBacon},
        {10, "Ingridients/Corn/Corn.obj", "Corn", buildCorn},
        {11, "Ingridients/Egg/Egg.obj", "Egg", buildEgg},
        {12, "Ingridients/Garlic/garlic.obj", "Garlic", buildGarlic},
        {13, "Ingridients/Jalapeno/jalapeno.obj", "Jalapeno", buildJalapeno},
        {14, "Ingridients/Pepper/pepper.obj", "Pepper", buildPepper},
        {15, "Ingridients/Shrimp/Shrimp.obj", "Shrimp", buildShrimp},
        {16, "Ingridients/Tomato/tomato.fbx", "Tomato", buildTomato},
        {17, "Light/Moon/moon.obj", "Moon", buildMoon},
        {18, "Light/Lamp/lamp.obj", "Lamp", buildLamp},
        {19, "Enemies/Gangster/gangster.obj", "Gangster", buildGangster},
    };
    return files;
}

bool generateModels(const std::filesystem::path& dir) {
    bool ok = true;
    for (const ModelFile& file : modelFiles()) {
        ok = writeModel(dir / file.path, file.name, file.build()) && ok;
    }
    return ok;
}

} // namespace assetgen
