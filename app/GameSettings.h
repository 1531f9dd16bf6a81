#pragma once

namespace pizzeria::app {

// Feature switches and play flags. The key handler writes them; the rules,
// renderer, texture filtering, HUD, camera and sound read them.
struct GameSettings {
    bool gameRunning = true;        // F1; cleared at game over
    bool cullingEnabled = true;     // F8
    bool blinnPhong = true;         // B; false means Phong
    bool lightingChanged = false;   // set by B, cleared when "blinn" is uploaded
    bool blendingEnabled = true;    // F9
    bool shadowsEnabled = true;     // F7
    bool shadowsChanged = true;     // set by F7; starts true so the first pass uploads it
    bool celShading = false;        // F10
    bool celShadingChanged = true;  // set by F10; starts true like shadowsChanged
    bool miniMapEnabled = false;    // X
    bool ssaoEnabled = false;       // F6
    bool ssaoDebug = false;         // F11
    bool shadowsDebug = false;      // J
    bool showFps = false;           // F2
    int texQuality = 0;             // F4: 0 default, 1 linear, 2 nearest
    bool texQualityChanged = false; // set by F4, cleared at the end of every frame
    int mipmapMode = 0;             // F5: 0 none, 1 linear-linear, 2 nearest-nearest
    bool mipmapChanged = false;     // set by F5, cleared at the end of every frame
    bool godMode = false;           // G
    bool gameOver = false;          // set at game over, cleared by a new round
    bool newRoundRequested = false; // Enter after game over; the next frame starts a round
};

// The one instance, valid for the whole run and never reset.
extern GameSettings gameSettings;

} // namespace pizzeria::app
