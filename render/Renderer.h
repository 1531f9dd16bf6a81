#pragma once

#include "render/Shader.h"
#include "render/ViewVolume.h"

#include <GL/glew.h>
#include <glm/glm.hpp>

#include <map>
#include <memory>
#include <string>
#include <vector>

namespace pizzeria::render {

// What a mark on the mini-map stands for; each has its colour and shape.
enum class MapMark { Cook, Wanted, Other, Enemy };

// Ends the process with `message` and an ERROR line when the bound
// framebuffer is incomplete: a game drawing into it would show nothing but GL
// errors. `width` x `height` is the window the targets were made for.
void requireCompleteFramebuffer(const char* message, int width, int height);

// Owns every shader program, the offscreen targets and the full-screen quad,
// and runs the per-pass protocol: `useShader` begins the pass of that name
// and returns its program, `endPass` returns to the window's framebuffer and
// runs whatever follows the pass. The Game draws between the two.
class Renderer {
public:
    // Builds every target and loads every program for a window of this size;
    // a missing or broken shader file ends the process. Draws from rand().
    Renderer(int width, int height);

    Renderer(const Renderer&) = delete;
    Renderer& operator=(const Renderer&) = delete;

    // Gives the window-sized targets and the text projection a new size; the
    // GL objects stay, only their storage changes.
    void resize(int newWidth, int newHeight);

    // Where the mini-map inset sits in a window of this size (lower left).
    struct Rect {
        int x, y, width, height;
    };
    static Rect miniMapInset(int windowWidth, int windowHeight);

    // Builds "Shader/" + name + ".vert"/".frag" and registers the program.
    // A name already registered keeps its first program; the new one is
    // deleted at once.
    void loadShader(const std::string& name);

    // Makes the program `name` current and sets up its pass. Returns a
    // pointer owned by the renderer, valid until it is destroyed. An unknown
    // name ends the process.
    Shader* useShader(const std::string& name);

    // Ends the pass `name`: binds the window's framebuffer, then runs what
    // follows that pass (debug insets, the ambient-occlusion chain, ...).
    void endPass(const std::string& name);

    // Draws the full-screen quad with the current program and viewport. The
    // quad is built by the first call, so that call's depth stays for good.
    void drawQuad(float depth);

    // The mini-map inset in the lower left corner, while the mini-map is on.
    void drawMiniMap();

    // In the "miniMap" pass: the colour that the next draws leave on the map.
    void useMapColor(const Shader& shader, MapMark mark) const;

    // In the "miniMap" pass: a mark big enough to read on the inset above an
    // object at `position`: a disc, or for the cook an arrow turned to
    // `heading` (his yaw), in the mark's colour. Marks write no depth: the
    // last one drawn lies on top. Every mark shows wherever its object stands;
    // with culling on, only those ahead of the camera but the cook's, whose
    // arrow always lies whole on the map.
    void drawMapMark(const Shader& shader, MapMark mark, const glm::vec3& position,
                     float heading) const;

    // Projection times view of the moon's light, looking at the eye position.
    glm::mat4 lightSpaceMatrix() const;

    // The texels of the shadow map that a lookup from anything the camera
    // sees within the receivers' box can reach; the whole map while the
    // debug view shows it, or when the eye is outside the box.
    Rect shadowMapRegion() const;

    // What the camera's passes can draw into, and what the last shadow pass
    // could (its part of the map).
    ViewVolume cameraVolume() const;
    ViewVolume shadowVolume() const;

    // The fixed top-down orthographic camera of the mini-map.
    static glm::mat4 miniMapMatrix();
    static constexpr float miniMapHalfWidth = 125.0f; // units from the map's middle to its edge
    // `place` moved, where needed, so that a mark reaching `reach` units
    // around it lies whole on the map.
    static glm::vec3 insideMap(const glm::vec3& place, float reach);

    // Camera state, copied in by the game update every frame.
    glm::mat4 view{1.0f};
    glm::mat4 projection{1.0f};
    glm::vec3 viewPosition{0.0f};
    glm::vec3 viewDirection{0.0f};

    // Where the shadow-casting light sits; the game sets it to the moon's
    // world position, which starts here.
    glm::vec3 lightPosition{150.0f, 80.0f, 150.0f};

    // The box every shadow receiver (the terrain and what walks on it) lies
    // in; the game sets it from the terrain. Only the part of the shadow map
    // under the camera's view of this box is drawn.
    glm::vec3 receiversMin{-1.0e4f};
    glm::vec3 receiversMax{1.0e4f};

    int width = 0;
    int height = 0;

    // Mini-map target.
    GLuint miniMapFramebuffer = 0;
    GLuint miniMapDepthTexture = 0;
    GLuint miniMapColorTexture = 0; // the marks, in their colours
    GLuint mapMarkVAO = 0;          // a disc, then the cook's arrow
    GLuint mapMarkVBO = 0;
    int miniMapWidth = 256;
    int miniMapHeight = 256;

    // Shadow target: 4:1 like the light frustum, so texels are square in the world.
    int shadowWidth = 5120;
    int shadowHeight = 1280;
    float lightNearPlane = 50.0f;
    float lightFarPlane = 400.0f;
    GLuint shadowFramebuffer = 0;
    GLuint shadowDepthTexture = 0;
    GLuint shadowSampler = 0;            // compares and filters for the lit pass
    Rect shadowRegion{0, 0, 5120, 1280}; // the part drawn by the last shadow pass

    // Full-screen quad, built by the first drawQuad.
    GLuint quadVAO = 0;
    GLuint quadVBO = 0;

    // Scene target: the lit scene goes here while ambient occlusion is on.
    GLuint sceneFramebuffer = 0;
    GLuint sceneColorTexture = 0;
    GLuint sceneDepthStencil = 0;

    // Ambient-occlusion parameters.
    int kernelSize = 32;
    std::vector<glm::vec3> ssaoKernel;
    float ssaoRadius = 0.3f;
    float ssaoBias = 0.025f;
    int noiseSize = 16;
    std::vector<glm::vec3> ssaoNoise;

    // Ambient-occlusion targets.
    GLuint gBuffer = 0;
    GLuint gPosition = 0;
    GLuint gNormal = 0;
    GLuint gAlbedo = 0;
    GLuint gDepth = 0;
    GLuint ssaoFramebuffer = 0;
    GLuint ssaoBlurFramebuffer = 0;
    GLuint ssaoColorTexture = 0;
    GLuint ssaoBlurTexture = 0;
    GLuint noiseTexture = 0;
    GLuint blurSampler = 0; // linear, for the blur's four fetches

private:
    void allocateWindowTargets();
    void setTextProjection();
    void createSceneFramebuffer();
    void createShadowFramebuffer();
    void createSsaoFramebuffers();
    // Uploads the part of the shadow map drawn this frame that lookups may
    // read: past it the lit program takes the light as unblocked.
    void useShadowRegion(const Shader& shader) const;
    void createMiniMapFramebuffer();
    void createMapMarks();
    void generateSsaoKernel();
    void generateSsaoNoise();
    void bindSsaoSamplerUnits();
    void createBlurSampler();

    void ssaoPass();
    void ssaoBlurPass();
    void compositePass();
    void shadowDebugView();
    void ssaoDebugView();

    // What a "renderFBO" view shows; the program picks its colouring by it.
    enum class InsetSource { ShadowMap = 0, MiniMap = 1, Occlusion = 2 };

    // "renderFBO" made current without a pass, loaded first if missing.
    Shader& debugViewShader();
    // Draws `texture` through the current "renderFBO" program into the current viewport.
    void drawDepthInset(const Shader& shader, GLuint texture, InsetSource source);

    // Wireframe (F3) is for the scene's own meshes: depth maps, text and
    // full-screen quads are always filled, and the mode is put back after.
    // beginFilled returns the mode to hand back to endFilled.
    static GLint beginFilled();
    static void endFilled(GLint mode);
    GLint passPolygonMode = GL_FILL;

    std::map<std::string, std::unique_ptr<Shader>> shaders;
};

} // namespace pizzeria::render
