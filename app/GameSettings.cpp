#include "app/GameSettings.h"

namespace pizzeria::app {

GameSettings gameSettings;

} // namespace pizzeria::app
